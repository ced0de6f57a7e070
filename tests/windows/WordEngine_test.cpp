// The Word engine against Wine's real registry, regedit.exe and files. Word itself
// is a recording Winword.exe at the fixed Office paths and an automation server of
// the tests' own registered as "Word.Application".
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "e2e/E2eSupport.h"
#include "forms/memory/MemoryApplication.h"
#include "helpers/Module1Shell.h"
#include "helpers/RuntimeError.h"
#include "platform/win32/Handle.h"
#include "platform/win32/Win32Automation.h"
#include "platform/win32/Win32System.h"
#include "wordengine/Class1.h"
#include "wordengine/clsBackup.h"
#include "wordengine/clsWD10.h"
#include "wordengine/clsWD11.h"
#include "windows/RegistryAccess.h"

namespace fs = std::filesystem;

namespace {

const std::string kOffice = "Software\\Microsoft\\Office";
const std::string kAddinsKey = kOffice + "\\Word\\Addins";
std::string optionsKey(const std::string& office) {
  return kOffice + "\\" + office + "\\Word\\Options";
}
std::string generalKey(const std::string& office) {
  return kOffice + "\\" + office + "\\Common\\General";
}

using Values = std::map<std::string, regtest::Stored>;

void setValue(const std::string& key, const std::string& name, DWORD type,
              const std::string& data) {
  ASSERT_TRUE(regtest::put(HKEY_CURRENT_USER, key, name, type, data)) << key;
}
void setText(HKEY root, const std::string& key, const std::string& name, const std::string& text) {
  ASSERT_TRUE(regtest::putText(root, key, name, text)) << key;
}
void setText(const std::string& key, const std::string& name, const std::string& text) {
  setText(HKEY_CURRENT_USER, key, name, text);
}
bool keyExists(const std::string& key) { return regtest::keyExists(HKEY_CURRENT_USER, key); }
Values readValues(const std::string& key) { return regtest::values(HKEY_CURRENT_USER, key); }

std::string read(const fs::path& p) {
  return e2e::readFile(p.string());
}
void write(const fs::path& p, const std::string& text) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << text;
}
// The names in a folder, sorted, with their contents: "A.wbt=A.dot" and so on.
std::vector<std::string> listing(const fs::path& dir) {
  std::vector<std::string> out;
  if (fs::exists(dir))
    for (const auto& e : fs::directory_iterator(dir))
      if (e.is_regular_file()) out.push_back(e.path().filename().string() + "=" + read(e.path()));
  std::sort(out.begin(), out.end());
  return out;
}

