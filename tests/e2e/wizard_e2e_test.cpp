// The real corva16.exe under Wine: D: holds an audio disc, E: the demonstration
// Windows XP CD. A person's clicks, through real window messages.
#include <gtest/gtest.h>

#include <fstream>
#include <optional>

#include "e2e/E2eSupport.h"

using e2e::exists;
using e2e::readFile;
using e2e::systemTarget;
using e2e::Wizard;

namespace {

void writeFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}
const std::string kEditedConfig = "dos=high, umb\r\nfiles=60\r\ndevice=%SystemRoot%\\old.sys\r\n";
const std::string kAutoexec = "@echo off\r\nlh %SystemRoot%\\system32\\mscdexnt.exe\r\n";

TEST(WizardE2e, WindowIsACentredToolWindowOfTheDeclaredSize) {
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
}

// Discs a user may have (scratched, badly copied) and a file that cannot be copied:
// the wizard names the files and every system file stays byte for byte as it was.
TEST(WizardE2e, ABadDiscOrAFileThatCannotBeKeptChangesNothing) {
  const std::string all = "CONFIG.NT, AUTOEXEC.NT and COMMAND.NT could not be written";
  const struct {
    const char* disc;
    bool configLocked;
    std::string told;
  } cases[] = {{"random", false, all},
               {"short", false, all},
               {"empty", false, all},
               {"xpcd", true, "a copy of CONFIG.NT could not be saved"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.disc);
    e2e::removeTargets();
    writeFile(systemTarget("CONFIG.NT"), kEditedConfig);
    writeFile(systemTarget("AUTOEXEC.NT"), kAutoexec);
    std::optional<e2e::DiscInE> disc;
    if (c.disc != std::string("xpcd")) {
      ASSERT_TRUE(disc.emplace(c.disc).ok());
    }
    HANDLE lock = c.configLocked ? CreateFileA(systemTarget("CONFIG.NT").c_str(), GENERIC_READ, 0,
                                               nullptr, OPEN_EXISTING, 0, nullptr)
                                 : INVALID_HANDLE_VALUE;
    Wizard w;
    ASSERT_TRUE(w.toPage2()) << w.buttons();
    automation::clickButton(w.next());
    automation::MessageBoxInfo box;
    ASSERT_TRUE(automation::findMessageBox(w.pid(), box, 60000));
    EXPECT_NE(box.text.find(c.told), std::string::npos) << box.text;
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
    EXPECT_TRUE(w.waitForExit(10000));
  }
}

// The user's own CONFIG.NT survives a repair from the cabinets of a Windows XP CD and
// a second repair that is ended by force as expand writes.
TEST(WizardE2e, TheUsersConfigIsKeptThroughTwoRepairsAndAForcedEnd) {
  e2e::removeTargets();
  writeFile(systemTarget("CONFIG.NT"), kEditedConfig);
  {
    e2e::DiscInE cabinets("cab");
    ASSERT_TRUE(cabinets.ok());
    Wizard w;
    ASSERT_TRUE(w.repairToFinish()) << w.buttons();
  }
  EXPECT_EQ(readFile(systemTarget("CONFIG.NT.before-repair-1")), kEditedConfig);
  EXPECT_FALSE(exists(systemTarget("AUTOEXEC.NT.before-repair-1")));  // there was none
  const std::pair<const char*, const char*> written[] = {
      {"CONFIG.NT", "config.nt"}, {"AUTOEXEC.NT", "autoexec.nt"}, {"COMMAND.NT", "command.com"}};
  auto allWritten = [&] {
    for (const auto& [target, source] : written)
      if (readFile(systemTarget(target)) != readFile(e2e::demoSource(source))) return false;
    return true;
  };
  {
    // Ended by force as expand writes. (Ended while Wine still creates an expand
    // process, Wine keeps the prefix's server waiting for it for ever.)
    Wizard w;
    ASSERT_TRUE(w.toPage2()) << w.buttons();
    // Edited again since: this version is kept too.
    writeFile(systemTarget("CONFIG.NT"), "files=80\r\n");
    writeFile(systemTarget("COMMAND.NT"), "");
    automation::clickButton(w.next());
    ASSERT_TRUE(automation::waitFor(allWritten, 10000));
    TerminateProcess(w.process(), 1);
  }
  for (const auto& [target, source] : written) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    SYSTEMTIME when{};
    GetFileAttributesExA(systemTarget(target).c_str(), GetFileExInfoStandard, &data);
    FileTimeToSystemTime(&data.ftLastWriteTime, &when);
    EXPECT_GT(when.wYear, 1980) << target;
  }
  EXPECT_EQ(readFile(systemTarget("CONFIG.NT.before-repair-1")), kEditedConfig);
  EXPECT_EQ(readFile(systemTarget("CONFIG.NT.before-repair-2")), "files=80\r\n");
}

TEST(WizardE2e, ASecondStartBringsTheFirstWizardToTheFront) {
  Wizard first;
  ASSERT_TRUE(first.window());
  HWND other = CreateWindowA("STATIC", "another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                             200, 100, nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(other);
  ASSERT_EQ(automation::foregroundWindow(), other);
  Wizard second(e2e::windowsPath(e2e::env("CORVA_EXE")), 0);
  EXPECT_TRUE(second.waitForExit(20000));
  EXPECT_EQ(automation::findTopLevel(second.pid(), "CorvaForm", 0), nullptr);
  EXPECT_EQ(automation::foregroundWindow(), first.window());
  DestroyWindow(other);
}

}  // namespace
