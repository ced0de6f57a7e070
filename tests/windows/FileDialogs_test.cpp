// The open-file dialog and the folder browser, shown for real and answered from
// a second thread as a person would: find the dialog, type, press a button.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <functional>
#include <future>
#include <string>

#include "automation/Automation.h"
#include "helpers/BackupLocation.h"
#include "helpers/BrowseForBackupFolder.h"
#include "helpers/MFile.h"

namespace {

constexpr int kDialogTimeoutMs = 20000;

// Runs `answer` from a second thread on this process's dialog with this caption while
// `show` holds the test's thread in the dialog's modal loop; false if none appeared.
bool answerDialog(const std::string& caption, const std::function<void(HWND)>& answer,
                  const std::function<void()>& show) {
  auto answered = std::async(std::launch::async, [&] {
    HWND found = nullptr;
    automation::waitFor(
        [&] {
          for (const auto& w : automation::topLevelWindows(GetCurrentProcessId()))
            if (w.visible && w.className == "#32770" && w.text == caption) found = w.hwnd;
          return found != nullptr;
        },
        kDialogTimeoutMs);
    if (found) answer(found);
    return found != nullptr;
  });
  show();
  return answered.get();
}

void press(HWND dialog, const std::string& button) {
  automation::clickButton(automation::findChildByText(dialog, button));
}

TEST(OpenFileDialog, ReturnsTheTypedPathThenBlanksAfterCancel) {
  const std::string chosen =
      (std::filesystem::temp_directory_path() / "corvane-chosen.BAK").string();
  std::string extension = "*.*", first, second;
  int typeCount = -1;
  bool readOnlyBoxShown = true;
  const auto show = [&](std::string& result) {
    return [&] { result = MFile::ShowOpenFileDialog("Open", "Backup files BAK|*.BAK", extension); };
  };

  ASSERT_TRUE(answerDialog(
      "Open",
      [&](HWND dialog) {
        HWND name = nullptr;
        for (const auto& c : automation::descendants(dialog)) {
          if (c.className == "ComboBox" && c.text == "Backup files BAK")
            typeCount = static_cast<int>(SendMessageA(c.hwnd, CB_GETCOUNT, 0, 0));
          if (c.className == "Button" && c.text == "Open as &read-only")
            readOnlyBoxShown = c.visible;
          if (!name && c.visible && c.className == "Edit") name = c.hwnd;
        }
        if (!name) return;
        SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(chosen.c_str()));
        press(dialog, "&Open");
      },
      show(first)))
      << "no dialog captioned Open appeared";
  EXPECT_EQ(".BAK", extension);
  EXPECT_EQ(".BAK", MFile::FileDialogRecord.defaultExtension);
  EXPECT_EQ(1, typeCount);  // shown as "Backup files BAK", the list ends after its one pair
  EXPECT_FALSE(readOnlyBoxShown);
  EXPECT_EQ(chosen, first.substr(0, first.find('\0')));
  EXPECT_EQ(MFile::kFileBufferLength, first.size());

  ASSERT_TRUE(answerDialog(
      "Open", [](HWND dialog) { press(dialog, "Cancel"); }, show(second)));
  EXPECT_EQ(std::string(259, ' ') + '\0', second);
}

TEST(FolderBrowserDialog, CancelKeepsBackupLocationOkStoresTheStartFolder) {
  const BOOL made = CreateDirectoryA("c:\\test", nullptr);  // where the browser starts
  BackupLocation = "D:\\kept";
  std::string prompt;
  bool makeNewFolder = false;
  ASSERT_TRUE(answerDialog(
      "Quillsafe Folder",
      [&](HWND dialog) {
        for (const auto& c : automation::descendants(dialog)) {
          if (c.className == "Static" && c.visible && !c.text.empty() && prompt.empty())
            prompt = c.text;
          if (c.className == "Button" && c.visible && c.enabled && c.text == "&Make New Folder")
            makeNewFolder = true;
        }
        press(dialog, "Cancel");
      },
      BrowseForBackupFolder))
      << "no dialog captioned Quillsafe Folder appeared";
  EXPECT_EQ("Select or create a new folder to backup to:", prompt);
  EXPECT_TRUE(makeNewFolder);
  EXPECT_EQ("D:\\kept", BackupLocation);

  ASSERT_TRUE(answerDialog(
      "Quillsafe Folder",
      [](HWND dialog) {
        HWND ok = automation::findChildByText(dialog, "OK");
        automation::waitFor([&] { return automation::isEnabled(ok); }, kDialogTimeoutMs);
        automation::clickButton(ok);
      },
      BrowseForBackupFolder));
  EXPECT_EQ(0, lstrcmpiA("c:\\test", BackupLocation.c_str())) << BackupLocation;
  if (made) RemoveDirectoryA("c:\\test");
}

}  // namespace
