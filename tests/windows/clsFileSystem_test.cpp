// clsFileSystem against real files, in a scratch folder each test makes and removes.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <tuple>

#include "automation/Automation.h"
#include "forms/win32/Win32Application.h"
#include "helpers/clsFileSystem.h"
#include "platform/win32/Win32FileSystem.h"

namespace {

using Names = std::vector<std::string>;

// Answers the next message box of this process from a second thread; the future
// holds what the box showed.
std::future<automation::MessageBoxInfo> answerNextBox(const std::string& button) {
  return std::async(std::launch::async, [button] {
    automation::MessageBoxInfo box;
    if (automation::findMessageBox(GetCurrentProcessId(), box, 10000))
      automation::answerMessageBox(box, button);
    return box;
  });
}

// The names in a folder, whatever their attributes.
Names entries(const std::string& folder) {
  Names found;
  std::error_code missing;
  for (const auto& entry : std::filesystem::directory_iterator(folder, missing))
    found.push_back(entry.path().filename().string());
  return found;
}

// Removes a tree with the plain calls, so cleaning up never depends on the class
// under test.
void removeTree(const std::string& folder) {
  for (const auto& name : entries(folder)) {
    const std::string path = folder + "\\" + name;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!DeleteFileA(path.c_str())) removeTree(path);
  }
  RemoveDirectoryA(folder.c_str());
}

class FileSystemWin32 : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    scratch = std::string(temp) + "corva16-fs-" + std::to_string(GetCurrentProcessId());
    removeTree(scratch);
    ASSERT_TRUE(CreateDirectoryA(scratch.c_str(), nullptr));
    GetCurrentDirectoryA(MAX_PATH, previousFolder);
  }
  void TearDown() override {
    SetCurrentDirectoryA(previousFolder);
    removeTree(scratch);
  }

  std::string at(const std::string& name) const { return scratch + "\\" + name; }
  // A file of this size; the folders above it are made as needed.
  void write(const std::string& name, std::size_t size, DWORD attributes = 0) {
    std::filesystem::create_directories(std::filesystem::path(at(name)).parent_path());
    std::ofstream(at(name), std::ios::binary) << std::string(size, 'x');
    ASSERT_TRUE(exists(name) && (!attributes || SetFileAttributesA(at(name).c_str(), attributes)));
  }
  void folder(const std::string& name) {
    ASSERT_TRUE(std::filesystem::create_directories(at(name)));
  }
  bool exists(const std::string& name) const {
    return GetFileAttributesA(at(name).c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  std::string scratch;
  char previousFolder[MAX_PATH] = {};
  platform::Win32FileSystem files;
  forms::Win32Application app;
  clsFileSystem fs{files, app};
};

TEST_F(FileSystemWin32, ExistenceSizeDateAndAttributes) {
  write("Notes.txt", 1);
  folder("sub");
  for (const std::string name : {"Notes.txt", "sub", "sub\\"}) EXPECT_TRUE(fs.FileExist(at(name)));
  EXPECT_FALSE(fs.FileExist(at("missing.txt")));

  write("half", 1536);
  EXPECT_EQ(fs.GetFileSize(at("half")), "1" + files.decimalSeparator() + "5KB");
  ASSERT_TRUE(files.setLastWriteTime(at("half"), 126000000000000000ULL));  // April 2000
  EXPECT_NE(fs.GetFileDate(at("half")).find("2000"), std::string::npos);
  EXPECT_EQ(fs.GetFileDate(at("missing")), "");

  write("f.txt", 1);
  folder("d");
  // Each setter replaces the attributes before. Wine reports the archive bit on
  // every regular file, whatever was set.
  const bool wine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
  // clang-format off
  const struct { void (clsFileSystem::*set)(const std::string&); const char *windows, *wine; }
  setters[] = {
      {&clsFileSystem::SetReadOnly, "ReadOnly", "33"}, {&clsFileSystem::SetHidden, "Hidden", "34"},
      {&clsFileSystem::SetSystem, "System", "36"},
      {&clsFileSystem::SetNormal, "Normal", "Archive"}};
  // clang-format on
  for (const auto& s : setters) {
    (fs.*s.set)(at("f.txt"));
    EXPECT_EQ(fs.GetAttrib(at("f.txt")), wine ? s.wine : s.windows);
  }
  SetFileAttributesA(at("f.txt").c_str(), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(fs.GetAttrib(at("f.txt")), "33");
  EXPECT_EQ(fs.GetAttrib(at("d")), "Directory");
  EXPECT_EQ(fs.GetAttrib(at("missing")), "Unknown");
}

TEST_F(FileSystemWin32, DeletePatternsMatchHiddenFilesButNoFoldersCopiesReplace) {
  write("a.tmp", 1);
  write("b.tmp", 1, FILE_ATTRIBUTE_HIDDEN);
  write("c.txt", 1);
  folder("d.tmp");
  fs.DeleteFile(at("*.tmp"));
  auto left = entries(scratch);
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (Names{"c.txt", "d.tmp"}));
  write("big", 5);
  fs.CopyFile(at("big"), at("c.txt"));  // a copy replaces the file it lands on
  EXPECT_EQ(files.fileLength(at("c.txt")), 5u);
}

TEST_F(FileSystemWin32, EachMessageBoxAsTheUserSeesIt) {
  write("keep.txt", 1);
  write("drop.txt", 1);
  write("full\\f.txt", 1);
  ASSERT_TRUE(SetCurrentDirectoryA(scratch.c_str()));
  const std::string overwrite = "Overwrite File?", moving = "Error moving File";
  const std::tuple<const char*, std::function<void()>, std::string> cases[] = {
      {"No", [&] { fs.Save("keep.txt"); }, overwrite},
      {"Yes", [&] { fs.Save("drop.txt"); }, overwrite},
      {"OK", [&] { fs.DeleteFile(at("missing.txt")); }, "Error deleting File"},
      {"OK", [&] { fs.DeleteFile(at("*.none")); }, "Error deleting File"},  // nothing matched
      {"OK", [&] { fs.MoveFile(at("keep.txt"), at("missing\\keep.txt")); }, moving},
      {"OK", [&] { fs.MoveFile(at("keep.txt"), at(".\\KEEP.TXT")); }, moving},  // onto itself
      {"OK", [&] { fs.RemoveDIR(at("full")); }, "Error removing Directory"}};
  for (const auto& [press, call, text] : cases) {
    auto answer = answerNextBox(press);
    call();
    const auto box = answer.get();
    ASSERT_NE(box.hwnd, nullptr) << "no message box for: " << text;
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.title, "Corvane 16 bit Windows");
    EXPECT_FALSE(box.hasIcon);
    Names shown;
    for (auto b : box.buttons) {
      b.erase(std::remove(b.begin(), b.end(), '&'), b.end());
      shown.push_back(b);
    }
    EXPECT_EQ(shown, (text == overwrite ? Names{"Yes", "No"} : Names{"OK"})) << text;
  }
  EXPECT_EQ(files.fileLength(at("keep.txt")), 1u);  // kept by No and by both failed moves
  EXPECT_FALSE(exists("drop.txt"));
  EXPECT_TRUE(exists("full\\f.txt"));
}

}  // namespace