// A file held open the way Word holds its templates: the given sharing, never delete.
platform::Handle holdOpen(const fs::path& p, DWORD share) {
  return platform::Handle(CreateFileA(p.string().c_str(), GENERIC_READ, share, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

class WordEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The in-memory clock moves only by waits: let each one take its real time,
    // so the wait for the registry editor is as long as on a real desktop.
    app.onWait = [](int ms) { Sleep(static_cast<DWORD>(ms)); };
    clean();
  }
  void TearDown() override {
    clean();
    SetEnvironmentVariableA("CORVA_RECORD", nullptr);
  }
  void clean() {
    CurrentWD.reset();
    SHDeleteKeyA(HKEY_CURRENT_USER, kOffice.c_str());
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Classes\\Word.Application");
    SHDeleteKeyA(HKEY_LOCAL_MACHINE,
                 ("Software\\Classes\\CLSID\\" + std::string(kStandInClsid)).c_str());
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\WordPerfect.Document");
    std::error_code ignored;
    for (const char* f : {"Data.reg", "\\COM.reg", "\\Options.reg", "\\regedit.exe"})
      fs::remove(folder + f, ignored);
    fs::remove_all(scratch, ignored);
    fs::remove_all(appData / "Microsoft" / "Word", ignored);
    fs::remove_all(appData / "Microsoft" / "Templates", ignored);
    fs::create_directories(scratch);
  }
  std::string record() const { return read(scratch / "record.log"); }
  std::unique_ptr<clsWD> word(bool word2002) {
    if (word2002) return std::make_unique<clsWD10>(services);
    return std::make_unique<clsWD11>(services);
  }
  void recordInto() const {
    SetEnvironmentVariableA("CORVA_RECORD", (scratch / "record.log").string().c_str());
  }

  static constexpr const char* kStandInClsid = "{6F3A1C52-9B1E-4C3D-8E2A-5D7B9C0E1F24}";

  forms::MemoryApplication app;
  platform::Win32System sys;
  platform::Win32Automation automation;
  WordServices services{app, sys.platform, automation};
  const std::string folder = sys.processes.applicationFolder();
  const fs::path appData = Module1::GetAppDataFolder().value_or("C:\\missing");
  const fs::path scratch = fs::temp_directory_path() / "corva-word";
};

TEST_F(WordEngineTest, BackupRemoveRestoreRoundTripAcrossVersionsThroughTheSystemsEditor) {
  // A regedit.exe beside the program must not be the one that runs.
  ASSERT_TRUE(CopyFileA(e2e::windowsPath(e2e::env("CORVA_RECORDER")).c_str(),
                        (folder + "\\regedit.exe").c_str(), FALSE));
  recordInto();
  for (const bool from2002 : {true, false}) {
    SCOPED_TRACE(from2002 ? "2002 to 2003" : "2003 to 2002");
    const std::string office = from2002 ? "10.0" : "11.0";
    const std::string keys[] = {kOffice + "\\" + office + "\\Word\\Data", kAddinsKey,
                                optionsKey(office)};
    std::map<std::string, Values> before;
    for (const std::string& key : keys) {
      setText(key, "Text", "C:\\Path with \"quotes\"");
      setValue(key, "Bytes", REG_BINARY, std::string("\x00\x01\xfe\xff", 4));
      setValue(key, "Number", REG_DWORD, std::string("\x78\x56\x34\x12", 4));
      before[key] = readValues(key);
      ASSERT_EQ(before[key].size(), 3u);
    }
    const std::unique_ptr<clsWD> backup = word(from2002), restore = word(!from2002);
    backup->DataBackup();
    backup->COMBackup();
    backup->OptionsBackup();
    // Each export is whole when the call returns, so removing the key right away is safe.
    for (const char* file : {"Data.reg", "\\COM.reg", "\\Options.reg"})
      EXPECT_NE(read(folder + file).size(), 0u) << file;
    backup->DataRemove();
    backup->COMRemove();
    backup->OptionsRemove();
    for (const std::string& key : keys) EXPECT_FALSE(keyExists(key)) << key;
    restore->DataRestore();
    restore->COMRestore();
    restore->OptionsRestore();
    for (const std::string& key : keys) EXPECT_EQ(readValues(key), before[key]) << key;
  }
  EXPECT_EQ(record(), "");
}

TEST_F(WordEngineTest, Class1AndClsBackupExportAndImportNamedFilesAndAFailedExportRaises) {
  const std::string key = "Software\\Microsoft\\Office\\CorvaTest";
  setText(key, "Name", "value");
  std::string file = (scratch / "key.reg").string();
  std::string name = "HKEY_CURRENT_USER\\" + key;
  Class1(services).RegBackup(file, name);
  SHDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
  Class1(services).RegRestore(file);
  EXPECT_EQ(readValues(key), (Values{{"Name", {REG_SZ, std::string("value", 6)}}}));

  std::string missing = "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\CorvaMissing";
  std::string fresh = (scratch / "fresh.reg").string();
  EXPECT_THROW(clsBackup(services).RegBackup(fresh, missing), RuntimeError);
  EXPECT_FALSE(fs::exists(fresh));
  // An earlier file that the editor left as it was is no backup of now.
  EXPECT_THROW(Class1(services).RegBackup(file, missing), RuntimeError);
  EXPECT_EQ(read(file).empty(), false);

  EXPECT_TRUE(std::holds_alternative<std::monostate>(clsBackup(services).GetDefaultWP()));
  setText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\WordPerfect.Document\\CurVer", "",
          "WordPerfect.Document.12");
  EXPECT_EQ(clsBackup(services).GetDefaultWP(),
            RegistryValue(std::string("WordPerfect.Document.12")));
}

