// The helpers against the shell of the Wine prefix and real files: GetAppDataFolder,
// clsFile.FileWrite, and ReadIniValue through the restore wizard's file check (sections
// and keys without regard to case, trimmed values cut to 254 characters).
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <string>

#include "automation/Automation.h"
#include "e2e/E2eSupport.h"
#include "forms/memory/MemoryApplication.h"
#include "helpers/BackupLocation.h"
#include "helpers/BrowseForBackupFolder.h"
#include "helpers/MFile.h"
#include "helpers/MIni.h"
#include "helpers/Module1Shell.h"
#include "helpers/RuntimeError.h"
#include "helpers/clsFile.h"
#include "platform/win32/Win32FileSystem.h"
#include "settingsbackup/frmRestore.h"
#include "windows/RegistryAccess.h"

namespace {

namespace fs = std::filesystem;

TEST(AppDataFolder, LongPathComesBackWhole) {
  // 258 characters: more than 255, still inside MAX_PATH.
  const std::string base = (fs::temp_directory_path() / "corvane-appdata").string();
  std::string folder = base;
  while (folder.size() + 51 <= 258) folder += "\\" + std::string(50, 'd');
  folder += "\\" + std::string(258 - folder.size() - 1, 'e');
  fs::remove_all(base);
  ASSERT_TRUE(fs::create_directories(folder)) << folder;

  // The shell rewrites its copy under "Shell Folders" from this value on each lookup.
  const char* const key =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  const auto saved = regtest::value(HKEY_CURRENT_USER, key, "AppData");
  regtest::put(HKEY_CURRENT_USER, key, "AppData", REG_EXPAND_SZ, folder + '\0');
  const auto found = Module1::GetAppDataFolder();
  if (saved)
    regtest::put(HKEY_CURRENT_USER, key, "AppData", saved->first, saved->second);
  else
    SHDeleteValueA(HKEY_CURRENT_USER, key, "AppData");
  Module1::GetAppDataFolder();  // brings the shell's copy back too
  fs::remove_all(base);
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(258u, found->size()) << "whole, and no final backslash";
  EXPECT_EQ(0, lstrcmpiA(folder.c_str(), found->c_str())) << *found;
}

TEST(clsFileWrite, ReplacesTheContentsWithTheTextAndOneLineBreakOrRaises) {
  const std::string dir = (fs::temp_directory_path() / "corvane-write").string();
  fs::remove_all(dir);
  fs::create_directory(dir);
  clsFile().FileWrite(dir + "\\out.txt", "old contents\r\nmuch longer than the new");
  clsFile().FileWrite(dir + "\\out.txt", "new");
  clsFile().FileWrite(dir + "\\fresh.txt", "");
  EXPECT_EQ("new\r\n", e2e::readFile(dir + "\\out.txt"));
  EXPECT_EQ("\r\n", e2e::readFile(dir + "\\fresh.txt"));

  const std::pair<std::string, long> failures[] = {
      {dir + "\\missing\\out.txt", errors::kPathNotFound}, {dir, errors::kPathFileAccessError}};
  for (const auto& [file, number] : failures) {
    try {
      clsFile().FileWrite(file, "x");
      ADD_FAILURE() << "no error for " << file;
    } catch (const RuntimeError& e) {
      EXPECT_EQ(std::pair(number, std::string("clsFile")), std::pair(e.number(), e.source()))
          << file;
    }
  }
  fs::remove_all(dir);
}

TEST(RestoreFileCheck, EachFaultyFileIsToldAndOnlyAGoodOneMovesOn) {
  const fs::path dir = fs::temp_directory_path() / "corvane-restore";
  fs::remove_all(dir);
  fs::create_directory(dir);
  auto write = [&](const std::string& name, const std::string& content) {
    std::ofstream((dir / name).string(), std::ios::binary) << content;
    return (dir / name).string();
  };
  const std::string good = "[Backup]\r\nVersion=WP12\r\nBackup_Location=D:\\Saved\\WP\r\n";
  const std::string longValue = std::string(150, 'a') + std::string(150, 'b');
  const std::string wrongVersion =
      "This is Not a WordPefect 12 backup, please select a WordPerfect 12 backup";
  const struct {
    std::string file, message;  // no message: the file passes
    bool textKept;
    std::string location;
  } cases[] = {
      {(dir / "missing.BAK").string(), "File does not exist,Please select a file", false, ""},
      {write("other.bak2", good), "Please select a file that has the .BAK extension", false, ""},
      {write("nosection.BAK", "[Other]\r\nVersion=WP12\r\n"), wrongVersion, true, ""},
      {write("lower.BAK", "[Backup]\r\nVersion=wp12\r\n"), wrongVersion, true, ""},
      {write("good.bak", good), "", true, "D:\\Saved\\WP"},
      {write("nolocation.Bak", "[backup]\r\n version = WP12 \r\n"), "", true, ""},
      {write("long.bak", "[Backup]\r\nVersion=WP12\r\nBackup_Location=" + longValue + "\r\n"), "",
       true, longValue.substr(0, 254)},
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
    std::string shown;
    for (const auto& box : app.shownMessageBoxes) shown += box.prompt;
    EXPECT_EQ(shown, c.message);
    EXPECT_EQ(f.RestoreStep, c.message.empty() ? 2 : 1);
    EXPECT_EQ(BackupLocation, c.message.empty() ? c.location : "kept");
    EXPECT_EQ(f.text1.text(), c.textKept ? c.file : "");
  }
  fs::remove_all(dir);
}

// The open-file dialog and the folder browser, shown for real and answered from
// a second thread as a person would: find the dialog, type, press a button.

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
