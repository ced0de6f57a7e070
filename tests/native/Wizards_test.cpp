// The wizards and the Word engine in memory, with what the real system cannot bring about.
#include <gtest/gtest.h>

#include <sstream>

#include "app/Module1.h"
#include "app/clsBackup.h"
#include "app/frmBackup.h"
#include "fakes/FakePlatform.h"
#include "forms/memory/MemoryApplication.h"
#include "helpers/BackupLocation.h"
#include "helpers/Module1Shell.h"
#include "helpers/OpenWebPage.h"
#include "settingsbackup/QuillsafeMain.h"
#include "settingsbackup/frmMain.h"
#include "settingsbackup/frmRestore.h"
#include "wordengine/clsWD10.h"
#include "wordengine/clsWD11.h"

// Values by root, key and name, whatever the case; a key is there while it holds any.
static std::map<std::string, RegistryValue> registry;
static std::string at(std::uint32_t root, std::string key, const std::string& name = "") {
  key = std::to_string(root) + "\\" + key + "\\" + name;
  for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return key;
}

bool clsRegistry::KeyExists(std::uint32_t root, std::string key, const std::string&) const {
  const auto next = registry.lower_bound(at(root, key));
  return next != registry.end() && next->first.rfind(at(root, key), 0) == 0;
}
RegistryValue clsRegistry::GetValue(std::uint32_t root, std::string key, const std::string& name,
                                    const std::string&) const {
  const auto value = registry.find(at(root, key, name));
  return value == registry.end() ? RegistryValue() : value->second;
}
bool clsRegistry::DeleteKey(std::uint32_t, std::string, const std::string&) const {
  return false;
}
std::optional<std::string> Module1::GetAppDataFolder() {
  return std::nullopt;
}

namespace {

// "1 -CN- -G---R": page 1 in front, Back and Finish off, the step markers green, red or
// grey; a step's label is bold exactly when its marker is green.
std::string state(const wizard::WizardForm& f) {
  std::string s = "? BCNF ";
  for (forms::Control* c : f.stacking(nullptr))
    if (c->name() == "fraSteps" && s[0] == '?') s[0] = static_cast<char>('0' + c->index());
  const forms::Control* buttons[] = {&f.cmdBack, &f.cmdCancel, &f.cmdNext, &f.cmdFinish};
  for (int i = 0; i < 4; ++i)
    if (!buttons[i]->enabled()) s[2 + i] = '-';
  const forms::Color marks[] = {forms::rgb(0, 255, 0), forms::rgb(255, 0, 0),
                                forms::rgb(128, 128, 128)};
  for (int i = 0; i < 6; ++i) {
    s += "GR-?"[std::find(marks, marks + 3, f.shpSteps(i).fillColor()) - marks];
    EXPECT_EQ(s.back() == 'G', f.lblSteps(i).font().bold) << "marker and label " << i;
  }
  return s;
}

// The header of an SZDD file that expands to 100 bytes (the data is not read).
const std::string kSzdd100 = std::string("SZDD\x88\xF0\x27\x33") + "A_d" + std::string(3, '\0');

struct NoAutomation : platform::AutomationApi {
  std::unique_ptr<platform::AutomationObject> create(const std::string&) override { return {}; }
};

class Wizard : public ::testing::Test {
 protected:
  void TearDown() override {
    registry.clear();
    CurrentWD.reset();
    Module1::CurrentStep = 0;
  }

  frmBackup& start() {
    Module1::Main(app, sys.platform);
    return Module1::frmBackupInstance(app, sys.platform);
  }

  // An XP CD in E: behind an empty D:; expand writes its target whole.
  void cdInE() {
    sys.drives.add('D', platform::kDriveCdRom, std::nullopt);
    sys.drives.add('E', platform::kDriveCdRom, "WXPCD");
    sys.files.addFolder("E:\\i386");
    for (const RepairCommand& c : kRepairCommands)
      sys.files.writeFile(std::string("E:\\") + c.source, kSzdd100);
    sys.processes.behaviour = [this](const auto& s, auto& code) {
      sys.files.writeFile(s.commandLine.substr(s.commandLine.rfind(' ') + 1),
                          std::string(100, 'x'));
      code = 0;
      return true;
    };
  }

  frmBackup& toPage2() {
    frmBackup& f = start();
    f.cmdNext.userClick();
    f.tmrCheck.tick();
    f.cmdNext.userClick();
    return f;
  }

