// The real corva16.exe and quillsafe.exe under Wine: D: holds an audio disc, E: the
// demonstration Windows XP CD. A person's clicks, through real window messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "bench/ProcessCounters.h"
#include "e2e/E2eSupport.h"

using e2e::exists;
using e2e::readFile;
using e2e::systemTarget;
using e2e::Wizard;

namespace {

namespace fs = std::filesystem;

void writeFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}
const std::string kEditedConfig = "dos=high, umb\r\nfiles=60\r\ndevice=%SystemRoot%\\old.sys\r\n";
const std::string kAutoexec = "@echo off\r\nlh %SystemRoot%\\system32\\mscdexnt.exe\r\n";

// One centred tool window of the declared size; a second start brings it to the front.
TEST(WizardE2e, OneCentredToolWindowThatASecondStartBringsToTheFront) {
  Wizard w;
  ASSERT_TRUE(w.window());
  RECT client{}, outer{};
  GetClientRect(w.window(), &client);
  GetWindowRect(w.window(), &outer);
  EXPECT_EQ(client.right, 429);
  EXPECT_EQ(client.bottom, 306);
  const LONG ex = GetWindowLongA(w.window(), GWL_EXSTYLE);
  const LONG style = GetWindowLongA(w.window(), GWL_STYLE);
  EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(ex & WS_EX_APPWINDOW);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  EXPECT_EQ(automation::windowText(w.window()), "");
  const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_LE(std::abs((outer.left + outer.right) - cx), 2);
  EXPECT_LE(std::abs((outer.top + outer.bottom) - cy), 2);
  EXPECT_EQ(w.buttons(), "-CN-");
  w.screenshot("page0");
  HWND other = CreateWindowA("STATIC", "another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                             200, 100, nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(other);
  ASSERT_EQ(automation::foregroundWindow(), other);
  Wizard second(e2e::windowsPath(e2e::env("CORVA_EXE")), 0);
  EXPECT_TRUE(second.wait(20000));
  EXPECT_EQ(automation::findTopLevel(second.pid(), "CorvaForm", 0), nullptr);
  EXPECT_EQ(automation::foregroundWindow(), w.window());
  DestroyWindow(other);
}

// Discs a user may have (scratched, badly copied) and a file that cannot be copied:
// the wizard names the files and every system file stays byte for byte as it was.
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
    EXPECT_FALSE(exists(systemTarget("COMMAND.NT")));
    automation::clickButton(w.cancel());
    EXPECT_TRUE(w.wait(10000));
  }
}

const std::string kQuillsafe = e2e::windowsPath(e2e::env("CORVA_QUILLSAFE"));

// Starts the chooser, picks an option and presses Start; drives the form it opens.
void start(Wizard& w, const char* option) {
  ASSERT_TRUE(w.window());
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

// The user's own CONFIG.NT survives a repair from the cabinets of a Windows XP CD, made
// by the wizard that the settings tool's backup choice opens, and a second repair that
// is ended by force as expand writes.
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
  EXPECT_FALSE(exists(systemTarget("AUTOEXEC.NT.before-repair-1")));  // there was none
  {
    // Ended by force as expand writes. (Ended while Wine still creates an expand
    // process, Wine keeps the prefix's server waiting for it for ever.)
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

// The restore wizard through to its closing page (each kind of faulty file and its
// message is a Windows test).
TEST(QuillsafeE2e, ChooserThenRestoreTakesAGoodFileToTheClosingPage) {
  const std::string good = (fs::temp_directory_path() / "quillsafe-e2e.bak").string();
  writeFile(good, "[Backup]\r\nVersion=WP12\r\nBackup_Location=C:\\Saved\r\n");

  Wizard w(kQuillsafe);
  ASSERT_TRUE(w.window());
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

// The running wizard must not gain GDI objects, USER objects, kernel handles or
// private memory from what it repeats: its timer ticks (1,000 of them, both paths:
// the CD goes and comes back) and repaints of the whole window (100). Under Wine
// GetGuiResources answers 0 for every process, so the counts come from
// bench/ProcessCounters.h: the process's GDI handle table, its windows, the
// system's process list and the Linux process behind it.

// GDI objects, USER objects, kernel handles, private memory in kB (-1: unknown).
using Counts = std::array<long, 4>;

// Heap growth comes in blocks; a leak of a few hundred bytes a tick over 1,000
// ticks would pass this, the counts would not.
constexpr long kPrivateToleranceKb = 256;

void expectNoGrowth(const Counts& before, const Counts& after) {
  std::ostringstream both;
  both << "gdi, user, handles, private kB:";
  for (int i = 0; i < 4; ++i) both << " " << before[i] << "->" << after[i];
  for (int i = 0; i < 3; ++i) EXPECT_LE(after[i], before[i]) << both.str();
  if (before[3] >= 0 && after[3] >= 0) {
    EXPECT_LE(after[3] - before[3], kPrivateToleranceKb) << both.str();
  }
}

TEST(HandlesE2e, ThousandTicksAndHundredRepaintsOnPage1) {
  // The counter itself must see objects come and go, or equal counts prove nothing.
  const auto own = counters::gdiObjects(GetCurrentProcess());
  ASSERT_TRUE(own) << "the GDI handle table cannot be read";
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  EXPECT_EQ(counters::gdiObjects(GetCurrentProcess()).value_or(-1), *own + 1);
  DeleteObject(brush);

  Wizard w;
  ASSERT_TRUE(w.window());
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
  // Counts with the timer stopped, once two readings 200 ms apart agree: a paint
  // still under way has objects of its own that are gone a moment later.
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

  // One cycle: the CD goes, a tick disables Next; it comes back, a tick enables it.
  // Waits look every millisecond, so a thousand cycles fit in seconds.
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
