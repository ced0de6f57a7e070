// ReadIniValue, GetAppDataFolder and clsFile.FileWrite against real files, the
// real profile functions and the shell of the Wine prefix.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "helpers/Module1Shell.h"
#include "helpers/MIni.h"
#include "helpers/RuntimeError.h"
#include "helpers/clsFile.h"

namespace {

// A fresh folder of the user's temporary folder, removed with what it holds.
class ScratchFolder {
 public:
  ScratchFolder() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::string(temp) + "corvane-" + test->test_suite_name() + "-" + test->name();
    remove();
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~ScratchFolder() { remove(); }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "\\" + name; }
  std::string write(const std::string& name, const std::string& content) const {
    std::ofstream(file(name), std::ios::binary) << content;
    return file(name);
  }

 private:
  void remove() {
    // SHFileOperation wants the list ended by two NULs.
    const std::string from = path_ + '\0';
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    if (GetFileAttributesA(path_.c_str()) != INVALID_FILE_ATTRIBUTES) SHFileOperationA(&op);
  }
  std::string path_;
};

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

bool isFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// ---- ReadIniValue --------------------------------------------------------------

TEST(ReadIniValue, ReadsTheBackupDescription) {
  ScratchFolder dir;
  const std::string file =
      dir.write("set.BAK", "[Backup]\r\nVersion=WP12\r\nBackup_Location=C:\\Backups\\Word\r\n");
  EXPECT_EQ("WP12", MIni::ReadIniValue(file, "Backup", "Version"));
  EXPECT_EQ("C:\\Backups\\Word", MIni::ReadIniValue(file, "Backup", "Backup_Location"));
}

TEST(ReadIniValue, AbsentFileSectionOrKeyGivesTheEmptyText) {
  ScratchFolder dir;
  const std::string file = dir.write("set.BAK", "[Backup]\r\nVersion=WP12\r\nEmpty=\r\n");
  EXPECT_EQ("", MIni::ReadIniValue(dir.file("missing.BAK"), "Backup", "Version"));
  EXPECT_EQ("", MIni::ReadIniValue(file, "Restore", "Version"));
  EXPECT_EQ("", MIni::ReadIniValue(file, "Backup", "Backup_Location"));
  EXPECT_EQ("", MIni::ReadIniValue(file, "Backup", "Empty"));
}

TEST(ReadIniValue, NamesMatchWithoutRegardToCase) {
  ScratchFolder dir;
  const std::string file = dir.write("set.BAK", "[backup]\r\nVERSION=WP12\r\n");
  EXPECT_EQ("WP12", MIni::ReadIniValue(file, "Backup", "Version"));
  EXPECT_EQ("WP12", MIni::ReadIniValue(file, "BACKUP", "version"));
}

TEST(ReadIniValue, BlanksAroundTheValueAreDropped) {
  ScratchFolder dir;
  const std::string file =
      dir.write("set.BAK", "[Backup]\r\n  Backup_Location =   C:\\My Backups  \r\n");
  EXPECT_EQ("C:\\My Backups", MIni::ReadIniValue(file, "Backup", "Backup_Location"));
}

TEST(ReadIniValue, LongValueIsCutTo254Characters) {
  ScratchFolder dir;
  std::string value;
  for (int i = 0; i < 300; ++i) value += static_cast<char>('a' + i % 26);
  const std::string file = dir.write("set.BAK", "[Backup]\r\nBackup_Location=" + value + "\r\n");
  EXPECT_EQ(value.substr(0, 254), MIni::ReadIniValue(file, "Backup", "Backup_Location"));
}

// ---- GetAppDataFolder ------------------------------------------------------------

const char* const kUserShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const char* const kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

TEST(AppDataFolder, TemplatesPathBuiltFromItIsWellFormed) {
  const auto folder = Module1::GetAppDataFolder();
  ASSERT_TRUE(folder.has_value());
  ASSERT_FALSE(folder->empty());
  EXPECT_NE('\\', folder->back());
  const std::string templates = *folder + "\\Microsoft\\Templates";
  EXPECT_EQ(std::string::npos, templates.find("\\\\"));
  EXPECT_TRUE(isFolder(*folder)) << *folder;
}

// Points the user's application-data folder somewhere else for one test.
class AppDataRedirect {
 public:
  explicit AppDataRedirect(const std::string& folder) {
    saved_[0] = read(kUserShellFolders);
    saved_[1] = read(kShellFolders);
    write(kUserShellFolders, folder, REG_EXPAND_SZ);
    write(kShellFolders, folder, REG_SZ);
  }
  ~AppDataRedirect() {
    restore(kUserShellFolders, saved_[0], REG_EXPAND_SZ);
    restore(kShellFolders, saved_[1], REG_SZ);
  }
  AppDataRedirect(const AppDataRedirect&) = delete;
  AppDataRedirect& operator=(const AppDataRedirect&) = delete;

 private:
  struct Saved {
    bool present = false;
    std::string text;
  };
  static Saved read(const char* key) {
    Saved s;
    char buffer[1024] = {};
    DWORD size = sizeof buffer;
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &h) != ERROR_SUCCESS) return s;
    if (RegQueryValueExA(h, "AppData", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) ==
        ERROR_SUCCESS) {
      s.present = true;
      s.text = buffer;
    }
    RegCloseKey(h);
    return s;
  }
  static void write(const char* key, const std::string& text, DWORD type) {
    HKEY h = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h,
                        nullptr) != ERROR_SUCCESS)
      return;
    RegSetValueExA(h, "AppData", 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(h);
  }
  static void restore(const char* key, const Saved& s, DWORD type) {
    if (s.present) {
      write(key, s.text, type);
      return;
    }
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_SET_VALUE, &h) != ERROR_SUCCESS) return;
    RegDeleteValueA(h, "AppData");
    RegCloseKey(h);
  }
  Saved saved_[2];
};

TEST(AppDataFolder, LongPathComesBackWhole) {
  ScratchFolder dir;
  // Folders of 50 characters until the path is 258 long: more than 255, still
  // inside MAX_PATH.
  std::string folder = dir.path();
  while (folder.size() + 51 <= 258) {
    folder += "\\" + std::string(50, 'd');
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
  }
  folder += "\\" + std::string(258 - folder.size() - 1, 'e');
  ASSERT_EQ(258u, folder.size());
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;

  const AppDataRedirect redirect(folder);
  const auto found = Module1::GetAppDataFolder();
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(folder.size(), found->size());
  EXPECT_EQ(0, lstrcmpiA(folder.c_str(), found->c_str())) << *found;
}

// ---- clsFile.FileWrite -------------------------------------------------------------

TEST(clsFileWrite, ReplacesTheFilesContentsWithTheTextAndOneLineBreak) {
  ScratchFolder dir;
  const std::string file = dir.write("out.txt", "old contents\r\nmuch longer than the new\r\n");
  clsFile().FileWrite(file, "new");
  EXPECT_EQ("new\r\n", contents(file));
  clsFile().FileWrite(dir.file("fresh.txt"), "");
  EXPECT_EQ("\r\n", contents(dir.file("fresh.txt")));
}

TEST(clsFileWrite, FileThatCannotBeOpenedRaises) {
  ScratchFolder dir;
  try {
    clsFile().FileWrite(dir.file("missing\\out.txt"), "x");
    ADD_FAILURE() << "no error for a missing folder";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(errors::kPathNotFound, e.number());
    EXPECT_EQ("clsFile", e.source());
  }
  try {
    clsFile().FileWrite(dir.path(), "x");
    ADD_FAILURE() << "no error for a folder";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(errors::kPathFileAccessError, e.number());
  }
}

}  // namespace
