// The open-file dialog and the folder browser, shown for real and answered from
// a second thread as a person would: find the dialog, type, press a button.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "automation/Automation.h"
#include "helpers/BackupLocation.h"
#include "helpers/BrowseForBackupFolder.h"
#include "helpers/MFile.h"

namespace {

constexpr int kDialogTimeoutMs = 20000;

// The visible dialog of this process with this caption, or nullptr.
HWND waitForDialog(const std::string& caption) {
  HWND found = nullptr;
  automation::waitFor(
      [&] {
        for (const auto& w : automation::topLevelWindows(GetCurrentProcessId()))
          if (w.visible && w.className == "#32770" && w.text == caption) {
            found = w.hwnd;
            return true;
          }
        return false;
      },
      kDialogTimeoutMs);
  return found;
}

const automation::WindowInfo* firstOf(const std::vector<automation::WindowInfo>& windows,
                                      const std::string& className) {
  for (const auto& w : windows)
    if (w.visible && w.className == className) return &w;
  return nullptr;
}

// Runs `answer` on the dialog with this caption from a second thread while the
// test's thread sits in the dialog's modal loop.
class DialogAnswer {
 public:
  DialogAnswer(std::string caption, std::function<void(HWND)> answer)
      : thread_([this, caption = std::move(caption), answer = std::move(answer)] {
          if (HWND dialog = waitForDialog(caption)) {
            found_ = true;
            answer(dialog);
          }
        }) {}
  ~DialogAnswer() { join(); }
  DialogAnswer(const DialogAnswer&) = delete;
  DialogAnswer& operator=(const DialogAnswer&) = delete;

  // True once the answering thread has found the dialog and done its part.
  bool answered() {
    join();
    return found_;
  }

 private:
  void join() {
    if (thread_.joinable()) thread_.join();
  }
  std::atomic<bool> found_{false};
  std::thread thread_;
};

std::string uptoFirstNul(const std::string& buffer) { return buffer.substr(0, buffer.find('\0')); }

std::string scratchFolder() {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  std::string path(temp);
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

// ---- ShowOpenFileDialog ----------------------------------------------------------

TEST(OpenFileDialog, ReturnsTheTypedPathThenBlanksAfterCancel) {
  const std::string chosen = scratchFolder() + "\\corvane-chosen.BAK";
  std::string typeTexts;
  int typeCount = -1;
  bool readOnlyBoxShown = true;

  std::string extension = "*.*";
  std::string first;
  {
    DialogAnswer answer("Open", [&](HWND dialog) {
      const auto controls = automation::descendants(dialog);
      for (const auto& c : controls) {
        if (c.className == "ComboBox" && c.text == "Backup files BAK") {
          typeTexts = c.text;
          typeCount = static_cast<int>(SendMessageA(c.hwnd, CB_GETCOUNT, 0, 0));
        }
        if (c.className == "Button" && c.text == "Open as &read-only") readOnlyBoxShown = c.visible;
      }
      const automation::WindowInfo* name = firstOf(controls, "Edit");
      if (!name) return;
      SendMessageA(name->hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(chosen.c_str()));
      automation::clickButton(automation::findChildByText(dialog, "&Open"));
    });
    first = MFile::ShowOpenFileDialog("Open", "Backup files BAK|*.BAK", extension);
    ASSERT_TRUE(answer.answered()) << "no dialog captioned Open appeared";
  }
  EXPECT_EQ(".BAK", extension);
  EXPECT_EQ(".BAK", MFile::FileDialogRecord.defaultExtension);
  EXPECT_EQ("Backup files BAK", typeTexts);
  EXPECT_EQ(1, typeCount);  // the list ends after its one pair
  EXPECT_FALSE(readOnlyBoxShown);
  EXPECT_EQ(chosen, uptoFirstNul(first));
  EXPECT_EQ(MFile::kFileBufferLength, first.size());

  std::string second;
  {
    DialogAnswer answer("Open", [](HWND dialog) {
      automation::clickButton(automation::findChildByText(dialog, "Cancel"));
    });
    second = MFile::ShowOpenFileDialog("Open", "Backup files BAK|*.BAK", extension);
    ASSERT_TRUE(answer.answered());
  }
  EXPECT_EQ(std::string(259, ' ') + '\0', second);
}

// ---- BrowseForBackupFolder ---------------------------------------------------------

// The folder the browser starts on, made for the test when the prefix lacks it.
class StartFolder {
 public:
  StartFolder() : made_(CreateDirectoryA(kPath, nullptr) != FALSE) {}
  ~StartFolder() {
    if (made_) RemoveDirectoryA(kPath);
  }
  StartFolder(const StartFolder&) = delete;
  StartFolder& operator=(const StartFolder&) = delete;
  static constexpr const char* kPath = "c:\\test";

 private:
  bool made_;
};

struct FolderDialogSeen {
  std::string prompt;
  bool makeNewFolder = false;
};

FolderDialogSeen inspect(HWND dialog) {
  FolderDialogSeen seen;
  for (const auto& c : automation::descendants(dialog)) {
    if (c.className == "Static" && c.visible && !c.text.empty() && seen.prompt.empty())
      seen.prompt = c.text;
    if (c.className == "Button" && c.visible && c.enabled && c.text == "&Make New Folder")
      seen.makeNewFolder = true;
  }
  return seen;
}

TEST(FolderBrowserDialog, CancelKeepsBackupLocation) {
  const StartFolder start;
  BackupLocation = "D:\\kept";
  FolderDialogSeen seen;
  {
    DialogAnswer answer("Quillsafe Folder", [&](HWND dialog) {
      seen = inspect(dialog);
      automation::clickButton(automation::findChildByText(dialog, "Cancel"));
    });
    BrowseForBackupFolder();
    ASSERT_TRUE(answer.answered()) << "no dialog captioned Quillsafe Folder appeared";
  }
  EXPECT_EQ("Select or create a new folder to backup to:", seen.prompt);
  EXPECT_TRUE(seen.makeNewFolder);
  EXPECT_EQ("D:\\kept", BackupLocation);
}

TEST(FolderBrowserDialog, ConfirmingStoresTheStartFolder) {
  const StartFolder start;
  BackupLocation.clear();
  {
    DialogAnswer answer("Quillsafe Folder", [](HWND dialog) {
      HWND ok = automation::findChildByText(dialog, "OK");
      automation::waitFor([&] { return automation::isEnabled(ok); }, kDialogTimeoutMs);
      automation::clickButton(ok);
    });
    BrowseForBackupFolder();
    ASSERT_TRUE(answer.answered());
  }
  EXPECT_EQ(0, lstrcmpiA(StartFolder::kPath, BackupLocation.c_str())) << BackupLocation;
}

}  // namespace
