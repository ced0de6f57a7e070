// The Win32 forms runtime where only real windows show it.
#include "forms/win32/Win32Application.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

// A form of one timer, whose tick runs the step under test inside the modal loop.
struct TickingForm : forms::Form {
  explicit TickingForm(forms::Application& app) : forms::Form(app, "TickingForm") {
    border = forms::FormBorder::FixedDialog;
    forms::Control& timer = add(forms::ControlKind::Timer, "tmr", nullptr, 0, 0, 0, 0);
    timer.setInterval(50);
    timer.onTimer = [this] {
      if (onTick) onTick();
    };
  }
  std::function<void()> onTick;
};

void drainQuit() {
  for (MSG quit; PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);) continue;
}

TEST(Win32ModalShow, UnloadQuitAndHideInsideTheLoopAreSound) {
  forms::Win32Application app;
  TickingForm owner(app);
  owner.show();
  const HWND ownerWindow = reinterpret_cast<HWND>(app.windowHandle(owner));
  for (const int step : {0, 1, 2}) {  // hidden, unloaded, quit from inside the loop
    SCOPED_TRACE(step);
    TickingForm dialog(app);
    bool enabledAtHide = true;
    dialog.onTick = [&] {
      if (step == 0) dialog.hide();
      if (step == 0) enabledAtHide = IsWindowEnabled(ownerWindow);
      if (step == 1) dialog.unload();
      if (step == 2) PostQuitMessage(7);
    };
    dialog.show(forms::Modality::Modal);
    // The owner is enabled again before a hidden modal form goes, and after the others.
    EXPECT_TRUE(enabledAtHide && IsWindowEnabled(ownerWindow));
    EXPECT_EQ(dialog.loaded(), step != 1);
    // A quit message inside the loop ends it and is left for the main loop.
    MSG quit;
    const bool left = PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    EXPECT_EQ(left && quit.wParam == 7, step == 2);
    if (dialog.loaded()) dialog.unload();
  }
  owner.unload();
  drainQuit();
}

// With no window focused, keys reach the active window as system keys.
TEST(Win32Keys, EscapeAndAccessKeysActWithNoControlFocused) {
  forms::Win32Application app;
  forms::Form form(app, "KeysForm");
  std::string clicked;
  forms::Control& cancel =
      form.add(forms::ControlKind::CommandButton, "cmdCancel", nullptr, 120, 120, 1200, 375);
  cancel.setCaption("Cancel");
  cancel.setCancel(true);
  cancel.onClick = [&] { clicked += "C"; };
  forms::Control& go =
      form.add(forms::ControlKind::CommandButton, "cmdGo", nullptr, 1440, 120, 1200, 375);
  go.setCaption("&Go");
  go.onClick = [&] { clicked += "G"; };
  form.show();
  const HWND window = reinterpret_cast<HWND>(app.windowHandle(form));
  SetFocus(nullptr);
  PostMessageA(window, WM_SYSKEYDOWN, VK_ESCAPE, 1);
  PostMessageA(window, WM_SYSCHAR, 'g', 1 << 29);
  for (int i = 0; i < 20 && clicked.size() < 2; ++i, Sleep(10)) app.doEvents();
  EXPECT_EQ(clicked, "CG");
  form.unload();
  drainQuit();
}

TEST(Win32FormView, AControlShownLateCarriesWhatWasSetWhileItWasHidden) {
  forms::Win32Application app;
  TickingForm f(app);
  forms::Control& box = f.add(forms::ControlKind::CheckBox, "chk", nullptr, 0, 0, 900, 300);
  forms::Control& below =
      f.add(forms::ControlKind::CommandButton, "cmd", nullptr, 450, 0, 900, 300);
  box.setVisible(false);
  f.show();
  box.setCaption("Late");
  box.setValue(1);
  box.setEnabled(false);
  box.setVisible(true);
  const HWND h = app.controlWindow(box);
  ASSERT_TRUE(h);
  char text[16] = {};
  GetWindowTextA(h, text, sizeof text);
  EXPECT_STREQ(text, "Late");
  EXPECT_EQ(SendMessageA(h, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_FALSE(IsWindowEnabled(h));
  EXPECT_EQ(GetWindow(h, GW_HWNDNEXT), app.controlWindow(below));  // stacked as designed
  f.unload();
  drainQuit();
}

}  // namespace
