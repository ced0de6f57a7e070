// clsFileSystem against real files, in a scratch folder each test makes and removes.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "automation/Automation.h"
#include "helpers/RuntimeError.h"
#include "helpers/clsFileSystem.h"
#include "platform/win32/Win32FileSystem.h"

namespace {

// Message boxes and yields as the runtime makes them; no forms.
class TestApplication : public forms::Application {
 public:
  int msgBox(const std::string& prompt, unsigned style, const std::string& titleText) override {
    return MessageBoxA(GetActiveWindow(), prompt.c_str(),
                       (titleText.empty() ? title : titleText).c_str(), style);
  }
  void doEvents() override {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  std::unique_ptr<forms::FormView> createView(forms::Form&) override { return nullptr; }
  void waitForMessages(int) override {}
  std::uint64_t milliseconds() override { return GetTickCount(); }
  forms::Twips screenWidth() const override { return 0; }
  forms::Twips screenHeight() const override { return 0; }
  std::uintptr_t windowHandle(const forms::Form&) const override { return 0; }
  [[noreturn]] void endProcess() override { ExitProcess(0); }
  int run() override { return 0; }
};

// Answers the next message box of this process from a second thread.
class BoxAnswer {
 public:
  explicit BoxAnswer(std::string button)
      : thread_([this, button] {
          if (automation::findMessageBox(GetCurrentProcessId(), box_, 10000)) {
            automation::answerMessageBox(box_, button);
          }
        }) {}
  ~BoxAnswer() {
    if (thread_.joinable()) thread_.join();
  }
  const automation::MessageBoxInfo& box() {
    thread_.join();
    return box_;
  }

 private:
  automation::MessageBoxInfo box_;
  std::thread thread_;
};

std::string withoutAmpersands(std::string s) {
  s.erase(std::remove(s.begin(), s.end(), '&'), s.end());
  return s;
}

void expectBox(BoxAnswer& answer, const std::string& text, std::vector<std::string> buttons) {
  const auto& box = answer.box();
  ASSERT_NE(box.hwnd, nullptr) << "no message box for: " << text;
  EXPECT_EQ(box.text, text);
  EXPECT_EQ(box.title, "Corvane 16 bit Windows");
  EXPECT_FALSE(box.hasIcon);
  std::vector<std::string> shown;
  for (const auto& b : box.buttons) shown.push_back(withoutAmpersands(b));
  EXPECT_EQ(shown, buttons);
}

// Reads through to the real files but refuses every change, so a refusal that
// does not happen still cannot touch a real root.
class ChangeRefusingFiles : public platform::FileSystemApi {
 public:
  explicit ChangeRefusingFiles(platform::FileSystemApi& real) : real_(real) {}
  int changes = 0;
  bool pathFileExists(const std::string& p) override { return real_.pathFileExists(p); }
  std::optional<std::uint64_t> lastWriteTime(const std::string& p) override {
    return real_.lastWriteTime(p);
  }
  bool setLastWriteTime(const std::string&, std::uint64_t) override { return refuse(); }
  bool isFile(const std::string& p) override { return real_.isFile(p); }
  std::vector<std::string> listDirectory(const std::string& p, std::uint32_t a) override {
    return real_.listDirectory(p, a);
  }
  std::optional<std::uint64_t> fileLength(const std::string& p) override {
    return real_.fileLength(p);
  }
  std::optional<std::string> fileDateTime(const std::string& p) override {
    return real_.fileDateTime(p);
  }
  std::optional<std::uint32_t> fileAttributes(const std::string& p) override {
    return real_.fileAttributes(p);
  }
  bool setFileAttributes(const std::string&, std::uint32_t) override { return refuse(); }
  bool deleteFiles(const std::string&) override { return refuse(); }
  bool copyFile(const std::string&, const std::string&) override { return refuse(); }
  bool createDirectory(const std::string&) override { return refuse(); }
  bool removeDirectory(const std::string&) override { return refuse(); }
  void closeAllFiles() override {}
  std::string decimalSeparator() override { return real_.decimalSeparator(); }