  // The Words started and the boxes shown since the last call.
  std::string seen() {
    std::string s;
    for (const auto& p : sys.processes.started) s += p.application;
    for (const auto& b : app.shownMessageBoxes) s += b.prompt + "|" + std::to_string(b.style);
    sys.processes.started.clear();
    app.shownMessageBoxes.clear();
    return s;
  }

  forms::MemoryApplication app;
  FakeSystem sys;
  std::vector<std::string> calls;
  // The picker answers with a bare name, padded after a NUL as the real dialog pads it.
  BackupFileAccess access{
      [this](const std::string& title, const std::string& filter, std::string& extension) {
        calls.push_back(title + "|" + filter + "|" + extension);
        return "wp.BAK" + std::string(1, '\0') + std::string(200, ' ');
      },
      [this](const std::string& file, const std::string& section, const std::string& key) {
        calls.push_back(file + "|" + section + "|" + key);
        return key == "Version" ? std::string("WP12") : std::string("D:\\Backup");
      }};
  NoAutomation automation;
  WordServices services{app, sys.platform, automation};
};
using SettingsTool = Wizard;
using WordEngine = Wizard;

TEST_F(Wizard, SideBarButtonsAndTicksAndClicksInsideTheYieldsOfNext) {
  cdInE();
  frmBackup& f = start();
  EXPECT_EQ(state(f), "0 -CN- G----R");
  for (const char* hidden : {"txtTimeout", "lblTimeout", "lblNext2", "lblNext3"})
    EXPECT_FALSE(f.control(hidden).visible()) << hidden;
  f.tmrCheck.tick();
  EXPECT_EQ(f.lstDrives.list(1), "E:\\ - [none]") << "a tick outside page 1 changes nothing";
  f.cmdNext.userClick();
  f.cmdBack_Click();  // disabled from here on, but sound when called
  EXPECT_EQ(state(f), "0 -CN- G----R");
  f.cmdNext.userClick();
  f.cmdNext_Click();  // before any tick found the CD: nothing to repair from
  EXPECT_EQ(state(f), "1 -C-- -G---R");
  f.tmrCheck.tick();
  // Next acts on the detection as it stood at the click; a Next inside its yields is dropped.
  int yields = 0;
  app.onDoEvents = [&] {
    if (yields++ != 0) return;
    f.cmdNext.userClick();
    // The drive spins up again after one tick that could not read it.
    sys.drives.drives["E:\\"].label.reset();
    f.tmrCheck.tick();
    sys.drives.drives["E:\\"].label = "WXPCD";
  };
  f.cmdNext.userClick();
  EXPECT_GT(yields, 0);
  EXPECT_EQ(state(f), "2 -CN- --G--R");
  EXPECT_TRUE(sys.processes.started.empty());
  f.cmdNext.userClick();
  // Calls (1,2) and (4,5): marker 2 keeps green, as the jump never leaves it.
  EXPECT_EQ(state(f), "5 ---F --G--G");
  EXPECT_EQ(app.focused, &f.cmdFinish) << "the expand windows took the focus: it comes back";
  ASSERT_EQ(sys.processes.started.size(), 3u);
  for (const auto& s : sys.processes.started)  // minimised, never a bare name searched for
    EXPECT_EQ(s.application + " " + std::to_string(s.showCommand),
              "C:\\WINDOWS\\system32\\expand.exe 2");
  EXPECT_EQ(sys.processes.started[1].commandLine,
            "expand E:\\i386\\autoexec.nt_ c:\\windows\\system32\\AUTOEXEC.NT");
}

// Cancel ends at once before the repair, during expand only once a file is whole or put back.
TEST_F(Wizard, CancelEndsBeforeExpandStartsOrOnceEveryFileIsWholeOrAsItWas) {
  cdInE();
  const std::string autoexec = "c:\\windows\\system32\\AUTOEXEC.NT";
  sys.files.writeFile(autoexec, "@echo off");
  frmBackup& f = toPage2();
  app.onDoEvents = [&] { f.cmdCancel.userClick(); };
  EXPECT_THROW(f.cmdNext.userClick(), forms::ProcessEnded);
  EXPECT_TRUE(sys.processes.started.empty());
  app.onDoEvents = nullptr;
  app.releaseDefaultInstances();
  frmBackup& g = toPage2();
  const auto writes = sys.processes.behaviour;
  sys.processes.behaviour = [&](const auto& s, auto& code) {
    if (s.commandLine.find("AUTOEXEC") == std::string::npos) return writes(s, code);
    sys.files.writeFile(autoexec, "@ec");  // and goes on running
    return true;
  };
  std::optional<std::string> atTheEnd;
  app.onEndProcess = [&] { atTheEnd = sys.files.readFile(autoexec, 99); };
  app.onDoEvents = [&] {
    if (sys.processes.started.size() == 3) g.cmdCancel.userClick();
  };
  EXPECT_THROW(g.cmdNext.userClick(), forms::ProcessEnded);
  EXPECT_EQ(atTheEnd, "@echo off");
}

// expand fails, leaves the old AUTOEXEC.NT or never ends (-1), or no copy is kept: told.
TEST_F(Wizard, OneFileNotWrittenIsToldAndARetryCanSucceed) {
  cdInE();
  sys.files.writeFile("c:\\windows\\system32\\AUTOEXEC.NT", "@echo off");
  frmBackup& f = toPage2();
  const auto writes = sys.processes.behaviour;
  for (const int exitCode : {1, 0, -1}) {
    SCOPED_TRACE(exitCode);
    sys.processes.behaviour = [&](const auto& s, auto& code) {
      if (s.commandLine.find("AUTOEXEC") == std::string::npos) return writes(s, code);
      if (exitCode >= 0) code = exitCode;
      return true;
    };
    app.shownMessageBoxes.clear();
    const std::uint64_t clock = app.clock;
    const int yields = app.doEventsCount;
    f.cmdNext.userClick();
    EXPECT_EQ(state(f), "2 -CN- --G--R");
    ASSERT_EQ(app.shownMessageBoxes.size(), 1u);
    EXPECT_NE(app.shownMessageBoxes[0].prompt.find("repaired: AUTOEXEC.NT could not be written"),
              std::string::npos);
    if (exitCode < 0) {
      EXPECT_GE(app.clock - clock, 60000u);
      EXPECT_LT(app.clock - clock, 61000u);
      EXPECT_GT(app.doEventsCount - yields, 100);
    }
  }
  // A copy cut short (a full disk) is no copy: nothing starts, and the file is named.
  const std::size_t started = sys.processes.started.size();
  sys.files.limitCopiesTo(3);
  app.shownMessageBoxes.clear();
  f.cmdNext.userClick();
  EXPECT_EQ(sys.processes.started.size(), started);
  ASSERT_EQ(app.shownMessageBoxes.size(), 1u);
  EXPECT_NE(app.shownMessageBoxes[0].prompt.find("a copy of CONFIG.NT could not be saved"),
            std::string::npos);
  sys.files.limitCopiesTo(UINT64_MAX);
  sys.processes.behaviour = writes;
  f.cmdNext.userClick();
  EXPECT_EQ(Module1::CurrentStep, 5);
}

// Drives: letter, kind (c CD-ROM, f fixed, r removable, n remote), ":LABEL", "+" if it holds
// i386 ("!": the listing fails); then the list, status, buttons and CD root after a tick.
TEST_F(Wizard, OneTickReportsEveryDriveUpToTheCd) {
  const std::pair<const char*, std::string> cases[] = {
      {"Dc Ec:WXPCD+", "D:\\ - [none]|E:\\ - [WXPCD] Found XP CD on E:\\ -CN- E:\\"},
      {"Dc:", "D:\\ - [] Checking for XP CD... -C-- "},
      {"Dc:-1+", "D:\\ - [-1] Found XP CD on D:\\ -CN- D:\\"},  // "-1" is a label
      {"Dc:ONE+ Ec:TWO+", "D:\\ - [ONE]|E:\\ - [none] Found XP CD on D:\\ -CN- D:\\"},
      {"", " Checking for CD... -C-- "},  // no CD-ROM drive: the load's status stays
      {"Ec:WXPCD+ !", " Checking for CD... -C-- "},
      // Only CD-ROM drives, in letter order, whatever the case of the letter.
      {"Ar Cf fc Dc:X Nn", "D:\\ - [X]|F:\\ - [none] Checking for XP CD... -C-- "}};
  for (const auto& [drives, expected] : cases) {
    app.releaseDefaultInstances();
    sys.drives = FakeDrives();
    sys.files = FakeFileSystem();
    std::istringstream words(drives);
    for (std::string d; words >> d;) {
      sys.drives.failListing |= d == "!";
      const bool cd = d.back() == '+';
      if (cd) d.pop_back();
      const auto kind = static_cast<std::uint32_t>(std::string("..rfnc").find(d[1]));  // DriveType
      if (d != "!")
        sys.drives.add(d[0], kind, d.size() > 2 ? std::optional(d.substr(3)) : std::nullopt);
      if (cd) sys.files.addFolder(d.substr(0, 1) + ":\\i386");
    }
    frmBackup& f = start();
    f.cmdNext.userClick();
    f.tmrCheck.tick();
    std::string seen;
    for (const auto& e : f.lstDrives.items()) seen += (seen.empty() ? "" : "|") + e;
    EXPECT_EQ(seen + " " + f.lblStatus.caption() + " " + state(f).substr(2, 4) + " " + f.CdRootPath,
              expected)
        << drives;
  }
}

TEST_F(Wizard, IntervalTakesWholeNumbersInRangeAndZeroStopsTheTicks) {
  frmBackup& f = start();
  std::string intervals = std::to_string(f.tmrCheck.interval());
  for (const char* text : {"abc", "70000", "-5", "250", "0"}) {
    f.txtTimeout.setText(text);
    intervals += " " + std::to_string(f.tmrCheck.interval());
  }
  EXPECT_EQ(intervals, "1000 1000 1000 1000 250 0");
  EXPECT_FALSE(f.tmrCheck.tick());
}

// The shell's answers decide what the site link tells and starts; the product link ends.
TEST_F(Wizard, ShellAnswersDecideWhatTheLinksTellAndStart) {
  const std::string kNotFound = "Browser Not Found: Could not find associated Browser";
  const std::string kFailed = "URL Failed: Web Page not Opened";
  // find 0: no scratch page. Blanks around the browser's path go.
  const struct {
    std::intptr_t find, execute;
    std::string browser, siteLinkMessage;
  } cases[] = {{42, 42, "C:\\b.exe", ""},        {33, 33, "C:\\b.exe", ""},
               {33, 32, "C:\\b.exe", kFailed},   {42, 2, "C:\\b.exe", kFailed},
               {32, 42, "C:\\b.exe", kNotFound}, {-1, 42, "C:\\b.exe", kNotFound},
               {0, 42, "C:\\b.exe", kNotFound},  {42, 42, " C:\\b.exe  ", ""},
               {42, 42, "   ", kNotFound}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.find) + "/" + std::to_string(c.execute) + " " + c.browser);
    sys.shell.canCreateScratch = c.find != 0;
    sys.shell.findResult = c.find;
    sys.shell.executeResult = c.execute;
    sys.shell.browser = c.browser;
    app.releaseDefaultInstances();
    frmBackup& f = start();
    // The messages, then each start of the browser.
    const auto told = [&](const std::function<void()>& click) {
      sys.shell.executed.clear();
      app.shownMessageBoxes.clear();
      click();
      std::string s;
      for (const auto& box : app.shownMessageBoxes) {
        s += box.title + ": " + box.prompt;
        EXPECT_EQ(box.style, forms::vbOKOnly | forms::vbExclamation);
      }
      for (const std::string& e : sys.shell.executed) s += "|" + e;
      return s;
    };
    const bool found = c.siteLinkMessage != kNotFound;
    const std::string host = kMakerWebHost, browser = "|open C:\\b.exe " + host;
    EXPECT_EQ(told([&] { f.Label17_Click(); }), c.siteLinkMessage + (found ? browser + " 1" : ""));
    EXPECT_EQ(told([&] { EXPECT_THROW(f.Label8_Click(), forms::ProcessEnded); }),
              found ? browser + "/16bit.htm 1" : kNotFound);
    EXPECT_EQ(sys.shell.owner, found ? app.windowHandle(f) : 0u);
    sys.shell.owner = 0;
  }
}

