// ReadIniValue, GetAppDataFolder and clsFile.FileWrite against real files, the
// real profile functions and the shell of the Wine prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "e2e/E2eSupport.h"
#include "helpers/MIni.h"
#include "helpers/Module1Shell.h"
#include "helpers/RuntimeError.h"
#include "helpers/clsFile.h"
#include "windows/RegistryAccess.h"

namespace {

// A fresh folder in the user's temporary folder, removed with what it holds.
struct ScratchFolder {
  ScratchFolder() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    path = (std::filesystem::temp_directory_path() / "corvane-").string() +
           test->test_suite_name() + "-" + test->name();
    std::filesystem::remove_all(path);
    std::filesystem::create_directory(path);
  }
  ~ScratchFolder() { std::filesystem::remove_all(path); }
  std::string file(const std::string& name) const { return path + "\\" + name; }
  std::string write(const std::string& name, const std::string& content) const {
    std::ofstream(file(name), std::ios::binary) << content;
    return file(name);
  }
  std::string read(const std::string& name) const { return e2e::readFile(file(name)); }
  std::string path;
};

TEST(ReadIniValue, FindsKeysWithoutRegardToCaseTrimsAndCutsTo254) {
  ScratchFolder dir;
  std::string longValue;
  for (int i = 0; i < 300; ++i) longValue += static_cast<char>('a' + i % 26);
  const std::string file =
      dir.write("set.BAK", "[backup]\r\nVERSION=WP12\r\nEmpty=\r\nLong=" + longValue +
                               "\r\n  Backup_Location =   C:\\My Backups  \r\n");
  const std::string cases[][3] = {{"Backup", "Version", "WP12"},
                                  {"BACKUP", "version", "WP12"},
                                  {"Backup", "Backup_Location", "C:\\My Backups"},
                                  {"Backup", "Long", longValue.substr(0, 254)},
                                  {"Backup", "Empty", ""},
                                  {"Backup", "Missing", ""},
                                  {"Restore", "Version", ""}};
  for (const auto& [section, key, value] : cases)
    EXPECT_EQ(value, MIni::ReadIniValue(file, section, key)) << section << "." << key;
  EXPECT_EQ("", MIni::ReadIniValue(dir.file("missing.BAK"), "Backup", "Version"));
}

// Points the user's application-data folder elsewhere for one test. The shell
// keeps a copy under "Shell Folders" that it rewrites from this one on each lookup.
class AppDataRedirect {
 public:
  explicit AppDataRedirect(const std::string& folder) {
    regtest::put(HKEY_CURRENT_USER, kKey, "AppData", REG_EXPAND_SZ, folder + '\0');
  }
  ~AppDataRedirect() {
    if (saved_)
      regtest::put(HKEY_CURRENT_USER, kKey, "AppData", saved_->first, saved_->second);
    else
      SHDeleteValueA(HKEY_CURRENT_USER, kKey, "AppData");
    Module1::GetAppDataFolder();  // brings the shell's copy back too
  }

 private:
  static constexpr const char* kKey =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  const std::optional<regtest::Stored> saved_ = regtest::value(HKEY_CURRENT_USER, kKey, "AppData");
};

TEST(AppDataFolder, LongPathComesBackWhole) {
  ScratchFolder dir;
  // 258 characters: more than 255, still inside MAX_PATH.
  std::string folder = dir.path;
  while (folder.size() + 51 <= 258) folder += "\\" + std::string(50, 'd');
  folder += "\\" + std::string(258 - folder.size() - 1, 'e');
  ASSERT_TRUE(std::filesystem::create_directories(folder)) << folder;

  const AppDataRedirect redirect(folder);
  const auto found = Module1::GetAppDataFolder();
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(258u, found->size()) << "whole, and no final backslash";
  EXPECT_EQ(0, lstrcmpiA(folder.c_str(), found->c_str())) << *found;
}

TEST(clsFileWrite, ReplacesTheContentsWithTheTextAndOneLineBreakOrRaises) {
  ScratchFolder dir;
  dir.write("out.txt", "old contents\r\nmuch longer than the new\r\n");
  clsFile().FileWrite(dir.file("out.txt"), "new");
  EXPECT_EQ("new\r\n", dir.read("out.txt"));
  clsFile().FileWrite(dir.file("fresh.txt"), "");
  EXPECT_EQ("\r\n", dir.read("fresh.txt"));

  const std::pair<std::string, long> failures[] = {
      {dir.file("missing\\out.txt"), errors::kPathNotFound},
      {dir.path, errors::kPathFileAccessError}};
  for (const auto& [file, number] : failures) {
    try {
      clsFile().FileWrite(file, "x");
      ADD_FAILURE() << "no error for " << file;
    } catch (const RuntimeError& e) {
      EXPECT_EQ(number, e.number()) << file;
      EXPECT_EQ("clsFile", e.source());
    }
  }
}

}  // namespace
