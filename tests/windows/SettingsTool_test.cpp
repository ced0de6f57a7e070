// The restore wizard's file check against real files and the real profile reader,
// and the modal show and late-made controls it stands on, with real windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>

#include "forms/memory/MemoryApplication.h"
#include "forms/win32/Win32Application.h"
#include "helpers/BackupLocation.h"
#include "helpers/MFile.h"
#include "helpers/MIni.h"
#include "platform/win32/Win32FileSystem.h"
#include "settingsbackup/frmRestore.h"

namespace {

TEST(RestoreFileCheck, EachFaultyFileIsToldAndOnlyAGoodOneMovesOn) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "corvane-restore";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directory(dir);
  auto write = [&](const std::string& name, const std::string& content) {
    std::ofstream((dir / name).string(), std::ios::binary) << content;
    return (dir / name).string();
  };
  const std::string good = "[Backup]\r\nVersion=WP12\r\nBackup_Location=D:\\Saved\\WP\r\n";
  const std::string wrongVersion =
      "This is Not a WordPefect 12 backup, please select a WordPerfect 12 backup";
  const struct {
    std::string file;
    std::string message;  // empty: the file passes
    bool textKept;
    std::string location;
  } cases[] = {
      {"", "Please select a file", true, ""},
      {(dir / "missing.BAK").string(), "File does not exist,Please select a file", false, ""},
      {write("other.bak2", good), "Please select a file that has the .BAK extension", false, ""},
      {write("nosection.BAK", "[Other]\r\nVersion=WP12\r\n"), wrongVersion, true, ""},
      {write("lower.BAK", "[Backup]\r\nVersion=wp12\r\n"), wrongVersion, true, ""},
      {write("good.bak", good), "", true, "D:\\Saved\\WP"},
      {write("nolocation.Bak", "[backup]\r\n version = WP12 \r\n"), "", true, ""},
  };
  platform::Win32FileSystem files;
  for (const auto& c : cases) {
    forms::MemoryApplication app;
    frmRestore f(app, files, BackupFileAccess{MFile::ShowOpenFileDialog, MIni::ReadIniValue});
    f.show(forms::Modality::Modal);
    BackupLocation = "kept";
    f.cmdNext.userClick();
    f.text1.setText(c.file);
    f.cmdNext.userClick();
    SCOPED_TRACE(c.file);
    if (c.message.empty()) {
      EXPECT_TRUE(app.shownMessageBoxes.empty());
      EXPECT_EQ(f.RestoreStep, 2);
      EXPECT_EQ(BackupLocation, c.location);
    } else {
      ASSERT_EQ(app.shownMessageBoxes.size(), 1u);
      EXPECT_EQ(app.shownMessageBoxes[0].prompt, c.message);
      EXPECT_EQ(f.RestoreStep, 1);
      EXPECT_EQ(BackupLocation, "kept");
    }
    EXPECT_EQ(f.text1.text(), c.textKept ? c.file : "");
  }
  std::filesystem::remove_all(dir);
}

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
  MSG quit;
  while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

TEST(Win32ModalShow, UnloadQuitAndHideInsideTheLoopAreSound) {
  forms::Win32Application app;
  TickingForm owner(app);
  owner.show();
  const HWND ownerWindow = reinterpret_cast<HWND>(app.windowHandle(owner));

  // Hidden from inside: the owner is enabled again before the modal form goes.
  {
    TickingForm dialog(app);
    bool enabledAtHide = false;
    dialog.onTick = [&] {
      dialog.hide();
      enabledAtHide = IsWindowEnabled(ownerWindow);
    };
    dialog.show(forms::Modality::Modal);
    EXPECT_TRUE(enabledAtHide);
  }
  // Unloaded from inside: the loop ends without the freed window; all enabled.
  {
    TickingForm dialog(app);
    dialog.onTick = [&] { dialog.unload(); };
    dialog.show(forms::Modality::Modal);
    EXPECT_FALSE(dialog.loaded());
    EXPECT_TRUE(IsWindowEnabled(ownerWindow));
  }
  // A quit message inside the loop ends it and is left for the main loop.
  {
    TickingForm dialog(app);
    dialog.onTick = [] { PostQuitMessage(7); };
    dialog.show(forms::Modality::Modal);
    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 7u);
    EXPECT_TRUE(IsWindowEnabled(ownerWindow));
    dialog.unload();
  }
  owner.unload();
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
