// GetAppDataFolder and clsFile.FileWrite against the shell of the Wine prefix and real
// files. ReadIniValue is read through the restore wizard's file check.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "e2e/E2eSupport.h"
#include "helpers/Module1Shell.h"
#include "helpers/RuntimeError.h"
#include "helpers/clsFile.h"
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

}  // namespace
