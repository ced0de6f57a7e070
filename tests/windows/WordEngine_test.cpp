// The Word engine against Wine's registry, regedit.exe and files, with a stand-in Word.
#include <gtest/gtest.h>

#include "app/clsBackup.h"
#include "e2e/E2eSupport.h"
#include "forms/memory/MemoryApplication.h"
#include "helpers/Module1Shell.h"
#include "helpers/RuntimeError.h"
#include "platform/win32/Handle.h"
#include "platform/win32/Win32Automation.h"
#include "platform/win32/Win32System.h"
#include "wordengine/Class1.h"
#include "wordengine/clsWD10.h"
#include "wordengine/clsWD11.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

using Names = std::vector<std::string>;
using Values = std::map<std::string, regtest::Stored>;
const std::string kOffice = "Software\\Microsoft\\Office";
const std::string kAddinsKey = kOffice + "\\Word\\Addins";
const std::string kStandInClsid = "{6F3A1C52-9B1E-4C3D-8E2A-5D7B9C0E1F24}";
const WordVersion* const kVersions[] = {&clsWD10::kVersion, &clsWD11::kVersion};
const HKEY kCU = HKEY_CURRENT_USER;

using e2e::writeFile;
// The names in a folder, sorted, with their contents: "A.wbt=A.dot" and so on.
Names listing(const fs::path& dir) {
  Names out;
  if (fs::exists(dir))
    for (const auto& e : fs::directory_iterator(dir))
      if (e.is_regular_file())
        out.push_back(e.path().filename().string() + "=" + e2e::readFile(e.path().string()));
  std::sort(out.begin(), out.end());
  return out;
}
class WordEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Waits take their real time, as the wait for the registry editor needs.
    app.onWait = [](int ms) { Sleep(static_cast<DWORD>(ms)); };
    TearDown();
    fs::create_directories(scratch);
    SetEnvironmentVariableA("CORVA_RECORD", (scratch / "record.log").string().c_str());
  }
  void TearDown() override {
    SetEnvironmentVariableA("CORVA_RECORD", nullptr);
    CurrentWD.reset();
    SHDeleteKeyA(kCU, kOffice.c_str());
    for (const std::string& key :
         {"Software\\Classes\\Word.Application"s, "Software\\Classes\\CLSID\\" + kStandInClsid,
          "SOFTWARE\\Classes\\WordPerfect.Document"s})
      SHDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
    std::error_code ignored;
    for (const char* f : {"Data.reg", "\\COM.reg", "\\Options.reg", "\\regedit.exe"})
      fs::remove(folder + f, ignored);
    for (const fs::path& dir :
         {scratch, appData / "Microsoft" / "Word", appData / "Microsoft" / "Templates"})
      fs::remove_all(dir, ignored);
    for (const WordVersion* v : kVersions)
      fs::remove_all(fs::path(v->winword).parent_path().parent_path(), ignored);
  }
  std::string record() const { return e2e::readFile((scratch / "record.log").string()); }
  std::unique_ptr<clsWD> word(bool word2002) {
    if (word2002) return std::make_unique<clsWD10>(services);
    return std::make_unique<clsWD11>(services);
  }
  static void run(clsWD& wd, std::initializer_list<void (clsWD::*)()> steps) {
    for (const auto step : steps) (wd.*step)();
  }
  static void setText(const std::string& key, const std::string& name, const std::string& text,
                      HKEY root = kCU) {
    ASSERT_TRUE(regtest::put(root, key, name, REG_SZ, text + '\0')) << key;
  }
  // Word's folders of one version in scratch; two of the values end in a backslash.
  void setFolders(const char* v) {
    const std::string general = kOffice + "\\" + v + "\\Common\\General";
    setText(general, "UserTemplates", user.string() + "\\");
    setText(general, "SharedTemplates", shared.string());
    setText(kOffice + "\\" + v + "\\Word\\Options", "Programdir", office.string());
    setText(kOffice + "\\" + v + "\\Word\\Options", "Startup-Path", startup.string() + "\\");
  }

  forms::MemoryApplication app;
  platform::Win32System sys;
  platform::Win32Automation automation;
  WordServices services{app, sys.platform, automation};
  const std::string folder = sys.processes.applicationFolder();
  const std::string recorder = e2e::envPath("CORVA_RECORDER");
  const fs::path appData = Module1::GetAppDataFolder().value_or("C:\\missing");
  const fs::path scratch = fs::temp_directory_path() / "corva-word";
  const fs::path user = scratch / "User", shared = scratch / "Shared", office = scratch / "Office";
  const fs::path startup = scratch / "Startup";
};

