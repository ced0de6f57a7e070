// The Win32 realisation of the forms runtime on the demonstration form: real
// windows in this process, read back as the screen shows them.
#include <gtest/gtest.h>

#include "automation/Automation.h"
#include "demo/DemoForm.h"
#include "forms/win32/Win32Application.h"

namespace {

using namespace demo_points;

class Win32Forms : public ::testing::Test {
 protected:
  void SetUp() override {
    form.show();
    settle();
  }
  void TearDown() override {
    if (form.loaded()) form.unload();
    app.doEvents();
    // The last form gone ends the message loop; the next test starts its own.
    MSG quit;
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }
  // Lets the window paint and reach the screen.
  void settle(int ms = 300) {
    const DWORD end = GetTickCount() + ms;
    while (GetTickCount() < end) {
      app.doEvents();
      Sleep(10);
    }
  }
  HWND window() const { return reinterpret_cast<HWND>(app.windowHandle(form)); }
  HWND hwnd(const char* name) const { return app.controlWindow(form.control(name)); }

  // The colour the screen shows at a point given in twips of the form's client area.
  COLORREF pixel(int xTwips, int yTwips) {
    POINT p{app.toPixelsX(xTwips), app.toPixelsY(yTwips)};
    ClientToScreen(window(), &p);
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return c;
  }

