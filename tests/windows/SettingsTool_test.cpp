// The restore wizard's file check against real files and the real profile reader:
// sections and keys without regard to case, trimmed values cut to 254 characters.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>

#include "forms/memory/MemoryApplication.h"
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
  std::filesystem::remove_all(dir);
}

}  // namespace
