// formsdemo.exe, the demonstration form of the runtime, as a program of its own
// under Wine: what the screen shows, and a person's clicks and keys.
#include <gtest/gtest.h>

#include "demo/DemoForm.h"
#include "e2e/E2eSupport.h"

namespace {

using namespace demo_points;

COLORREF screenPixel(HWND window, int xTwips, int yTwips) {
  POINT p{MulDiv(xTwips, 96, 1440), MulDiv(yTwips, 96, 1440)};
  ClientToScreen(window, &p);
  HDC screen = GetDC(nullptr);
  const COLORREF c = GetPixel(screen, p.x, p.y);
  ReleaseDC(nullptr, screen);
  return c;
}

TEST(DemoFormE2e, ShowsEveryControlKindStackedAsDeclared) {
  e2e::Wizard demo(e2e::windowsPath(e2e::env("CORVA_DEMO")));
  ASSERT_TRUE(demo.window());
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  if (dpi != 96) GTEST_SKIP() << "the points below assume 96 DPI";
  Sleep(500);
  demo.screenshot("demo-form");
  EXPECT_EQ(screenPixel(demo.window(), kOverlapX, kOverlapY), RGB(0, 255, 0));
  EXPECT_EQ(screenPixel(demo.window(), kBackOnlyX, kBackOnlyY), RGB(255, 0, 0));
  EXPECT_EQ(screenPixel(demo.window(), kCoveredX, kCoveredY), RGB(255, 255, 0));
  EXPECT_EQ(screenPixel(demo.window(), 1050, 1740), RGB(255, 255, 255));
  std::vector<std::string> classes;
  for (const auto& w : automation::descendants(demo.window())) classes.push_back(w.className);
  for (const char* cls : {"CorvaContainer", "Button", "Edit", "ListBox"})
    EXPECT_NE(std::find(classes.begin(), classes.end(), cls), classes.end()) << cls;

  automation::clickButton(demo.child("&Apply"));
  EXPECT_TRUE(automation::waitFor(
      [&] { return automation::windowText(demo.window()) == "Applied: typed"; }, 5000));
  automation::pressKey(demo.child("&Apply"), VK_ESCAPE);
  EXPECT_TRUE(demo.waitForExit(10000)) << "Escape clicks Close, which unloads the last form";
}

}  // namespace