// Up to the file check, back, and Escape (the progress pages are an end-to-end run).
TEST_F(SettingsTool, RestoreWizardChecksTheFileAndGoesBack) {
  sys.files.addFile("wp.BAK");
  frmRestore& f = app.defaultInstance<frmRestore>(sys.files, access);
  f.show(forms::Modality::Modal);
  f.cmdNext.userClick();
  EXPECT_EQ(state(f), "1 -CN- -G---R");
  f.cmdNext.userClick();  // no file: told, and Back comes on
  ASSERT_EQ(app.shownMessageBoxes.size(), 1u);
  EXPECT_EQ(app.shownMessageBoxes[0].prompt, "Please select a file");
  EXPECT_EQ(state(f), "1 BCN- -G---R");
  // The picker's buffer up to its NUL, read where it was found, not in the Windows folder.
  f.control("btnSelect").userClick();
  EXPECT_EQ(f.text1.text(), "wp.BAK");
  f.cmdNext.userClick();
  EXPECT_EQ(state(f), "2 BCN- --G--R");
  EXPECT_EQ(BackupLocation, "D:\\Backup");
  EXPECT_EQ(calls,
            (std::vector<std::string>{"Open|Backup files BAK|*.BAK|*.*", ".\\wp.BAK|Backup|Version",
                                      ".\\wp.BAK|Backup|Backup_Location"}));
  f.cmdBack.userClick();
  EXPECT_EQ(state(f), "1 BCN- -G---R");
  f.cmdBack.userClick();
  EXPECT_EQ(state(f), "0 -CN- G----R");
  EXPECT_THROW(f.pressEscape(), forms::ProcessEnded);
}