TEST_F(WordEngineTest, WordIsStartedWithEachCommandLineAndWindowState) {
  const std::string recorder = e2e::windowsPath(e2e::env("CORVA_RECORDER"));
  recordInto();
  for (const WordVersion* v : {&clsWD10::kVersion, &clsWD11::kVersion}) {
    fs::create_directories(fs::path(v->winword).parent_path());
    ASSERT_TRUE(CopyFileA(recorder.c_str(), v->winword, FALSE));
  }
  std::string expected;
  for (const bool word2002 : {true, false}) {
    const WordVersion& v = word2002 ? clsWD10::kVersion : clsWD11::kVersion;
    const std::unique_ptr<clsWD> wd = word(word2002);
    const std::string exe = v.winword;
    const std::pair<void (clsWD::*)(), std::string> calls[] = {
        {&clsWD::Execute,
         " /a /t \"" + folder + (word2002 ? "\\SUPPORT10.DOT" : "\\SUPPORT11.DOT") + "\""},
        {&clsWD::RegServ, " /r"},
        {&clsWD::UnRegServ, " /u"},
        {&clsWD::WordStartTemplate, " /t"}};
    for (const auto& call : calls) {
      ((*wd).*call.first)();
      expected += exe + call.second + "|1|" + exe + "\n";
      // Word is not waited for: wait here for its line, so the lines keep their order.
      ASSERT_TRUE(automation::waitFor([&] { return record().size() >= expected.size(); }, 10000));
    }
  }
  EXPECT_EQ(record(), expected);
  for (const WordVersion* v : {&clsWD10::kVersion, &clsWD11::kVersion})
    fs::remove_all(fs::path(v->winword).parent_path().parent_path());
}

TEST_F(WordEngineTest, WordStartNormalReadsVisibleQuitsAndReleasesTheAutomationObject) {
  recordInto();
  EXPECT_FALSE(clsWD10(services).WordStartNormal()) << "no Word.Application registered";
  EXPECT_TRUE(app.shownMessageBoxes.empty());

  // Wine's COM finds classes only in the machine's Software\Classes, not in the
  // user's, so the stand-in is registered for the machine.
  const std::string clsid = kStandInClsid;
  const std::string dll = e2e::windowsPath(e2e::env("CORVA_WORD_AUTOMATION"));
  setText(HKEY_LOCAL_MACHINE, "Software\\Classes\\Word.Application\\CLSID", "", clsid);
  setText(HKEY_LOCAL_MACHINE, "Software\\Classes\\CLSID\\" + clsid + "\\InprocServer32", "", dll);

  for (const bool word2002 : {true, false}) EXPECT_TRUE(word(word2002)->WordStartNormal());
  const std::string once = "created\nVisible flags=2 args=0\nQuit flags=1 args=0\nreleased\n";
  EXPECT_EQ(record(), once + once);
  EXPECT_TRUE(app.shownMessageBoxes.empty());
}

// Word's three start-up folders, each with add-ins in and out of use.
struct AddinFolders {
  fs::path startup, user, program;
};

