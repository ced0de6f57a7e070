// The repair wizard in the in-memory realisation: placement, page machine, CD
// detection, repair outcomes, links and Finish.
#include "app/frmBackup.h"

#include <gtest/gtest.h>

#include "app/Module1.h"
#include "fakes/FakePlatform.h"
#include "forms/memory/MemoryApplication.h"
#include "helpers/OpenWebPage.h"
#include "native/WizardProbe.h"

namespace {

std::string lastWord(const std::string& s) {
  return s.substr(s.rfind(' ') + 1);
}

// A source in the SZDD format that expands to `length` bytes (the data is not read).
std::string compressed(std::uint32_t length) {
  std::string s(
      "SZDD\x88\xF0\x27\x33"
      "A_",
      10);
  for (int i = 0; i < 4; ++i) s += static_cast<char>((length >> (8 * i)) & 0xFF);
  return s;
}
const std::string kSystem32 = "c:\\windows\\system32\\";

class Wizard : public ::testing::Test {
 protected:
  void SetUp() override {
    // expand writes its target whole: as long as each source below says.
    sys.processes.behaviour = [this](const FakeProcesses::Started& s, FakeProcesses::State& st) {
      sys.files.writeFile(lastWord(s.commandLine), std::string(100, 'x'));
      st.exitCode = 0;
      return true;
    };
  }
  void TearDown() override { Module1::CurrentStep = 0; }

  frmBackup& start() {
    Module1::Main(app, sys.platform);
    return Module1::frmBackupInstance(app, sys.platform);
  }

  // An XP CD in E: behind an empty D:.
  void cdInE() {
    sys.drives.add('C', platform::kDriveFixed);
    sys.drives.add('D', platform::kDriveCdRom, std::nullopt);
    sys.drives.add('E', platform::kDriveCdRom, "WXPCD");
    sys.files.addFolder("E:\\i386");
    for (const RepairCommand& c : kRepairCommands)
      sys.files.writeFile(std::string("E:\\") + c.source, compressed(100));
  }

  frmBackup& toPage2() {
    frmBackup& f = start();
    f.cmdNext.userClick();
    f.tmrCheck.tick();
    f.cmdNext.userClick();
    return f;
  }