TEST_F(WordEngineTest, BackupRemoveRestoreRoundTripAcrossVersionsThroughTheSystemsEditor) {
  // A regedit.exe beside the program must not be the one that runs.
  ASSERT_TRUE(CopyFileA(recorder.c_str(), (folder + "\\regedit.exe").c_str(), FALSE));
  const Values written{{"Text", {REG_SZ, "C:\\Path with \"quotes\"\0"s}},
                       {"Bytes", {REG_BINARY, "\0\1\xfe\xff"s}},
                       {"Number", {REG_DWORD, "\x78\x56\x34\x12"s}}};
  for (const bool from2002 : {true, false}) {
    SCOPED_TRACE(from2002 ? "2002 to 2003" : "2003 to 2002");
    const std::string word = kOffice + (from2002 ? "\\10.0" : "\\11.0") + "\\Word\\";
    const std::string keys[] = {word + "Data", kAddinsKey, word + "Options"};
    for (const std::string& key : keys)
      for (const auto& [name, value] : written)
        ASSERT_TRUE(regtest::put(kCU, key, name, value.first, value.second));
    const std::unique_ptr<clsWD> backup = this->word(from2002), restore = this->word(!from2002);
    run(*backup, {&clsWD::DataBackup, &clsWD::COMBackup, &clsWD::OptionsBackup});
    // Each export is whole when the call returns, so removing the key right away is safe.
    run(*backup, {&clsWD::DataRemove, &clsWD::COMRemove, &clsWD::OptionsRemove});
    for (const std::string& key : keys) EXPECT_FALSE(regtest::keyExists(kCU, key)) << key;
    run(*restore, {&clsWD::DataRestore, &clsWD::COMRestore, &clsWD::OptionsRestore});
    for (const std::string& key : keys) EXPECT_EQ(regtest::values(kCU, key), written) << key;
  }
  EXPECT_EQ(record(), "");
}

// The editor tells of a key it cannot open only in its own window.
TEST_F(WordEngineTest, Class1ImportsAnExportThatWroteNothingRaisesGetDefaultWPReadsTheMachine) {
  const std::string imported =
      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\" + kOffice + "\\Corva]\r\n\"N\"=\"v\"\r\n";
  std::string missing = "HKEY_CURRENT_USER\\" + kOffice + "\\CorvaMissing";
  std::string fresh = (scratch / "fresh.reg").string(),
              earlier = (scratch / "earlier.reg").string();
  writeFile(earlier, imported);
  Class1(services).RegRestore(earlier);
  EXPECT_EQ(regtest::values(kCU, kOffice + "\\Corva"), (Values{{"N", {REG_SZ, "v\0"s}}}));
  EXPECT_THROW(clsBackup(services).RegBackup(fresh, missing), RuntimeError);
  EXPECT_FALSE(fs::exists(fresh));
  EXPECT_THROW(Class1(services).RegBackup(earlier, missing), RuntimeError);
  EXPECT_EQ(e2e::readFile(earlier), imported);

  EXPECT_EQ(clsBackup(services).GetDefaultWP(), RegistryValue());
  setText("SOFTWARE\\Classes\\WordPerfect.Document\\CurVer", "", "WordPerfect.Document.12",
          HKEY_LOCAL_MACHINE);
  EXPECT_EQ(clsBackup(services).GetDefaultWP(), RegistryValue("WordPerfect.Document.12"s));
}

TEST_F(WordEngineTest, WordRunsWithEachCommandLineAndByAutomationIsShownQuitAndReleased) {
  EXPECT_FALSE(clsWD10(services).WordStartNormal()) << "no Word.Application registered";
  std::string expected;
  for (const bool word2002 : {true, false}) {
    const std::string exe = kVersions[word2002 ? 0 : 1]->winword;
    fs::create_directories(fs::path(exe).parent_path());
    ASSERT_TRUE(CopyFileA(recorder.c_str(), exe.c_str(), FALSE));
    const std::unique_ptr<clsWD> wd = word(word2002);
    const std::pair<void (clsWD::*)(), std::string> calls[] = {
        {&clsWD::Execute,
         " /a /t \"" + folder + (word2002 ? "\\SUPPORT10.DOT" : "\\SUPPORT11.DOT") + "\""},
        {&clsWD::RegServ, " /r"},
        {&clsWD::UnRegServ, " /u"},
        {&clsWD::WordStartTemplate, " /t"}};
    for (const auto& [call, switches] : calls) {
      ((*wd).*call)();
      expected += exe + switches + "|1|" + exe + "\n";
      // Word is not waited for: wait here for its line, so the lines keep their order.
      ASSERT_TRUE(automation::waitFor([&] { return record().size() >= expected.size(); }, 10000));
    }
  }
  // Wine's COM finds classes only in the machine's Software\Classes.
  setText("Software\\Classes\\Word.Application\\CLSID", "", kStandInClsid, HKEY_LOCAL_MACHINE);
  setText("Software\\Classes\\CLSID\\" + kStandInClsid + "\\InprocServer32", "",
          e2e::envPath("CORVA_WORD_AUTOMATION"), HKEY_LOCAL_MACHINE);
  for (const bool word2002 : {true, false}) EXPECT_TRUE(word(word2002)->WordStartNormal());
  const std::string once = "created\nVisible flags=2 args=0\nQuit flags=1 args=0\nreleased\n";
  EXPECT_EQ(record(), expected + once + once);
  EXPECT_TRUE(app.shownMessageBoxes.empty());
}