TEST_F(WordEngineTest, AddinsOfAllThreeStartupFoldersAreTakenOutOfUseAndBack) {
  const AddinFolders dirs{scratch / "Startup", appData / "Microsoft" / "Word" / "STARTUP",
                          scratch / "Office" / "STARTUP"};
  for (const char* name : {"A.dot", "D.dot", "B.wll", "C.wbt"}) write(dirs.startup / name, name);
  write(dirs.user / "E.dot", "E.dot");
  write(dirs.program / "F.wll", "F.wll");
  write(dirs.program / "G.dotx", "G.dotx");  // matched by "*.dot" on some systems; not an add-in
  setText(optionsKey("10.0"), "Startup-Path", dirs.startup.string() + "\\");
  setText(optionsKey("10.0"), "Programdir", (scratch / "Office").string());

  clsWD10(services).RenameAddins();
  EXPECT_EQ(listing(dirs.startup),
            (std::vector<std::string>{"A.wbt=A.dot", "B.wbl=B.wll", "C.wbt=C.wbt", "D.wbt=D.dot"}));
  EXPECT_EQ(listing(dirs.user), (std::vector<std::string>{"E.wbt=E.dot"}));
  EXPECT_EQ(listing(dirs.program), (std::vector<std::string>{"F.wbl=F.wll", "G.dotx=G.dotx"}));

  clsWD10(services).RestoreAddins();
  EXPECT_EQ(listing(dirs.startup),
            (std::vector<std::string>{"A.dot=A.dot", "B.wll=B.wll", "C.dot=C.wbt", "D.dot=D.dot"}));
  EXPECT_EQ(listing(dirs.user), (std::vector<std::string>{"E.dot=E.dot"}));
  EXPECT_EQ(listing(dirs.program), (std::vector<std::string>{"F.wll=F.wll", "G.dotx=G.dotx"}));
  EXPECT_TRUE(app.shownMessageBoxes.empty());
}

TEST_F(WordEngineTest, NormalDotOfEachFolderIsMovedAsideAndBackNeverOverAnEarlierOne) {
  const fs::path user = scratch / "User", shared = scratch / "Shared", program = scratch / "Office";
  const fs::path appTemplates = appData / "Microsoft" / "Templates";
  for (const fs::path& dir : {user, appTemplates, program})
    write(dir / "Normal.dot", dir.filename().string());
  write(shared / "Normal.dot", "newer");
  write(shared / "0Normal.dot", "saved by an earlier run");
  setText(generalKey("11.0"), "UserTemplates", user.string() + "\\");
  setText(generalKey("11.0"), "SharedTemplates", shared.string());
  setText(optionsKey("11.0"), "Programdir", program.string());

  clsWD11 wd(services);
  wd.RenameTemplate();
  for (const fs::path& dir : {user, appTemplates, program})
    EXPECT_EQ(listing(dir), (std::vector<std::string>{"0Normal.dot=" + dir.filename().string()}))
        << dir;
  const std::vector<std::string> sharedBoth{"0Normal.dot=saved by an earlier run",
                                            "Normal.dot=newer"};
  EXPECT_EQ(listing(shared), sharedBoth);
  EXPECT_EQ(wd.UserTemplatesFolder, user.string()) << "the final backslash goes";

  wd.RestoreTemplate();
  for (const fs::path& dir : {user, appTemplates, program})
    EXPECT_EQ(listing(dir), (std::vector<std::string>{"Normal.dot=" + dir.filename().string()}))
        << dir;
  EXPECT_EQ(listing(shared), sharedBoth);
  EXPECT_TRUE(app.shownMessageBoxes.empty());
}

TEST_F(WordEngineTest, MissingFolderValuesSearchNotTheRootOfTheCurrentDrive) {
  char previous[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, previous);
  write("C:\\Normal.dot", "root");
  write("C:\\X.dot", "root");
  SetCurrentDirectoryA("C:\\");
  clsWD10(services).RenameAddins();
  clsWD10(services).RenameTemplate();
  SetCurrentDirectoryA(previous);
  EXPECT_TRUE(fs::exists("C:\\Normal.dot"));
  EXPECT_TRUE(fs::exists("C:\\X.dot"));
  EXPECT_FALSE(fs::exists("C:\\0Normal.dot") || fs::exists("C:\\X.wbt"));
  fs::remove("C:\\Normal.dot");
  fs::remove("C:\\X.dot");
}