  forms::Win32Application app;
  DemoForm form{app};
};

TEST_F(Win32Forms, FirstListedPaintedControlIsOnTopUntilZOrderChangesIt) {
  EXPECT_EQ(pixel(kOverlapX, kOverlapY), RGB(0, 255, 0));
  EXPECT_EQ(pixel(kBackOnlyX, kBackOnlyY), RGB(255, 0, 0));
  form.control("shpBack").zOrder(0);
  settle();
  EXPECT_EQ(pixel(kOverlapX, kOverlapY), RGB(255, 0, 0));
}

TEST_F(Win32Forms, WindowedControlsCoverPaintedOnesListedBeforeThem) {
  EXPECT_EQ(pixel(kCoveredX, kCoveredY), RGB(255, 255, 0)) << "the frame, not the blue label";
  EXPECT_EQ(pixel(1050, 1740), RGB(255, 255, 255)) << "the opaque strip over the photo";
  const COLORREF photo = pixel(700, 2600);
  EXPECT_NE(photo, RGB(255, 255, 255)) << "the photo is drawn";
  EXPECT_EQ(pixel(3300, 2300), RGB(0, 255, 255)) << "the picture box's own colour";
}

TEST_F(Win32Forms, PlacesAndSizesFollowTheDisplayDpi) {
  RECT client{};
  GetClientRect(window(), &client);
  EXPECT_EQ(client.right, app.toPixelsX(4800));
  EXPECT_EQ(client.bottom, app.toPixelsY(3600));
  RECT frame{};
  GetWindowRect(hwnd("fraBox"), &frame);
  MapWindowPoints(nullptr, window(), reinterpret_cast<POINT*>(&frame), 2);
  EXPECT_EQ(frame.left, app.toPixelsX(2100));
  EXPECT_EQ(frame.top, app.toPixelsY(120));
  EXPECT_EQ(frame.right - frame.left, app.toPixelsX(2400));
  if (app.dpiX() == 96) {
    EXPECT_EQ(frame.left, 140);
  }
  EXPECT_EQ(GetWindowLongA(window(), GWL_EXSTYLE) & WS_EX_DLGMODALFRAME, WS_EX_DLGMODALFRAME);
  EXPECT_EQ(automation::windowText(window()), "Forms runtime demonstration");
}

TEST_F(Win32Forms, ChildWindowsFollowTheStackingOrder) {
  std::vector<HWND> expected;
  for (forms::Control* c : form.stacking(nullptr))
    if (HWND h = app.controlWindow(*c)) expected.push_back(h);
  std::vector<HWND> actual;
  for (HWND h = GetWindow(window(), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) actual.push_back(h);
  EXPECT_EQ(actual, expected);
  EXPECT_EQ(GetParent(hwnd("chkInPicture")), hwnd("picBox"));
  EXPECT_EQ(GetParent(app.controlWindow(form.controlArray("optChoice")(1))), hwnd("fraBox"));
}

TEST_F(Win32Forms, FontsAreMadeAtTheirPointSize) {
  form.control("cmdApply").setFont(forms::Font{"Arial", 12, true, true});
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(hwnd("cmdApply"), WM_GETFONT, 0, 0));
  LOGFONTA lf{};
  ASSERT_TRUE(GetObjectA(font, sizeof lf, &lf));
  EXPECT_STREQ(lf.lfFaceName, "Arial");
  EXPECT_EQ(lf.lfHeight, -MulDiv(12, app.dpiY(), 72));
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_TRUE(lf.lfUnderline);
}

TEST_F(Win32Forms, ButtonsTextBoxesAndStatesReachTheModel) {
  SetWindowTextA(hwnd("txtName"), "from the keyboard");
  settle(50);
  EXPECT_EQ(form.control("txtName").text(), "from the keyboard");
  EXPECT_EQ(form.changes, 1);
  SendMessageA(hwnd("cmdApply"), BM_CLICK, 0, 0);
  settle(50);
  EXPECT_EQ(automation::windowText(window()), "Applied: from the keyboard");
  form.control("cmdApply").setEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(hwnd("cmdApply")));
  form.control("chkOption").setValue(0);
  EXPECT_EQ(SendMessageA(hwnd("chkOption"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  SendMessageA(hwnd("chkOption"), BM_CLICK, 0, 0);
  EXPECT_EQ(form.control("chkOption").value(), 1);
  form.control("lstItems").setList(0, "renamed");
  char item[64] = {};
  SendMessageA(hwnd("lstItems"), LB_GETTEXT, 0, reinterpret_cast<LPARAM>(item));
  EXPECT_STREQ(item, "renamed");
  form.control("picBox").setVisible(false);
  EXPECT_FALSE(IsWindowVisible(hwnd("chkInPicture")));
}

TEST_F(Win32Forms, LabelsTakeClicksAtTheirPlace) {
  int clicks = 0;
  form.control("lblTitle").onClick = [&] { ++clicks; };
  automation::clickAt(window(), app.toPixelsX(400), app.toPixelsY(3360));
  settle(100);
  EXPECT_EQ(clicks, 1);
  automation::clickAt(window(), app.toPixelsX(3000), app.toPixelsY(3360));
  settle(100);
  EXPECT_EQ(clicks, 1) << "outside the label";
}

TEST_F(Win32Forms, TimerTicksThroughTheMessageLoop) {
  settle(600);
  EXPECT_GE(form.ticks, 2);
  form.control("tmrCount").setEnabled(false);
  const int ticks = form.ticks;
  settle(300);
  EXPECT_EQ(form.ticks, ticks);
}

TEST_F(Win32Forms, AccessKeysTabAndEscapeActLikeTheKeyboard) {
  SetFocus(hwnd("txtName"));
  PostMessageA(hwnd("txtName"), WM_SYSCHAR, 'a', 0);
  settle(50);
  EXPECT_EQ(automation::windowText(window()), "Applied: typed");
  automation::pressKey(hwnd("txtName"), VK_TAB);
  settle(50);
  EXPECT_EQ(GetFocus(), hwnd("cmdApply")) << "tab index 0 is followed by 1";
  automation::pressKey(hwnd("cmdApply"), VK_ESCAPE);
  settle(50);
  EXPECT_FALSE(form.loaded());
  EXPECT_FALSE(IsWindow(window()));
}

}  // namespace

namespace {

TEST(Win32ModalForm, ShowReturnsWhenTheFormIsHiddenAndOtherFormsWaitMeanwhile) {
  forms::Win32Application app;
  DemoForm owner(app);
  owner.show();
  DemoForm dialog(app);
  bool ownerEnabledWhileModal = true;
  dialog.control("tmrCount").onTimer = [&] {
    ownerEnabledWhileModal = IsWindowEnabled(reinterpret_cast<HWND>(app.windowHandle(owner)));
    dialog.hide();
  };
  dialog.show(forms::Modality::Modal);  // returns once the timer hides it
  EXPECT_FALSE(ownerEnabledWhileModal);
  EXPECT_TRUE(IsWindowEnabled(reinterpret_cast<HWND>(app.windowHandle(owner))));
  EXPECT_FALSE(IsWindowVisible(reinterpret_cast<HWND>(app.windowHandle(dialog))));
  dialog.unload();
  owner.unload();
  MSG quit;
  while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

}  // namespace
