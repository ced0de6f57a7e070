// The real programs under Wine, clicked: D: holds an audio disc, E: a demonstration XP CD.
#include <gtest/gtest.h>

#include <array>
#include <sstream>

#include "bench/ProcessCounters.h"
#include "e2e/E2eSupport.h"

using e2e::readFile;
using e2e::systemTarget;
using e2e::Wizard;
using e2e::writeFile;

namespace {

namespace fs = std::filesystem;

const std::string kEditedConfig = "dos=high, umb\r\nfiles=60\r\ndevice=%SystemRoot%\\old.sys\r\n";
const std::string kAutoexec = "@echo off\r\nlh %SystemRoot%\\system32\\mscdexnt.exe\r\n";

// Bad discs and a file that cannot be copied are told; every system file stays as it was.
TEST(WizardE2e, ABadDiscOrAFileThatCannotBeKeptChangesNothing) {
  const std::string all = "CONFIG.NT, AUTOEXEC.NT and COMMAND.NT could not be written";
  // The good disc of cabinets, with CONFIG.NT held open so no copy of it can be kept.
  const std::string copy = "a copy of CONFIG.NT could not be saved";
  const std::pair<const char*, std::string> cases[] = {
      {"random", all}, {"short", all}, {"empty", all}, {"cab", copy}};
  for (const auto& [disc, told] : cases) {
    SCOPED_TRACE(disc);
    e2e::removeTargets();
    writeFile(systemTarget("CONFIG.NT"), kEditedConfig);
    writeFile(systemTarget("AUTOEXEC.NT"), kAutoexec);
    const e2e::DiscInE inE{disc};
    ASSERT_TRUE(inE.ok);
    const HANDLE lock = disc == std::string("cab")
                            ? CreateFileA(systemTarget("CONFIG.NT").c_str(), GENERIC_READ, 0,
                                          nullptr, OPEN_EXISTING, 0, nullptr)
                            : INVALID_HANDLE_VALUE;
    Wizard w;
    ASSERT_TRUE(w.toPage2()) << w.buttons();
    automation::clickButton(w.next());
    automation::MessageBoxInfo box;
    ASSERT_TRUE(automation::findMessageBox(w.pid(), box, 60000));
    EXPECT_NE(box.text.find(told), std::string::npos) << box.text;
    EXPECT_EQ(box.title, "Corvane 16 bit Windows");
    EXPECT_TRUE(box.hasIcon);
    EXPECT_EQ(box.buttons, std::vector<std::string>{"OK"});
    automation::answerMessageBox(box, "OK");
    EXPECT_TRUE(w.waitForButtons("-CN-", 10000)) << w.buttons();
    if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
    EXPECT_EQ(readFile(systemTarget("CONFIG.NT")), kEditedConfig);
    EXPECT_EQ(readFile(systemTarget("AUTOEXEC.NT")), kAutoexec);
    EXPECT_FALSE(fs::exists(systemTarget("COMMAND.NT")));
    automation::clickButton(w.child("Cancel"));
    EXPECT_TRUE(w.wait(10000));
  }
}

const std::string kQuillsafe = e2e::envPath("CORVA_QUILLSAFE");

// Starts the chooser, picks an option and presses Start; drives the form it opens.
void start(Wizard& w, const char* option) {
  const HWND chooser = w.window();
  automation::clickButton(w.child(option));
  Sleep(200);
  automation::clickButton(w.child("Start"));
  HWND opened = nullptr;
  ASSERT_TRUE(automation::waitFor(
      [&] {
        for (const auto& t : automation::topLevelWindows(w.pid()))
          if (t.className == "CorvaForm" && t.visible && t.hwnd != chooser) opened = t.hwnd;
        return opened != nullptr;
      },
      10000));
  EXPECT_FALSE(IsWindowVisible(chooser));
  w.drive(opened);
}

// The user's CONFIG.NT survives a repair opened by the settings tool and a forced second one.
TEST(WizardE2e, TheUsersConfigIsKeptThroughTwoRepairsAndAForcedEnd) {
  e2e::removeTargets();
  writeFile(systemTarget("CONFIG.NT"), kEditedConfig);
  {
    const e2e::DiscInE cabinets{"cab"};
    ASSERT_TRUE(cabinets.ok);
    Wizard w(kQuillsafe);
    start(w, "Backup WordPerfect customized settings and files");
    EXPECT_EQ(w.buttons(), "-CN-");
    ASSERT_TRUE(w.repairToFinish()) << w.buttons();
    // Closing it ends the program: the hidden chooser keeps nothing alive.
    PostMessageA(w.window(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(w.wait(10000));
  }
  EXPECT_EQ(readFile(systemTarget("CONFIG.NT.before-repair-1")), kEditedConfig);
  EXPECT_FALSE(fs::exists(systemTarget("AUTOEXEC.NT.before-repair-1")));  // there was none
  {
    // Ended as expand writes (not while Wine creates it: the server would wait for ever).
    Wizard w;
    ASSERT_TRUE(w.toPage2()) << w.buttons();
    // Edited again since: this version is kept too.
    writeFile(systemTarget("CONFIG.NT"), "files=80\r\n");
    writeFile(systemTarget("COMMAND.NT"), "");
    automation::clickButton(w.next());
    ASSERT_TRUE(automation::waitFor(e2e::allWritten, 10000));
    TerminateProcess(w.process(), 1);
  }
  for (const char* target : {"CONFIG.NT", "AUTOEXEC.NT", "COMMAND.NT"}) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    SYSTEMTIME when{};
    GetFileAttributesExA(systemTarget(target).c_str(), GetFileExInfoStandard, &data);
    FileTimeToSystemTime(&data.ftLastWriteTime, &when);
    EXPECT_GT(when.wYear, 1980) << target;
  }
  EXPECT_EQ(readFile(systemTarget("CONFIG.NT.before-repair-1")), kEditedConfig);
  EXPECT_EQ(readFile(systemTarget("CONFIG.NT.before-repair-2")), "files=80\r\n");
}

// The restore wizard through to its closing page.
TEST(QuillsafeE2e, ChooserThenRestoreTakesAGoodFileToTheClosingPage) {
  const std::string good = (fs::temp_directory_path() / "quillsafe-e2e.bak").string();
  writeFile(good, "[Backup]\r\nVersion=WP12\r\nBackup_Location=C:\\Saved\r\n");

  Wizard w(kQuillsafe);
  EXPECT_FALSE(GetWindowLongA(w.window(), GWL_STYLE) &
               (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  w.screenshot("quillsafe-chooser");
  start(w, "Restore WordPerfect customized settings and files");
  EXPECT_EQ(w.buttons(), "-CN-");
  w.screenshot("restore-page0");
  automation::clickButton(w.next());
  Sleep(300);
  w.screenshot("restore-page1");
  for (const auto& c : automation::descendants(w.window()))  // the file page's text box
    if (c.className == "Edit")
      SendMessageA(c.hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(good.c_str()));
  Sleep(100);
  automation::clickButton(w.next());
  EXPECT_TRUE(w.waitForButtons("BCN-", 3000)) << w.buttons();
  automation::clickButton(w.next());
  // Pages 3 and 4 pass by themselves; only Finish leads on.
  EXPECT_TRUE(automation::waitFor([&] { return w.buttons() == "-C--"; }, 3000)) << w.buttons();
  ASSERT_TRUE(w.waitForButtons("---F", 5000)) << w.buttons();
  w.screenshot("restore-page5");
  automation::clickButton(w.finish());
  EXPECT_TRUE(w.wait(10000));
  DeleteFileA(good.c_str());
}

// Ticks and repaints gain no GDI or USER objects, handles or memory (bench/ProcessCounters.h).
using Counts = std::array<long, 4>;  // the four, memory in kB (-1: unknown)

// The heap grows in blocks: 256 kB would let a small leak a tick through, the counts not.
void expectNoGrowth(const Counts& before, const Counts& after) {
  std::ostringstream both;
  both << "gdi, user, handles, private kB:";
  for (int i = 0; i < 4; ++i) both << " " << before[i] << "->" << after[i];
  for (int i = 0; i < 3; ++i) EXPECT_LE(after[i], before[i]) << both.str();
  EXPECT_TRUE(before[3] < 0 || after[3] < 0 || after[3] - before[3] <= 256) << both.str();
}

TEST(HandlesE2e, ThousandTicksAndHundredRepaintsOnPage1) {
  // The counter itself must see objects come and go, or equal counts prove nothing.
  const auto own = counters::gdiObjects(GetCurrentProcess());
  ASSERT_TRUE(own) << "the GDI handle table cannot be read";
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  EXPECT_EQ(counters::gdiObjects(GetCurrentProcess()).value_or(-1), *own + 1);
  DeleteObject(brush);

  Wizard w;
  const auto unixProcess = counters::LinuxProcess::find("corva16.exe");
  automation::clickButton(w.next());  // page 0 -> 1
  ASSERT_TRUE(w.waitForButtons("-CN-", 10000)) << "the CD was not found: " << w.buttons();

  // The hidden timeout box sets the timer's interval, as typing into it would.
  HWND timeout = nullptr;
  for (const auto& c : automation::descendants(w.window()))
    if (c.className == "Edit" && c.text == "1000") timeout = c.hwnd;
  ASSERT_TRUE(timeout) << "no text box holds the timer's 1000 ms";
  auto setInterval = [&](const char* ms) { SetWindowTextA(timeout, ms); };
  // Returns once the wizard has handled everything sent before it.
  auto settle = [&] {
    SendMessageTimeoutA(w.window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
  };
  // Counts with the timer stopped, once two readings 200 ms apart agree (a paint under way).
  auto quietCounts = [&] {
    setInterval("0");
    settle();
    Counts last{-1, -1, -1, -1};
    for (int attempt = 0; attempt < 20; ++attempt, Sleep(200)) {
      const Counts now{counters::gdiObjects(w.process()).value_or(-1),
                       counters::userObjects(w.process(), w.pid()),
                       counters::kernelHandles(w.pid()).value_or(-1),
                       unixProcess ? unixProcess->statusKb("VmData").value_or(-1) : -1};
      const bool still = std::equal(now.begin(), now.begin() + 3, last.begin());
      last = now;
      if (still) break;
    }
    setInterval("10");
    return last;
  };
  setInterval("10");

  // The CD goes, a tick disables Next; it comes back, a tick enables it.
  const std::string present = e2e::discFolder(), aside = present + ".aside";
  const struct PutBack {
    const std::string &from, &to;
    ~PutBack() { MoveFileA(from.c_str(), to.c_str()); }
  } putBack{aside, present};
  HWND next = w.next();
  auto cycle = [&] {
    return e2e::moveFolder(present, aside) &&
           automation::waitFor([&] { return !automation::isEnabled(next); }, 5000, 1) &&
           e2e::moveFolder(aside, present) &&
           automation::waitFor([&] { return automation::isEnabled(next); }, 5000, 1);
  };
  auto repaint = [&] {
    RedrawWindow(w.window(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    settle();
  };
  // First runs of each path may fill the wizard's caches of fonts and brushes.
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(cycle()) << "warm-up tick " << i;
  for (int i = 0; i < 5; ++i) repaint();
  const Counts before = quietCounts();

  int ticks = 0;
  while (ticks < 1000 && cycle()) ++ticks;
  ASSERT_EQ(ticks, 1000) << "buttons " << w.buttons() << ", running " << w.running();
  const Counts afterTicks = quietCounts();
  expectNoGrowth(before, afterTicks);

  for (int i = 0; i < 100; ++i) repaint();
  expectNoGrowth(afterTicks, quietCounts());
}

}  // namespace