TEST_F(WordEngineTest, AddinsAndNormalDotOfEveryFolderGoAsideAndBackNeverOverAnEarlierOne) {
  // Add-ins live in three start-up folders: the one named, the user's and the one beside Word.
  const fs::path users = appData / "Microsoft" / "Word" / "STARTUP", program = office / "STARTUP";
  // G.dotx is matched by "*.dot" on some systems but is no add-in.
  for (const fs::path& file :
       {startup / "A.dot", startup / "D.dot", startup / "B.wll", startup / "C.wbt", users / "E.dot",
        program / "F.wll", program / "G.dotx"})
    writeFile(file, file.filename().string());
  const fs::path appTemplates = appData / "Microsoft" / "Templates";
  for (const fs::path& dir : {user, appTemplates, office})
    writeFile(dir / "Normal.dot", dir.filename().string());
  writeFile(shared / "Normal.dot", "newer");
  writeFile(shared / "0Normal.dot", "saved by an earlier run");
  setFolders("11.0");
  const Names sharedBoth{"0Normal.dot=saved by an earlier run", "Normal.dot=newer"};

  clsWD11 wd(services);
  run(wd, {&clsWD::RenameAddins, &clsWD::RenameTemplate});
  EXPECT_EQ(listing(startup), (Names{"A.wbt=A.dot", "B.wbl=B.wll", "C.wbt=C.wbt", "D.wbt=D.dot"}));
  EXPECT_EQ(listing(users), Names{"E.wbt=E.dot"});
  EXPECT_EQ(listing(program), (Names{"F.wbl=F.wll", "G.dotx=G.dotx"}));
  for (const fs::path& dir : {user, appTemplates, office})
    EXPECT_EQ(listing(dir), Names{"0Normal.dot=" + dir.filename().string()}) << dir;
  EXPECT_EQ(listing(shared), sharedBoth);
  EXPECT_EQ(wd.UserTemplatesFolder, user.string()) << "the final backslash goes";

  run(wd, {&clsWD::RestoreAddins, &clsWD::RestoreTemplate});
  EXPECT_EQ(listing(startup), (Names{"A.dot=A.dot", "B.wll=B.wll", "C.dot=C.wbt", "D.dot=D.dot"}));
  EXPECT_EQ(listing(users), Names{"E.dot=E.dot"});
  EXPECT_EQ(listing(program), (Names{"F.wll=F.wll", "G.dotx=G.dotx"}));
  for (const fs::path& dir : {user, appTemplates, office})
    EXPECT_EQ(listing(dir), Names{"Normal.dot=" + dir.filename().string()}) << dir;
  EXPECT_EQ(listing(shared), sharedBoth);
  EXPECT_TRUE(app.shownMessageBoxes.empty());
}

TEST_F(WordEngineTest, MissingFolderValuesSearchNotTheRootOfTheCurrentDrive) {
  const fs::path previous = fs::current_path();
  for (const char* file : {"C:\\Normal.dot", "C:\\X.dot"}) writeFile(file, "root");
  fs::current_path("C:\\");
  run(*word(true), {&clsWD::RenameAddins, &clsWD::RenameTemplate});
  fs::current_path(previous);
  EXPECT_FALSE(fs::exists("C:\\0Normal.dot") || fs::exists("C:\\X.wbt"));
  for (const char* file : {"C:\\Normal.dot", "C:\\X.dot"}) EXPECT_TRUE(fs::remove(file)) << file;
}

TEST_F(WordEngineTest, NormalDotInUseRollsBackOnceAndEndsTheApplication) {
  const std::string data = kOffice + "\\10.0\\Word\\Data";
  setText(data, "Settings", "before");
  setText(kAddinsKey, "Addin", "registered");  // the options key holds the folders
  setFolders("10.0");
  for (const char* name : {"A.dot", "D.dot"}) writeFile(startup / name, name);
  writeFile(user / "Normal.dot", "template");

  CurrentWD = std::make_shared<clsWD10>(services);
  run(*CurrentWD, {&clsWD::DataBackup, &clsWD::COMBackup, &clsWD::OptionsBackup, &clsWD::DataRemove,
                   &clsWD::RenameAddins});
  // Word holds Normal.dot and a renamed add-in, whose move back fails too.
  std::vector<platform::Handle> held;
  for (const fs::path& file : {user / "Normal.dot", startup / "A.wbt"})
    held.emplace_back(CreateFileA(file.string().c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                  nullptr));
  EXPECT_THROW(CurrentWD->RenameTemplate(), forms::ProcessEnded);

  ASSERT_EQ(app.shownMessageBoxes.size(), 1u) << "one message, one rollback";
  EXPECT_EQ(app.shownMessageBoxes[0].prompt,
            "The Word Normal.dot default template appears to be in use. Please close down any open "
            "Word documents and reboot the computer before trying this program again. Thank you.");
  EXPECT_EQ(app.shownMessageBoxes[0].style, forms::vbOKOnly);
  EXPECT_EQ(regtest::values(kCU, data), (Values{{"Settings", {REG_SZ, "before\0"s}}}));
  EXPECT_EQ(listing(user), Names{"Normal.dot=template"});
  EXPECT_EQ(listing(startup), (Names{"A.wbt=A.dot", "D.dot=D.dot"}));
}

}  // namespace
