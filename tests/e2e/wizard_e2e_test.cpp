// The real corva16.exe under Wine: D: holds an audio disc, E: the demonstration
// Windows XP CD. A person's clicks, through real window messages.
#include <gtest/gtest.h>

#include "e2e/E2eSupport.h"

using e2e::Wizard;

namespace {

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

TEST(WizardE2e, AMissingFileOnTheCdIsReportedAndTheWizardStaysOnPage2) {
  e2e::removeTargets();
  const std::string source = e2e::discFolder() + "\\autoexec.nt_", aside = source + ".aside";
  ASSERT_TRUE(MoveFileA(source.c_str(), aside.c_str()));
  struct Restore {
    std::string from, to;
    ~Restore() { MoveFileA(from.c_str(), to.c_str()); }
  } restore{aside, source};

  Wizard w;
  ASSERT_TRUE(w.window());
  ASSERT_TRUE(w.toPage2()) << w.buttons();
  automation::clickButton(w.next());
  automation::MessageBoxInfo box;
  ASSERT_TRUE(automation::findMessageBox(w.pid(), box, 60000));
  EXPECT_EQ(box.title, "Corvane 16 bit Windows");
  EXPECT_NE(box.text.find("AUTOEXEC.NT"), std::string::npos) << box.text;
  EXPECT_EQ(box.text.find("CONFIG.NT"), std::string::npos) << box.text;
  EXPECT_TRUE(box.hasIcon);
  EXPECT_EQ(box.buttons, std::vector<std::string>{"OK"});
  w.screenshot("repair-failed");
  automation::answerMessageBox(box, "OK");
  EXPECT_TRUE(w.waitForButtons("-CN-", 10000)) << w.buttons();
  // The two files that could be written were.
  EXPECT_EQ(e2e::readFile(e2e::systemTarget("CONFIG.NT")),
            e2e::readFile(e2e::demoSource("config.nt")));
  automation::clickButton(w.cancel());
  EXPECT_TRUE(w.waitForExit(10000));
}

}  // namespace