// On 64-bit Windows Backup says why there is no repair, and ends.
TEST_F(SettingsTool, On64BitWindowsTheBackupChoiceEnds) {
  sys.processes.wow64 = true;
  EXPECT_THROW(Quillsafe::Main(app, sys.platform, access).Command4.userClick(),
               forms::ProcessEnded);
  EXPECT_EQ(app.existingInstance<frmBackup>(), nullptr);
  ASSERT_EQ(app.shownMessageBoxes.size(), 1u);
  EXPECT_NE(app.shownMessageBoxes[0].prompt.find("Nothing was changed."), std::string::npos);
}

constexpr std::uint32_t kHKCU = clsRegistry::kCurrentUser;

// At step 2 Backup keeps the newest Word ("WP 9": none), at 4 presses Next, else forgets it.
TEST_F(WordEngine, BackupChoosesTheNewestWordAtStepTwoAndPressesNextAtStepFour) {
  const std::string none = "WP 9|0", word10 = clsWD10::kVersion.winword,
                    word11 = clsWD11::kVersion.winword;
  const struct {
    std::vector<const char*> offices;
    int step;
    std::string chosen;
    int stepAfter;
  } cases[] = {{{"10.0"}, 2, word10, 2},         {{"11.0"}, 2, word11, 2},
               {{"10.0", "11.0"}, 2, word11, 2}, {{}, 2, none, 2},
               {{"10.0", "11.0"}, 4, none, 5},   {{"10.0", "11.0"}, 3, none, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.chosen + " at step " + std::to_string(c.step));
    registry.clear();
    for (const char* office : c.offices)
      registry[at(kHKCU,
                  std::string("Software\\Microsoft\\Office\\") + office + "\\Word\\Options")];
    CurrentWD = std::make_shared<clsWD10>(services);
    Module1::CurrentStep = c.step;
    clsBackup(services).Backup();
    EXPECT_EQ(seen(), c.step == 2 ? c.chosen : "");
    EXPECT_EQ(Module1::CurrentStep, c.stepAfter);
    CurrentWD->Execute();
    EXPECT_EQ(seen(), c.chosen);
    app.releaseDefaultInstances();
  }
}

TEST_F(WordEngine, ACopyCutShortKeepsTheSourceAndLeavesNoPartialCopy) {
  registry[at(kHKCU, "Software\\Microsoft\\Office\\10.0\\Common\\General", "UserTemplates")] =
      std::string("C:\\Templates");
  sys.files.addFile("C:\\Templates\\Normal.dot", 4096);
  sys.files.limitCopiesTo(100);  // a full disk: the copy call succeeds, the file is short
  for (bool word2002 : {true, false}) {
    SCOPED_TRACE(word2002 ? "Word 2002" : "Word 2003");
    app.msgBoxAnswers = {forms::vbYes};
    word2002 ? clsWD10(services).RenameTemplate() : clsWD11(services).RenameTemplate();
    EXPECT_EQ(sys.files.fileLength("C:\\Templates\\Normal.dot"), 4096u);
    EXPECT_FALSE(sys.files.pathFileExists("C:\\Templates\\0Normal.dot"));
    // Word 2002 still asks about the missing copy; the answer cannot cost the source.
    EXPECT_EQ(seen(), word2002 ? "C:\\Templates\\0Normal.dot\r\n\r\n\r\n\r\n|36" : "");
  }
}

}  // namespace
