// clsFileSystem against real files, in a scratch folder each test makes and removes.
// Its boxes are recorded by the in-memory application.
#include <windows.h>
// The rest after it: clsFileSystem.h undoes its file macros for the class's own names.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

#include "forms/memory/MemoryApplication.h"
#include "helpers/RuntimeError.h"
#include "helpers/clsFileSystem.h"
#include "platform/win32/Handle.h"
#include "platform/win32/Win32FileSystem.h"

namespace {

namespace disk = std::filesystem;
using Names = std::vector<std::string>;

// Everything below a folder, relative to it and sorted, whatever the attributes.
Names tree(const std::string& folder) {
  Names found;
  std::error_code missing;
  for (const auto& e : disk::recursive_directory_iterator(folder, missing))
    found.push_back(e.path().lexically_relative(folder).string());
  std::sort(found.begin(), found.end());
  return found;
}

// A file held open as another program holds it: readable, never deletable.
platform::Handle holdOpen(const std::string& path) {
  return platform::Handle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

class FileSystemWin32 : public ::testing::Test {
 protected:
  void SetUp() override {
    GetCurrentDirectoryA(MAX_PATH, previousFolder);
    TearDown();
    ASSERT_TRUE(CreateDirectoryA(scratch.c_str(), nullptr) && SetCurrentDirectoryA(at("").c_str()));
  }
  void TearDown() override {
    SetCurrentDirectoryA(previousFolder);
    std::error_code missing;  // read-only files too
    for (const auto& e : disk::recursive_directory_iterator(scratch, missing))
      SetFileAttributesA(e.path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
    disk::remove_all(scratch, missing);
  }

  std::string at(const std::string& name) const { return scratch + "\\" + name; }
  // A file of this size; the folders above it are made as needed.
  void write(const std::string& name, std::size_t size = 1, DWORD attributes = 0) {
    disk::create_directories(disk::path(at(name)).parent_path());
    std::ofstream(at(name), std::ios::binary) << std::string(size, 'x');
    ASSERT_TRUE(exists(name) && (!attributes || SetFileAttributesA(at(name).c_str(), attributes)));
  }
  bool exists(const std::string& name) const { return disk::exists(at(name)); }
  // The prompts of the boxes shown since the last call, joined by "|".
  std::string boxes(unsigned style = forms::vbOKOnly) {
    std::string prompts;
    for (const auto& b : app.shownMessageBoxes) {
      prompts += (prompts.empty() ? "" : "|") + b.prompt;
      EXPECT_EQ(b.style, style) << b.prompt;
    }
    app.shownMessageBoxes.clear();
    return prompts;
  }
  long errorNumber(const std::function<void()>& call) {
    try {
      call();
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.source(), "clsFileSystem");
      return e.number();
    }
    return 0;
  }

  const std::string scratch = (disk::temp_directory_path() / "corva16-fs").string();
  char previousFolder[MAX_PATH] = {};
  platform::Win32FileSystem files;
  forms::MemoryApplication app;
  clsFileSystem fs{files, app};
};

TEST_F(FileSystemWin32, ExistenceSizeDateAndAttributes) {
  write("Notes.txt", 1536);
  write("secret.txt", 1, FILE_ATTRIBUTE_HIDDEN);
  disk::create_directory(at("sub"));
  EXPECT_TRUE(fs.FileExist(at("sub\\")));
  EXPECT_FALSE(fs.FileExist(""));
  // FileReal: a plain file of the current folder, named exactly as stored.
  EXPECT_TRUE(fs.FileReal("Notes.txt"));
  for (const std::string& n : Names{"notes.txt", at("Notes.txt"), "*.txt", "secret.txt", "sub", ""})
    EXPECT_FALSE(fs.FileReal(n)) << n;

  EXPECT_EQ(fs.GetFileSize(at("Notes.txt")), "1" + files.decimalSeparator() + "5KB");
  SYSTEMTIME now;
  GetLocalTime(&now);  // the file was written just now
  EXPECT_NE(fs.GetFileDate(at("Notes.txt")).find(std::to_string(now.wYear)), std::string::npos);
  EXPECT_EQ(fs.GetFileDate(at("missing")), "");

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
    (fs.*s.set)(at("Notes.txt"));
    EXPECT_EQ(fs.GetAttrib(at("Notes.txt")), wine ? s.wine : s.windows);
  }
  EXPECT_EQ(fs.GetAttrib(at("sub")), "Directory");
  EXPECT_EQ(fs.GetAttrib(at("missing")), "Unknown");
}

TEST_F(FileSystemWin32, SaveDeleteCopyAndMoveKeepWhatTheyCannotFinish) {
  write("keep.txt");
  write("drop.txt");
  app.msgBoxAnswers = {forms::vbNo, forms::vbYes};
  for (const std::string& name : Names{"keep.txt", "drop.txt", at("keep.txt")}) fs.Save(name);
  // FileReal is false for a full path: no question.
  EXPECT_EQ(boxes(forms::vbYesNo), "Overwrite File?|Overwrite File?");
  EXPECT_EQ(tree(scratch), Names{"keep.txt"});

  // Patterns take hidden files and no folders, without regard to case.
  write("t\\a.tmp");
  write("t\\b.TMP", 1, FILE_ATTRIBUTE_HIDDEN);
  write("t\\c.txt");
  disk::create_directory(at("t\\d.tmp"));
  fs.DeleteFile(at("t\\*.tmp"));
  EXPECT_EQ(tree(at("t")), (Names{"c.txt", "d.tmp"}));
  write("t\\ro.txt", 1, FILE_ATTRIBUTE_READONLY);
  for (const char* name : {"t\\ro.txt", "t\\*.none", "t\\missing.txt"}) fs.DeleteFile(at(name));
  EXPECT_EQ(boxes(), "Error deleting File|Error deleting File|Error deleting File");
  EXPECT_TRUE(exists("t\\ro.txt"));

  // CopyFile fails silently and replaces the file it lands on.
  write("big", 5000);
  fs.CopyFile(at("missing.txt"), at("c.txt"));
  fs.CopyFile(at("big"), at("nowhere\\c.txt"));
  EXPECT_FALSE(exists("c.txt") || exists("nowhere"));
  fs.CopyFile(at("big"), at("keep.txt"));
  EXPECT_EQ(files.fileLength(at("keep.txt")), 5000u);
  fs.MoveFile(at("big"), at("moved"));
  EXPECT_EQ(boxes(), "");
  EXPECT_FALSE(exists("big"));
  EXPECT_EQ(files.fileLength(at("moved")), 5000u);

  write("held.txt", 10);
  const platform::Handle held = holdOpen(at("held.txt"));
  ASSERT_TRUE(held);
  const std::pair<std::string, std::string> failures[] = {
      {"moved", "missing\\x.txt"},  // no such folder
      {"moved", ".\\MOVED"},        // onto itself
      {"held.txt", "copy.txt"}};    // copied, but the source cannot go
  for (const auto& [from, to] : failures) {
    fs.MoveFile(at(from), at(to));
    EXPECT_EQ(boxes(), "Error moving File") << to;
    EXPECT_TRUE(exists(from)) << to;
  }
  EXPECT_EQ(files.fileLength(at("moved")), 5000u);
}

TEST_F(FileSystemWin32, CreateDirectoryStructMakeDIRAndRemoveDIR) {
  const std::string deep = at("a\\b\\c");
  // One yield for each folder along the path, none when it is all there.
  for (int call = 0; call < 2; ++call) {
    fs.CreateDirectoryStruct(deep);
    EXPECT_EQ(app.doEventsCount, std::count(deep.begin() + 3, deep.end(), '\\') + 1) << call;
  }
  fs.CreateDirectoryStruct(at("x\\\\y\\"));  // doubled and trailing separators
  EXPECT_EQ(tree(at("a")), (Names{"b", "b\\c"}));
  EXPECT_EQ(tree(at("x")), Names{"y"});
  write("f.txt");
  for (const std::string& bad : Names{at("f.txt\\sub\\deeper"), "Q:\\a"})
    EXPECT_EQ(errorNumber([&] { fs.CreateDirectoryStruct(bad); }), errors::kPathFileAccessError)
        << bad;

  // MakeDIR ignores failure, RemoveDIR reports it.
  fs.MakeDIR(at("new"));
  fs.MakeDIR(at("no\\parent"));
  EXPECT_TRUE(exists("new") && !exists("no"));
  fs.RemoveDIR(at("a"));
  EXPECT_EQ(boxes(), "Error removing Directory");
  EXPECT_TRUE(exists("a\\b\\c"));
  fs.RemoveDIR(at("new"));
  EXPECT_FALSE(exists("new"));
  EXPECT_EQ(boxes(), "");
}

TEST_F(FileSystemWin32, CleanAllPathEmptiesTheTreeKeepsTheFolderOrFailsOnWhatStays) {
  write("t\\plain.txt");
  write("t\\hid.txt", 1, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
  write("t\\sub\\deep\\f.txt", 1, FILE_ATTRIBUTE_READONLY);
  disk::create_directory(at("t\\empty"));
  write("keep.txt");
  std::string path = at("t");
  fs.CleanAllPath(path);
  EXPECT_EQ(path, at("t\\"));
  EXPECT_EQ(tree(scratch), (Names{"keep.txt", "t"}));

  // A relative folder, and the current folder itself however it is spelled.
  for (const std::string relative : {"t", ".", ".\\."}) {
    SetCurrentDirectoryA(at("t").c_str());
    write("t\\x.txt");
    write("t\\t\\y.txt");
    std::string here = relative;
    fs.CleanAllPath(here);
    EXPECT_EQ(tree(at("t")), (relative == "t" ? Names{"t", "x.txt"} : Names{})) << relative;
    SetCurrentDirectoryA(scratch.c_str());
  }

  // A file the listing skips (system) or that cannot go (held) ends the walk.
  write("t\\sub\\sys.dat", 1, FILE_ATTRIBUTE_SYSTEM);
  write("u\\held.txt");
  const platform::Handle held = holdOpen(at("u\\held.txt"));
  for (std::string path : Names{at("t"), at("u")})
    EXPECT_EQ(errorNumber([&] { fs.CleanAllPath(path); }), errors::kPathFileAccessError) << path;
  EXPECT_TRUE(exists("t\\sub\\sys.dat") && exists("u\\held.txt") && exists("keep.txt"));
}

}  // namespace