  forms::MemoryApplication app;
  FakeSystem sys;
};

// --- The page machine -----------------------------------------------------------------

TEST_F(Wizard, WholeRunRepairsFromTheCdAndLandsOnFinish) {
  cdInE();
  // The user's own CONFIG.NT, and a copy kept by an earlier repair.
  sys.files.writeFile(kSystem32 + "CONFIG.NT", "FILES=60");
  sys.files.writeFile(kSystem32 + "CONFIG.NT.before-repair-1", "FILES=40");
  frmBackup& f = start();
  EXPECT_EQ(probe::state(f), "0 -CN- G----R");
  EXPECT_EQ(f.lblStatus.caption(), "Checking for CD...");
  EXPECT_EQ(f.tmrCheck.interval(), 1000);
  EXPECT_EQ(app.doEventsCount, 5);  // three before the show, two after
  for (const char* hidden : {"txtTimeout", "lblTimeout", "lblNext2", "lblNext3"})
    EXPECT_FALSE(f.control(hidden).visible()) << hidden;
  f.tmrCheck.tick();
  EXPECT_EQ(f.lstDrives.list(1), "E:\\ - [none]") << "a tick outside page 1 changes nothing";
  EXPECT_EQ(f.CdRootPath, "");
  f.cmdNext.userClick();
  f.cmdBack_Click();  // disabled from here on, but sound when called
  EXPECT_EQ(probe::state(f), "0 -CN- G----R");
  EXPECT_EQ(Module1::CurrentStep, 0);
  f.cmdNext.userClick();
  EXPECT_EQ(probe::state(f), "1 -C-- -G---R") << "no repair before the CD is found";
  f.tmrCheck.tick();
  EXPECT_EQ(probe::state(f), "1 -CN- -G---R");
  EXPECT_EQ(f.CdRootPath, "E:\\");
  f.cmdNext.userClick();
  EXPECT_EQ(probe::state(f), "2 -CN- --G--R");
  f.cmdNext.userClick();
  EXPECT_EQ(Module1::CurrentStep, 5);
  // Calls (1,2) and (4,5): marker 2 keeps green, as the jump never leaves it.
  EXPECT_EQ(probe::state(f), "5 ---F --G--G");
  EXPECT_EQ(app.focused, &f.cmdFinish) << "the expand windows took the focus: it comes back";
  ASSERT_EQ(sys.processes.started.size(), 3u);
  const char* expected[] = {"expand E:\\i386\\config.nt_ c:\\windows\\system32\\CONFIG.NT",
                            "expand E:\\i386\\autoexec.nt_ c:\\windows\\system32\\AUTOEXEC.NT",
                            "expand E:\\i386\\command.co_ c:\\windows\\system32\\COMMAND.NT"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(sys.processes.started[i].commandLine, expected[i]);
    EXPECT_EQ(sys.processes.started[i].application, "C:\\WINDOWS\\system32\\expand.exe");
    EXPECT_EQ(sys.processes.started[i].showCommand, 2);
  }
  EXPECT_TRUE(app.shownMessageBoxes.empty());
  EXPECT_EQ(sys.files.readFile(kSystem32 + "CONFIG.NT.before-repair-1", 99), "FILES=40");
  EXPECT_EQ(sys.files.readFile(kSystem32 + "CONFIG.NT.before-repair-2", 99), "FILES=60");
  EXPECT_FALSE(sys.files.exists(kSystem32 + "AUTOEXEC.NT.before-repair-1"));
}

TEST_F(Wizard, On64BitWindowsTheUserIsToldAndNoWizardOpens) {
  sys.processes.wow64 = true;
  Module1::Main(app, sys.platform);
  EXPECT_EQ(app.existingInstance<frmBackup>(), nullptr);
  ASSERT_EQ(app.shownMessageBoxes.size(), 1u);
  EXPECT_EQ(app.shownMessageBoxes[0].title, "Corvane 16 bit Windows");
  EXPECT_NE(app.shownMessageBoxes[0].prompt.find("Nothing was changed."), std::string::npos);
}

TEST_F(Wizard, NextClickedInsideTheYieldsOfAnotherIsIgnored) {
  cdInE();
  frmBackup& f = start();
  f.cmdNext.userClick();
  f.tmrCheck.tick();
  int nested = 0;
  app.onDoEvents = [&] {
    ++nested;
    f.cmdNext.userClick();
  };
  f.cmdNext.userClick();  // page 1 -> 2; the nested clicks must not run the repair
  EXPECT_GT(nested, 0);
  EXPECT_EQ(Module1::CurrentStep, 2);
  EXPECT_TRUE(sys.processes.started.empty());
  f.cmdNext.userClick();
  EXPECT_EQ(Module1::CurrentStep, 5);
  EXPECT_EQ(sys.processes.started.size(), 3u);
}

// Next on page 1 acts on the detection as it stood when the click was taken.
TEST_F(Wizard, NextOnPageOneActsOnTheDetectionAsItStoodAtTheClick) {
  cdInE();
  frmBackup& f = start();
  f.cmdNext.userClick();
  f.cmdNext_Click();  // before any tick found the CD: nothing to repair from
  EXPECT_EQ(probe::page(f), 1);
  f.tmrCheck.tick();
  ASSERT_EQ(probe::buttons(f), "-CN-");
  int yields = 0;
  app.onDoEvents = [&] {
    if (yields++ != 0) return;
    // The drive spins up again after one tick that could not read it.
    sys.drives.drives["E:\\"].label.reset();
    f.tmrCheck.tick();
    sys.drives.drives["E:\\"].label = "WXPCD";
  };
  f.cmdNext.userClick();
  EXPECT_GT(yields, 0);
  EXPECT_EQ(probe::page(f), 2);
  EXPECT_EQ(probe::buttons(f), "-CN-");
  EXPECT_EQ(f.CdRootPath, "E:\\");
}

TEST_F(Wizard, CancelDuringTheRepairYieldsStartsNothing) {
  cdInE();
  frmBackup& f = toPage2();
  app.onDoEvents = [&] { f.cmdCancel.userClick(); };
  EXPECT_THROW(f.cmdNext.userClick(), forms::ProcessEnded);
  EXPECT_TRUE(sys.processes.started.empty());
}

// The real program ends without unwinding: Cancel while expand runs ends it only
// once a file cut short is put back.
TEST_F(Wizard, CancelWhileExpandRunsEndsWithEveryFileWholeOrAsItWas) {
  cdInE();
  const std::string autoexec = kSystem32 + "AUTOEXEC.NT";
  sys.files.writeFile(autoexec, "@echo off");
  frmBackup& f = toPage2();
  const auto writes = sys.processes.behaviour;
  sys.processes.behaviour = [&](const FakeProcesses::Started& s, FakeProcesses::State& st) {
    if (s.commandLine.find("AUTOEXEC") != std::string::npos)
      sys.files.writeFile(autoexec, "@ec");  // and goes on running
    else
      writes(s, st);
    return true;
  };
  std::optional<std::string> atTheEnd;
  app.onEndProcess = [&] { atTheEnd = sys.files.readFile(autoexec, 99); };
  app.onDoEvents = [&] {
    if (sys.processes.started.size() == 3) f.cmdCancel.userClick();
  };
  EXPECT_THROW(f.cmdNext.userClick(), forms::ProcessEnded);
  EXPECT_EQ(atTheEnd, "@echo off");
}

// --- Repair outcomes ---------------------------------------------------------------------

// How expand fails for AUTOEXEC.NT (the other two are written), or for all three.
enum class Failure {
  CannotStart,
  NonZeroExit,
  ZeroExitButNothingWritten,
  OldFileLeftAsItWas,
  NeverEnds,
  NoneStarts
};

class RepairFailures : public Wizard, public ::testing::WithParamInterface<int> {};

// Each failure is told, keeps the wizard on page 2, and a retry that works goes on.
TEST_P(RepairFailures, AreToldAndARetryCanSucceed) {
  cdInE();
  const std::string autoexec = "c:\\windows\\system32\\AUTOEXEC.NT";
  const Failure failure = static_cast<Failure>(GetParam());
  if (failure == Failure::OldFileLeftAsItWas) sys.files.writeFile(autoexec, "@echo off");
  frmBackup& f = toPage2();
  const auto writes = sys.processes.behaviour;
  sys.processes.behaviour = [&](const FakeProcesses::Started& s, FakeProcesses::State& st) {
    if (failure == Failure::NoneStarts) return false;
    if (s.commandLine.find("AUTOEXEC") == std::string::npos) return writes(s, st);
    if (failure == Failure::NonZeroExit) st.exitCode = 1;
    if (failure == Failure::ZeroExitButNothingWritten || failure == Failure::OldFileLeftAsItWas)
      st.exitCode = 0;
    return failure != Failure::CannotStart;
  };
  const std::string missing =
      failure == Failure::NoneStarts ? "CONFIG.NT, AUTOEXEC.NT and COMMAND.NT" : "AUTOEXEC.NT";
  const int yieldsBefore = app.doEventsCount;
  f.cmdNext.userClick();
  EXPECT_EQ(Module1::CurrentStep, 2);
  EXPECT_EQ(probe::state(f), "2 -CN- --G--R");
  ASSERT_EQ(app.shownMessageBoxes.size(), 1u);
  const auto& box = app.shownMessageBoxes[0];
  EXPECT_EQ(box.style, forms::vbOKOnly | forms::vbExclamation);
  EXPECT_EQ(box.title + "|" + box.prompt,
            "Corvane 16 bit Windows|The 16-bit MS-DOS Subsystem could not be repaired: " + missing +
                " could not be written.\r\n\r\nPlease check that the Windows XP CD is in the "
                "drive and run this program as an administrator, then click Next to try again.");
  if (failure == Failure::OldFileLeftAsItWas) {
    EXPECT_EQ(sys.files.readFile(autoexec, 99), "@echo off");
  }
  if (failure == Failure::NeverEnds) {  // at most sixty seconds, handling messages meanwhile
    EXPECT_GE(app.clock, 60000u);
    EXPECT_LT(app.clock, 61000u);
    EXPECT_GT(app.doEventsCount - yieldsBefore, 100);
  }
  sys.processes.behaviour = writes;
  f.cmdNext.userClick();
  EXPECT_EQ(Module1::CurrentStep, 5);
}

INSTANTIATE_TEST_SUITE_P(Wizard, RepairFailures, ::testing::Range(0, 6));  // each Failure

// --- CD detection --------------------------------------------------------------------

TEST_F(Wizard, AFailingDriveListingLeavesTheListEmpty) {
  cdInE();
  sys.drives.failListing = true;
  EXPECT_EQ(start().lstDrives.listCount(), 0);
}

// One tick on page 1. Drives: "D:WXPCD" is a disc with that label, "D:" an empty
// label, "D" no disc; "+" marks a disc holding i386, "#" a drive of another kind
// (A: removable, N: remote, others fixed). Expected: the list entries joined by
// "|", the status, the buttons and the CD root.
struct TickCase {
  std::vector<std::string> drives;
  std::string entries, status, buttons, root;
};

TEST_F(Wizard, OneTickReportsEveryDriveUpToTheCd) {
  const TickCase cases[] = {
      {{"D", "E:WXPCD+"}, "D:\\ - [none]|E:\\ - [WXPCD]", "Found XP CD on E:\\", "-CN-", "E:\\"},
      {{"D:"}, "D:\\ - []", "Checking for XP CD...", "-C--", ""},
      {{"D:-1+"}, "D:\\ - [-1]", "Found XP CD on D:\\", "-CN-", "D:\\"},  // "-1" is a label
      {{"D:ONE+", "E:TWO+"}, "D:\\ - [ONE]|E:\\ - [none]", "Found XP CD on D:\\", "-CN-", "D:\\"},
      {{}, "", "Checking for CD...", "-C--", ""},  // no CD-ROM drive: the load's status stays
      // Only CD-ROM drives, in letter order, whatever the case of the letter.
      {{"#A", "#C", "f", "D:X", "#N"},
       "D:\\ - [X]|F:\\ - [none]",
       "Checking for XP CD...",
       "-C--",
       ""},
  };
  for (const TickCase& c : cases) {
    app.releaseDefaultInstances();
    sys.drives.drives.clear();
    sys.files = FakeFileSystem();
    for (std::string d : c.drives) {
      const bool other = d[0] == '#';
      if (other) d.erase(0, 1);
      const char letter = d[0];
      const bool cd = d.back() == '+';
      if (cd) d.pop_back();
      const std::optional<std::string> label =
          d.size() > 1 ? std::optional<std::string>(d.substr(2)) : std::nullopt;
      const std::uint32_t kind = !other          ? platform::kDriveCdRom
                                 : letter == 'A' ? platform::kDriveRemovable
                                 : letter == 'N' ? platform::kDriveRemote
                                                 : platform::kDriveFixed;
      sys.drives.add(letter, kind, label);
      if (cd) sys.files.addFolder(std::string(1, letter) + ":\\i386");
    }
    frmBackup& f = start();
    f.cmdNext.userClick();
    f.tmrCheck.tick();
    std::string entries;
    for (const auto& e : f.lstDrives.items()) entries += (entries.empty() ? "" : "|") + e;
    SCOPED_TRACE(c.entries);
    EXPECT_EQ(entries, c.entries);
    EXPECT_EQ(f.lblStatus.caption(), c.status);
    EXPECT_EQ(probe::buttons(f), c.buttons);
    EXPECT_EQ(f.CdRootPath, c.root);
  }
}

TEST_F(Wizard, IntervalTakesWholeNumbersAndSkipsTheRest) {
  frmBackup& f = start();
  const std::pair<const char*, int> cases[] = {
      {"abc", 1000}, {"70000", 1000}, {"-5", 1000}, {"250", 250}, {"0", 0}};
  for (const auto& [text, interval] : cases) {
    f.txtTimeout.setText(text);
    EXPECT_EQ(f.tmrCheck.interval(), interval) << text;
  }
  EXPECT_FALSE(f.tmrCheck.tick()) << "an interval of 0 stops the ticks";
}

// --- Links and Finish ------------------------------------------------------------------

// Against the fake shell: which page, which messages for which shell answers, the
// scratch page, and the end of the process.
class Links : public Wizard {
 protected:
  void TearDown() override {
    Wizard::TearDown();
    for (const auto& scratch : sys.shell.files)
      EXPECT_FALSE(sys.files.exists(scratch.first)) << "a scratch page outlived its call";
  }
  // Runs a handler; true when it ended the process.
  template <typename F>
  bool ends(F&& handler) {
    try {
      handler();
    } catch (const forms::ProcessEnded&) {
      return true;
    }
    return false;
  }
  std::vector<std::string> titles() const {
    std::vector<std::string> t;
    for (const auto& b : app.shownMessageBoxes) t.push_back(b.title);
    return t;
  }
};

const std::string kHost = kMakerWebHost;

// The site link (end to end) keeps the wizard; the product link opens the other
// page than it shows and ends.
TEST_F(Links, ProductLinkOpensTheOtherPageThanItShowsAndEnds) {
  frmBackup& f = start();
  EXPECT_TRUE(ends([&] { f.control("Label8").userClick(); }));
  ASSERT_EQ(sys.shell.executed.size(), 1u);
  const auto& e = sys.shell.executed[0];
  EXPECT_EQ(e.operation + "|" + e.file + "|" + e.parameters + "|" + std::to_string(e.showCommand),
            "open|" + sys.shell.browser + "|" + kHost + "/16bit.htm|1");
  EXPECT_EQ(e.owner, app.windowHandle(f));
  EXPECT_EQ(sys.shell.lookedUp, (std::vector<std::string>{"\"<HTML> <\\HTML>\"\r\n"}));
  EXPECT_EQ(f.control("Label8").caption(), kHost + "/corvfx16bit.htm");
}

// What the shell answers (FindExecutable, the browser path it gives, ShellExecute)
// decides what the site link shows and starts; the product link only ever tells
// that no browser was found.
TEST_F(Links, ShellAnswersDecideTheMessages) {
  const char kBrowser[] = "C:\\b.exe";
  const std::string kNotFound = "Browser Not Found: Could not find associated Browser";
  const std::string kFailed = "URL Failed: Web Page not Opened";
  const struct {
    std::intptr_t find, execute;
    std::string browser, siteLinkMessage;  // "title: prompt", or empty
    bool started;
  } cases[] = {{42, 42, kBrowser, "", true},
               {33, 33, kBrowser, "", true},
               {33, 32, kBrowser, kFailed, true},
               {42, 2, kBrowser, kFailed, true},
               {32, 42, kBrowser, kNotFound, false},
               {31, 42, kBrowser, kNotFound, false},
               {-1, 42, kBrowser, kNotFound, false},
               // Blanks around the path go; a path of blanks is no browser.
               {42, 42, "  C:\\b.exe ", "", true},
               {42, 42, "   ", kNotFound, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.find) + "/" + std::to_string(c.execute) + " " + c.browser);
    sys.shell.findResult = c.find;
    sys.shell.executeResult = c.execute;
    sys.shell.browser = c.browser;
    sys.shell.executed.clear();
    app.shownMessageBoxes.clear();
    app.releaseDefaultInstances();
    frmBackup& f = start();
    f.Label17_Click();
    std::string shown;
    for (const auto& box : app.shownMessageBoxes) {
      shown += box.title + ": " + box.prompt;
      EXPECT_EQ(box.style, forms::vbOKOnly | forms::vbExclamation);
    }
    EXPECT_EQ(shown, c.siteLinkMessage);
    std::string started;
    for (const auto& e : sys.shell.executed) started += e.file;
    EXPECT_EQ(started, c.started ? kBrowser : "");
    app.shownMessageBoxes.clear();
    ends([&] { f.Label8_Click(); });
    EXPECT_EQ(titles(), c.started ? std::vector<std::string>{}
                                  : std::vector<std::string>{"Browser Not Found"});
  }
}

TEST_F(Links, NoScratchPageMeansNoBrowserAndFinishStillEnds) {
  sys.shell.canCreateScratch = false;
  frmBackup& f = start();
  EXPECT_TRUE(ends([&] { f.cmdFinish_Click(); }));
  EXPECT_EQ(titles(), std::vector<std::string>{"Browser Not Found"});
  EXPECT_TRUE(sys.shell.executed.empty());
}

}  // namespace
