// The wizard under a person's keyboard and mouse: X test input from xdotool on the
// display Wine draws on, with the focus and the foreground window read back.
#include <gtest/gtest.h>

#include "e2e/E2eSupport.h"

using e2e::Wizard;

namespace {

// The captions the focus visits from here on, one Tab at a time.
std::string tabWalk(const Wizard& w, int presses) {
  std::string seen = w.focus();
  for (int i = 0; i < presses; ++i) {
    const std::string before = w.focus();
    EXPECT_TRUE(w.keys("Tab"));
    // xdotool is done once the key is sent; the wizard takes it a moment later.
    automation::waitFor([&] { return w.focus() != before; }, 2000);
    seen += "|" + w.focus();
  }
  return seen;
}

// With no window manager, a window shown just after another closed may stay
// inactive, or lose the activation again as the closed one's events arrive: true
// once the wizard has held the keyboard for a second.
bool settleFocus(const Wizard& w) {
  DWORD heldSince = 0;
  return automation::waitFor(
      [&] {
        if (w.focus() == "none") {
          heldSince = 0;
          automation::focusForRealInput(w.window());
          return false;
        }
        if (!heldSince) heldSince = GetTickCount();
        return GetTickCount() - heldSince >= 1000;
      },
      15000);
}

// One walk through: Enter on the focused Next, then Alt+N on each page; only what can
// be seen takes the focus, and after the repair the wizard is in front on Finish.
TEST(KeyboardE2e, WalkThroughWithKeysOnly) {
  e2e::removeTargets();
  Wizard w;
  ASSERT_TRUE(w.window());
  ASSERT_TRUE(settleFocus(w));
  EXPECT_EQ(tabWalk(w, 3), "Cancel|&Next >|Cancel|&Next >") << "page 0";
  ASSERT_TRUE(w.keys("Return"));
  ASSERT_TRUE(w.waitForButtons("-CN-", 10000)) << w.buttons();
  EXPECT_EQ(w.page(), 1);
  w.screenshot("page1");
  EXPECT_EQ(tabWalk(w, 2), "Cancel|&Next >|Cancel") << "page 1";
  ASSERT_TRUE(w.keys("alt+n"));
  ASSERT_TRUE(automation::waitFor([&] { return w.page() == 2; }, 5000));
  Sleep(500);
  EXPECT_EQ(w.buttons(), "-CN-");
  w.screenshot("page2");
  EXPECT_EQ(tabWalk(w, 2), "Cancel|&Next >|Cancel") << "page 2";
  ASSERT_TRUE(w.keys("alt+n"));
  ASSERT_TRUE(w.waitForButtons("---F", 60000)) << w.buttons();
  EXPECT_TRUE(automation::waitFor(
      [&] { return automation::foregroundWindow() == w.window() && w.focus() == "&Finish"; }, 5000))
      << "focus: " << w.focus();
  EXPECT_EQ(w.page(), 5);
  w.screenshot("page5");
  const std::pair<const char*, const char*> written[] = {
      {"CONFIG.NT", "config.nt"}, {"AUTOEXEC.NT", "autoexec.nt"}, {"COMMAND.NT", "command.com"}};
  for (const auto& [target, source] : written)
    EXPECT_EQ(e2e::readFile(e2e::systemTarget(target)), e2e::readFile(e2e::demoSource(source)));
  EXPECT_EQ(tabWalk(w, 2), "&Finish|Check out our other solutions and products |&Finish");
  ASSERT_TRUE(w.keys("Escape"));
  Sleep(500);
  EXPECT_TRUE(w.running()) << "Escape does nothing while Cancel is off";
  // Space unticks the site visit, Enter on Finish ends without a browser.
  ASSERT_TRUE(w.keys("Tab space Tab"));
  HWND visit =
      automation::findChildByText(w.window(), "Check out our other solutions and products ");
  EXPECT_EQ(SendMessageA(visit, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  ASSERT_TRUE(w.keys("Return"));
  EXPECT_TRUE(w.waitForExit(10000));
}

// A mouse click on Next leaves it disabled or covered while it has the focus; the
// keyboard must still reach the wizard on each page Cancel is on.
TEST(KeyboardE2e, EscapeAfterMouseClicksOnNextEndsTheProgramOnPages0To2) {
  for (int page = 0; page <= 2; ++page) {
    SCOPED_TRACE("page " + std::to_string(page));
    Wizard w;
    ASSERT_TRUE(w.window());
    ASSERT_TRUE(settleFocus(w));
    for (int clicks = 0; clicks < page; ++clicks) {
      ASSERT_TRUE(automation::realClick(w.next()));
      ASSERT_TRUE(automation::waitFor([&] { return w.page() == clicks + 1; }, 5000));
      ASSERT_TRUE(w.waitForButtons("-CN-", 10000)) << w.buttons();
    }
    EXPECT_NE(w.focus(), "none");
    ASSERT_TRUE(w.keys("Escape"));
    EXPECT_TRUE(w.waitForExit(10000));
  }
}

}  // namespace
