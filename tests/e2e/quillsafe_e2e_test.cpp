// The real quillsafe.exe under Wine: the chooser, the restore wizard through to its
// closing page (each kind of faulty file and its message is a Windows test), and the
// repair wizard reached by the backup choice.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "e2e/E2eSupport.h"

using e2e::Wizard;

namespace {

const std::string kQuillsafe = e2e::windowsPath(e2e::env("CORVA_QUILLSAFE"));

// The visible form of the program other than `except`, once it appears.
HWND otherForm(const Wizard& w, HWND except) {
  HWND found = nullptr;
  automation::waitFor(
      [&] {
        for (const auto& t : automation::topLevelWindows(w.pid()))
          if (t.className == "CorvaForm" && t.visible && t.hwnd != except) found = t.hwnd;
        return found != nullptr;
      },
      10000);
  return found;
}

// Starts the chooser, picks an option and presses Start; drives the wizard it opens.
void start(Wizard& w, const char* option) {
  ASSERT_TRUE(w.window());
  const HWND chooser = w.window();
  automation::clickButton(w.child(option));
  Sleep(200);
  automation::clickButton(w.child("Start"));
  const HWND wizard = otherForm(w, chooser);
  ASSERT_TRUE(wizard);
  EXPECT_FALSE(IsWindowVisible(chooser));
  w.drive(wizard);
}

// Types a path into the file page's text box.
void typePath(const Wizard& w, const std::string& path) {
  for (const auto& c : automation::descendants(w.window()))
    if (c.className == "Edit")
      SendMessageA(c.hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  Sleep(100);
}

TEST(QuillsafeE2e, ChooserThenRestoreTakesAGoodFileToTheClosingPage) {
  const std::filesystem::path good = std::filesystem::temp_directory_path() / "quillsafe-e2e.bak";
  std::ofstream(good, std::ios::binary)
      << "[Backup]\r\nVersion=WP12\r\nBackup_Location=C:\\Saved\r\n";

  Wizard w(kQuillsafe);
  ASSERT_TRUE(w.window());
  EXPECT_EQ(automation::windowText(w.window()), "Quillsafe");
  EXPECT_FALSE(GetWindowLongA(w.window(), GWL_STYLE) &
               (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  w.screenshot("quillsafe-chooser");
  start(w, "Restore WordPerfect customized settings and files");
  EXPECT_EQ(w.buttons(), "-CN-");
  w.screenshot("restore-page0");
  automation::clickButton(w.next());
  Sleep(300);
  w.screenshot("restore-page1");
  typePath(w, good.string());
  automation::clickButton(w.next());
  EXPECT_TRUE(w.waitForButtons("BCN-", 3000)) << w.buttons();
  automation::clickButton(w.next());
  // Pages 3 and 4 pass by themselves; only Finish leads on.
  EXPECT_TRUE(automation::waitFor([&] { return w.buttons() == "-C--"; }, 3000)) << w.buttons();
  ASSERT_TRUE(w.waitForButtons("---F", 5000)) << w.buttons();
  w.screenshot("restore-page5");
  automation::clickButton(w.finish());
  EXPECT_TRUE(w.waitForExit(10000));
  std::filesystem::remove(good);
}

TEST(QuillsafeE2e, BackupChoiceRepairsFromTheCdAsTheRepairWizardDoes) {
  e2e::removeTargets();
  Wizard w(kQuillsafe);
  start(w, "Backup WordPerfect customized settings and files");
  EXPECT_EQ(w.buttons(), "-CN-");
  ASSERT_TRUE(w.repairToFinish()) << w.buttons();
  // Closing the repair wizard ends the program: the hidden chooser keeps nothing alive.
  PostMessageA(w.window(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(w.waitForExit(10000));
}

}  // namespace