 private:
  bool refuse() {
    ++changes;
    return false;
  }
  platform::FileSystemApi& real_;
};

// Removes a tree with the plain calls, whatever its attributes, so cleaning up
// never depends on the class under test.
void removeTree(const std::string& folder) {
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = folder + "\\" + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        removeTree(path);
      } else {
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(search, &data));
    FindClose(search);
  }
  SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
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
  void write(const std::string& name, std::size_t size, DWORD attributes = 0) {
    const std::string path = at(name);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    const std::string bytes(size, 'x');
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(file);
    if (attributes) SetFileAttributesA(path.c_str(), attributes);
  }
  void folder(const std::string& name) { ASSERT_TRUE(CreateDirectoryA(at(name).c_str(), nullptr)); }
  bool exists(const std::string& name) const {
    return GetFileAttributesA(at(name).c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  std::vector<std::string> entries(const std::string& name) const {
    std::vector<std::string> found;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((at(name) + "\\*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return found;
    do {
      if (std::string(data.cFileName) != "." && std::string(data.cFileName) != "..") {
        found.push_back(data.cFileName);
      }
    } while (FindNextFileA(search, &data));
    FindClose(search);
    return found;
  }

  std::string scratch;
  char previousFolder[MAX_PATH] = {};
  platform::Win32FileSystem files;
  TestApplication app;
  clsFileSystem fs{files, app};
};

TEST_F(FileSystemWin32, FilesAndFoldersExist) {
  write("f.txt", 1);
  folder("d");
  EXPECT_TRUE(fs.FileExist(at("f.txt")));
  EXPECT_TRUE(fs.FileExist(at("d")));
  EXPECT_TRUE(fs.FileExist(at("d") + "\\"));
  EXPECT_FALSE(fs.FileExist(at("missing.txt")));
  EXPECT_FALSE(fs.FileExist(""));
}

TEST_F(FileSystemWin32, FileRealOnlyForABareNameOfTheCurrentFolder) {
  write("Notes.txt", 1);
  folder("sub");
  ASSERT_TRUE(SetCurrentDirectoryA(scratch.c_str()));
  EXPECT_TRUE(fs.FileReal("Notes.txt"));
  EXPECT_FALSE(fs.FileReal("NOTES.TXT"));
  EXPECT_FALSE(fs.FileReal(at("Notes.txt")));
  EXPECT_FALSE(fs.FileReal("*.txt"));
  EXPECT_FALSE(fs.FileReal("sub"));
}

TEST_F(FileSystemWin32, SizeAndDate) {
  write("small", 1023);
  write("half", 1536);
  EXPECT_EQ(fs.GetFileSize(at("small")), "1023B");
  EXPECT_EQ(fs.GetFileSize(at("half")), "1" + files.decimalSeparator() + "5KB");
  EXPECT_EQ(fs.GetFileSize(at("missing")), "0B");
  EXPECT_EQ(fs.GetFileSize(at("*")), "0B");

  SYSTEMTIME when = {2003, 2, 0, 1, 12, 0, 0, 0};
  FILETIME stamp;
  SystemTimeToFileTime(&when, &stamp);
  ASSERT_TRUE(files.setLastWriteTime(
      at("small"), (static_cast<std::uint64_t>(stamp.dwHighDateTime) << 32) | stamp.dwLowDateTime));
  EXPECT_NE(fs.GetFileDate(at("small")).find("2003"), std::string::npos)
      << fs.GetFileDate(at("small"));
  EXPECT_EQ(fs.GetFileDate(at("missing")), "");
}

// Wine reports the archive bit on every regular file, whatever was set.
bool underWine() {
  return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

TEST_F(FileSystemWin32, AttributesSetAndReadBack) {
  write("f.txt", 1);
  folder("d");
  const bool wine = underWine();
  fs.SetReadOnly(at("f.txt"));
  EXPECT_EQ(fs.GetAttrib(at("f.txt")), wine ? "33" : "ReadOnly");
  fs.SetHidden(at("f.txt"));  // replaces read-only
  EXPECT_EQ(fs.GetAttrib(at("f.txt")), wine ? "34" : "Hidden");
  fs.SetSystem(at("f.txt"));
  EXPECT_EQ(fs.GetAttrib(at("f.txt")), wine ? "36" : "System");
  fs.SetNormal(at("f.txt"));
  EXPECT_EQ(fs.GetAttrib(at("f.txt")), wine ? "Archive" : "Normal");
  SetFileAttributesA(at("f.txt").c_str(), FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(fs.GetAttrib(at("f.txt")), "Archive");
  SetFileAttributesA(at("f.txt").c_str(), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(fs.GetAttrib(at("f.txt")), "33");
  EXPECT_EQ(fs.GetAttrib(at("d")), "Directory");
  EXPECT_EQ(fs.GetAttrib(at("missing")), "Unknown");
}

TEST_F(FileSystemWin32, PatternsDeleteEveryMatchingFile) {
  write("a.tmp", 1);
  write("b.tmp", 1, FILE_ATTRIBUTE_HIDDEN);
  write("c.txt", 1);
  folder("d.tmp");
  fs.DeleteFile(at("*.tmp"));
  EXPECT_FALSE(exists("a.tmp"));
  EXPECT_FALSE(exists("b.tmp"));
  EXPECT_TRUE(exists("c.txt"));
  EXPECT_TRUE(exists("d.tmp"));
}

TEST_F(FileSystemWin32, MoveCopyAndFolders) {
  write("src.txt", 3000);
  fs.MoveFile(at("src.txt"), at("dst.txt"));
  EXPECT_FALSE(exists("src.txt"));
  EXPECT_EQ(files.fileLength(at("dst.txt")), 3000u);
  write("new.txt", 10);
  fs.CopyFile(at("new.txt"), at("dst.txt"));
  EXPECT_EQ(files.fileLength(at("dst.txt")), 10u);
  fs.CopyFile(at("missing.txt"), at("x.txt"));  // silent
  EXPECT_FALSE(exists("x.txt"));

  fs.MakeDIR(at("made"));
  fs.MakeDIR(at("no\\parent"));  // silent
  EXPECT_TRUE(exists("made"));
  fs.RemoveDIR(at("made"));
  EXPECT_FALSE(exists("made"));
}

TEST_F(FileSystemWin32, CreateDirectoryStructThreeLevelsAndAgain) {
  fs.CreateDirectoryStruct(at("a\\b\\c"));
  EXPECT_EQ(files.fileAttributes(at("a\\b\\c")), platform::kAttrDirectory);
  fs.CreateDirectoryStruct(at("a\\b\\c"));
  fs.CreateDirectoryStruct(at("x\\y\\"));
  EXPECT_TRUE(exists("x\\y"));
  write("file", 1);
  try {
    fs.CreateDirectoryStruct(at("file\\sub"));
    ADD_FAILURE() << "no error for a folder below a file";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), errors::kPathFileAccessError);
  }
}

TEST_F(FileSystemWin32, CleanAllPathEmptiesTheTreeAndKeepsItsRoot) {
  folder("t");
  write("t\\plain.txt", 10);
  write("t\\ro.txt", 10, FILE_ATTRIBUTE_READONLY);
  write("t\\hid.txt", 10, FILE_ATTRIBUTE_HIDDEN);
  folder("t\\sub");
  folder("t\\sub\\deep");
  write("t\\sub\\deep\\f.txt", 10, FILE_ATTRIBUTE_READONLY);
  write("t\\sub\\h.txt", 10, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
  folder("t\\empty");
  write("outside.txt", 1);
  std::string path = at("t");
  fs.CleanAllPath(path);
  EXPECT_EQ(path, at("t") + "\\");
  EXPECT_TRUE(exists("t"));
  EXPECT_EQ(entries("t"), std::vector<std::string>{});
  EXPECT_TRUE(exists("outside.txt"));
}

TEST_F(FileSystemWin32, CleanAllPathRefusesRoots) {
  ChangeRefusingFiles guarded(files);
  clsFileSystem careful(guarded, app);
  for (const std::string root : {"", "C:", "C:\\", "\\", "Z:\\", "c:/", "C:\\windows\\..",
                                 "\\\\server\\share\\"}) {
    std::string path = root;
    try {
      careful.CleanAllPath(path);
      ADD_FAILURE() << "not refused: " << root;
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), errors::kInvalidProcedureCall);
    }
    EXPECT_EQ(path, root);
  }
  EXPECT_EQ(guarded.changes, 0);
}

TEST_F(FileSystemWin32, MessageBoxes) {
  write("keep.txt", 1);
  write("drop.txt", 1);
  ASSERT_TRUE(SetCurrentDirectoryA(scratch.c_str()));
  {
    BoxAnswer answer("No");
    fs.Save("keep.txt");
    expectBox(answer, "Overwrite File?", {"Yes", "No"});
    EXPECT_TRUE(exists("keep.txt"));
  }
  {
    BoxAnswer answer("Yes");
    fs.Save("drop.txt");
    expectBox(answer, "Overwrite File?", {"Yes", "No"});
    EXPECT_FALSE(exists("drop.txt"));
  }
  {
    BoxAnswer answer("OK");
    fs.DeleteFile(at("missing.txt"));
    expectBox(answer, "Error deleting File", {"OK"});
  }
  {
    BoxAnswer answer("OK");
    fs.MoveFile(at("keep.txt"), at("missing\\keep.txt"));
    expectBox(answer, "Error moving File", {"OK"});
    EXPECT_TRUE(exists("keep.txt"));
  }
  {
    BoxAnswer answer("OK");
    fs.MoveFile(at("keep.txt"), at(".\\KEEP.TXT"));  // onto itself
    expectBox(answer, "Error moving File", {"OK"});
    EXPECT_EQ(files.fileLength(at("keep.txt")), 1u);
  }
  {
    folder("full");
    write("full\\f.txt", 1);
    BoxAnswer answer("OK");
    fs.RemoveDIR(at("full"));
    expectBox(answer, "Error removing Directory", {"OK"});
    EXPECT_TRUE(exists("full"));
  }
}

}  // namespace