TEST_F(WordEngineTest, ACopyThatFailsNeverCostsTheSourceWhateverTheAnswer) {
  const fs::path user = scratch / "User";
  setText(generalKey("10.0"), "UserTemplates", user.string());
  setText(generalKey("11.0"), "UserTemplates", user.string());
  for (const bool word2002 : {true, false}) {
    SCOPED_TRACE(word2002 ? "Word 2002" : "Word 2003");
    write(user / "Normal.dot", "mine");
    app.shownMessageBoxes.clear();
    app.msgBoxAnswers = {forms::vbYes};
    {
      // Unreadable but deletable: the copy fails, a delete would succeed.
      platform::Handle held = holdOpen(user / "Normal.dot", FILE_SHARE_DELETE);
      ASSERT_TRUE(held);
      word(word2002)->RenameTemplate();
    }
    EXPECT_EQ(listing(user), (std::vector<std::string>{"Normal.dot=mine"}));
    ASSERT_EQ(app.shownMessageBoxes.size(), word2002 ? 1u : 0u);
    if (word2002) {
      EXPECT_EQ(app.shownMessageBoxes[0].prompt,
                (user / "0Normal.dot").string() + "\r\n\r\n\r\n\r\n");
      EXPECT_EQ(app.shownMessageBoxes[0].style, forms::vbYesNo | forms::vbQuestion);
      EXPECT_EQ(app.shownMessageBoxes[0].title, "Corvane 16 bit Windows");
    }
  }
}

TEST_F(WordEngineTest, NormalDotInUseRollsBackOnceAndEndsTheApplication) {
  const std::string dataKey = kOffice + "\\10.0\\Word\\Data";
  setText(dataKey, "Settings", "before");
  setText(kAddinsKey, "Addin", "registered");
  setText(optionsKey("10.0"), "Option", "1");
  const fs::path startup = scratch / "Startup", user = scratch / "User";
  setText(optionsKey("10.0"), "Startup-Path", startup.string());
  setText(generalKey("10.0"), "UserTemplates", user.string());
  for (const char* name : {"A.dot", "D.dot"}) write(startup / name, name);
  write(user / "Normal.dot", "template");
  const Values data = readValues(dataKey);

  CurrentWD = std::make_shared<clsWD10>(services);
  CurrentWD->DataBackup();
  CurrentWD->COMBackup();
  CurrentWD->OptionsBackup();
  CurrentWD->DataRemove();
  CurrentWD->RenameAddins();
  // Word holds Normal.dot, and one renamed add-in is held too, so the rollback's
  // own move of it fails as well.
  platform::Handle normal = holdOpen(user / "Normal.dot", FILE_SHARE_READ | FILE_SHARE_WRITE);
  platform::Handle addin = holdOpen(startup / "A.wbt", FILE_SHARE_READ | FILE_SHARE_WRITE);
  ASSERT_TRUE(normal && addin);
  EXPECT_THROW(CurrentWD->RenameTemplate(), forms::ProcessEnded);
  normal.reset();
  addin.reset();

  ASSERT_EQ(app.shownMessageBoxes.size(), 1u) << "one message, one rollback";
  EXPECT_EQ(app.shownMessageBoxes[0].prompt,
            "The Word Normal.dot default template appears to be in use. Please close down any open "
            "Word documents and reboot the computer before trying this program again. Thank you.");
  EXPECT_EQ(app.shownMessageBoxes[0].style, forms::vbOKOnly);
  EXPECT_EQ(readValues(dataKey), data);
  EXPECT_EQ(listing(user), (std::vector<std::string>{"Normal.dot=template"}));
  EXPECT_EQ(listing(startup), (std::vector<std::string>{"A.wbt=A.dot", "D.dot=D.dot"}));
}

}  // namespace
