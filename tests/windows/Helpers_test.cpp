// The helpers against the real system of the Wine prefix: GetAppDataFolder against its
// shell; clsFile.FileWrite and clsFileSystem against real files, in scratch folders each
// test makes and removes; ReadIniValue through the restore wizard's file check (sections
// and keys without regard to case, trimmed values cut to 254 characters); the file
// dialogs; clsRegistry against the real registry, each test in its own key below
// HKCU\Software\CorvaneTests, removed before and after.
#include <windows.h>
// The rest after it: clsFileSystem.h undoes its file macros for the class's own names,
// and sddl.h needs it.
#include <gtest/gtest.h>
#include <sddl.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "automation/Automation.h"
#include "e2e/E2eSupport.h"
#include "ErrorNumber.h"
#include "forms/memory/MemoryApplication.h"
#include "helpers/BackupLocation.h"
#include "helpers/BrowseForBackupFolder.h"
#include "helpers/MFile.h"
#include "helpers/MIni.h"
#include "helpers/Module1Shell.h"
#include "helpers/RuntimeError.h"
#include "helpers/clsFile.h"
#include "helpers/clsFileSystem.h"
#include "helpers/clsRegistry.h"
#include "platform/win32/Handle.h"
#include "platform/win32/Win32FileSystem.h"
#include "settingsbackup/frmRestore.h"
#include "windows/RegistryAccess.h"

namespace {

namespace fs = std::filesystem;
namespace disk = std::filesystem;

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

using namespace std::string_literals;  // "a\0b"s keeps its NULs
using Stored = std::optional<regtest::Stored>;

constexpr std::uint32_t kHKCU = clsRegistry::kCurrentUser;
constexpr DWORD kMissing = ~0u;  // no value at all
const char* const kTestsRoot = "Software\\CorvaneTests";
const RegistryValue kEmpty;
const HKEY kCU = HKEY_CURRENT_USER;

template <class Call>
void expectRaised(const Call& call, long number = clsRegistry::kErrSetValue,
                  const std::string& description = "SetValue") {
  try {
    call();
    ADD_FAILURE() << "no error raised, expected " << number;
  } catch (const RuntimeError& e) {
    EXPECT_EQ(std::tuple(number, "clsRegistry"s, description),
              std::tuple(e.number(), e.source(), e.description()));
  }
}

// Only the given access for everyone.
void setSecurity(const std::string& key, const char* sddl) {
  HKEY h = nullptr;
  PSECURITY_DESCRIPTOR sd = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(kCU, key.c_str(), 0, WRITE_DAC, &h));
  ASSERT_TRUE(
      ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &sd, nullptr));
  EXPECT_EQ(ERROR_SUCCESS, RegSetKeySecurity(h, DACL_SECURITY_INFORMATION, sd));
  LocalFree(sd);
  RegCloseKey(h);
}

class Registry : public ::testing::Test {
 protected:
  void SetUp() override {
    key_ = std::string(kTestsRoot) + "\\" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    SHDeleteKeyA(kCU, key_.c_str());
    ASSERT_TRUE(regtest::makeKey(kCU, key_));
  }
  void TearDown() override {
    SHDeleteKeyA(kCU, key_.c_str());
    RegDeleteKeyA(kCU, kTestsRoot);  // only once it is empty
  }

  std::string path(std::string sub = "") const { return sub.empty() ? key_ : key_ + "\\" + sub; }
  bool keyPresent(const std::string& sub) const { return regtest::keyExists(kCU, path(sub)); }
  void put(const std::string& name, DWORD type, const std::string& data,
           const std::string& sub = "") {
    EXPECT_TRUE(regtest::put(kCU, path(sub), name, type, data));
  }
  static Stored stored(DWORD type, const std::string& data) { return std::pair(type, data); }
  static Stored sz(const std::string& s) { return stored(REG_SZ, s + '\0'); }
  Stored raw(const std::string& name) const { return regtest::value(kCU, key_, name); }

  clsRegistry reg;
  std::string key_;
};

TEST_F(Registry, OneLeadingBackslashIsDroppedASecondIsRefusedAsTheRegistryDoes) {
  const std::string slashed = "\\" + path();
  EXPECT_TRUE(reg.CreateKey(kHKCU, slashed + "\\sub") && reg.KeyExists(kHKCU, slashed + "\\sub"));
  EXPECT_EQ("sub", reg.ListSubKey(kHKCU, slashed, 0));
  EXPECT_TRUE(reg.SetDWordValue(kHKCU, slashed, "d", 9) && reg.SetValue(kHKCU, slashed, "d", 8));
  EXPECT_EQ(RegistryValue(std::int32_t{8}), reg.GetValue(kHKCU, slashed, "d"));
  EXPECT_EQ("d", reg.ListSubValue(kHKCU, slashed, 0));
  EXPECT_TRUE(reg.DeleteValue(kHKCU, slashed, "d") && reg.DeleteKey(kHKCU, slashed + "\\sub"));
  EXPECT_FALSE(raw("d") || keyPresent("sub"));
  EXPECT_FALSE(reg.KeyExists(kHKCU, "\\" + slashed));
  EXPECT_FALSE(reg.CreateKey(kHKCU, "\\" + slashed + "\\sub") || keyPresent("sub"));
}

TEST_F(Registry, ReadOnlyKeyCanBeReadButNotWritten) {
  ASSERT_TRUE(regtest::makeKey(kCU, path("ro\\child")));
  put("n", REG_DWORD, "\5\0\0\0"s, "ro");
  setSecurity(path("ro"), "D:P(A;;KR;;;WD)");
  EXPECT_TRUE(reg.KeyExists(kHKCU, path("ro")));
  EXPECT_EQ("child", reg.ListSubKey(kHKCU, path("ro"), 0));
  EXPECT_EQ("n", reg.ListSubValue(kHKCU, path("ro"), 0));
  EXPECT_FALSE(reg.DeleteValue(kHKCU, path("ro"), "n"));
  expectRaised([&] { reg.SetValue(kHKCU, path("ro"), "n", 6); });
  expectRaised([&] { reg.SetDWordValue(kHKCU, path("ro"), "n", 6); });
  EXPECT_EQ(RegistryValue(std::int32_t{5}), reg.GetValue(kHKCU, path("ro"), "n"));
  setSecurity(path("ro"), "D:(A;;KA;;;WD)");  // or TearDown could not delete it
}

TEST_F(Registry, SetValueWritesInTheTypeTheValueHasSetDWordValueAlwaysADword) {
  // The value's name, type and bytes before; Value; what is stored after.
  // clang-format off
  struct { std::string name; DWORD type; std::string before; RegistryData value; Stored after; }
  const cases[] = {
      {"n", kMissing, "", 12, sz("12")},
      {"t", REG_SZ, "a rather longer old text\0"s, "new", sz("new")},
      // Too long to read: rewritten as text.
      {"b", REG_BINARY, std::string(300, '\1'), 5, sz("5")},
      // Expandable, multi and other strings are left unwritten.
      {"x", REG_EXPAND_SZ, "%TEMP%\\x\0"s, "new", stored(REG_EXPAND_SZ, "%TEMP%\\x\0"s)},
      {"m", REG_MULTI_SZ, "a\0b\0\0"s, 1, stored(REG_MULTI_SZ, "a\0b\0\0"s)},
      // Numbers as numbers.
      {"d", REG_DWORD, "\1\0\0\0"s, " -7 ", stored(REG_DWORD, "\xF9\xFF\xFF\xFF"s)},
      {"d", REG_DWORD, "\1\0\0\0"s, std::int64_t{INT32_MIN}, stored(REG_DWORD, "\0\0\0\x80"s)},
      // A byte's decimal text; the size follows its own text, not Value's.
      {"b", REG_BINARY, "\1\2\3\4\5\6"s, 255, stored(REG_BINARY, "255\0"s)},
      {"b", REG_BINARY, "\1\2\3\4\5\6"s, "007", stored(REG_BINARY, "7\0"s)}};
  // clang-format on
  for (const auto& c : cases) {
    if (c.type != kMissing) put(c.name, c.type, c.before);
    EXPECT_TRUE(reg.SetValue(kHKCU, path(), c.name, c.value)) << c.name;
    EXPECT_EQ(c.after, raw(c.name)) << c.name;
  }

  // What does not convert raises 11001 and leaves the value as it was.
  const std::pair<regtest::Stored, std::vector<RegistryData>> refused[] = {
      {{REG_DWORD, "\3\0\0\0"s}, {"abc", 2147483648}}, {{REG_BINARY, "\1"}, {256, -1}}};
  for (const auto& [before, values] : refused)
    for (const RegistryData& value : values) {
      put("r", before.first, before.second);
      expectRaised([&] { reg.SetValue(kHKCU, path(), "r", value); });
      EXPECT_EQ(Stored(before), raw("r"));
    }
  expectRaised([&] { reg.SetValue(kHKCU, path("missing"), "v", 1); });
  EXPECT_FALSE(keyPresent("missing"));

  // SetDWordValue writes four bytes whatever the value was; "t" holds text by now.
  EXPECT_TRUE(reg.SetDWordValue(kHKCU, path(), "t", -2));
  EXPECT_EQ(stored(REG_DWORD, "\xFE\xFF\xFF\xFF"s), raw("t"));
  expectRaised([&] { reg.SetDWordValue(kHKCU, path("missing"), "v", 1); });
}

TEST_F(Registry, GetValueReadsEachTypeInItsOwnWay) {
  const std::string a253(253, 'a'), b254(254, 'b');
  const std::tuple<std::string, DWORD, std::string, RegistryValue> cases[] = {
      {"254", REG_SZ, a253 + '\0', a253},                     // 254 bytes with the terminator
      {"255", REG_SZ, b254 + '\0', b254},                     // 255 bytes: fills the buffer
      {"256", REG_SZ, std::string(255, 'c') + '\0', kEmpty},  // one byte too many
      {"", REG_SZ, "default\0"s, "default"s},
      {"nothing", REG_SZ, "", ""s},
      {"e", REG_EXPAND_SZ, "%TEMP%\\x\0"s, "%TEMP%\\x"s},  // not expanded
      {"m", REG_MULTI_SZ, "a\0b\0\0"s, "a\0b\0"s},
      {"minus", REG_DWORD, "\xFF\xFF\xFF\xFF", std::int32_t{-1}},
      // Binary: the first four bytes as a number, which must fit a byte.
      {"one", REG_BINARY, "\5", std::uint8_t{5}},
      {"empty", REG_BINARY, "", std::uint8_t{0}},
      {"high", REG_BINARY, "\xFF\0\0\0\0\0\0\1"s, std::uint8_t{255}},
      {"long", REG_BINARY, std::string(300, '\0'), kEmpty}};
  for (const auto& [name, type, data, value] : cases) {
    put(name, type, data);
    EXPECT_EQ(value, reg.GetValue(kHKCU, path(), name)) << name;
  }
  EXPECT_EQ(kEmpty, reg.GetValue(kHKCU, path(), "missing"));
  EXPECT_EQ(kEmpty, reg.GetValue(kHKCU, path("missing"), "e"));
  for (const std::string& data : {"\0\1"s, "\xFF\xFF\xFF\xFF"s}) {
    put("b", REG_BINARY, data);
    expectRaised([&] { reg.GetValue(kHKCU, path(), "b"); }, errors::kOverflow, "Overflow");
  }
}

TEST_F(Registry, KeysAndValuesAreListedMadeAndDeleted) {
  for (const char* name : {"first", "second"}) put(name, REG_SZ, "1\0"s);
  for (const char* key : {"a\\b\\c", "", "a"})  // the last two exist by then and stay
    EXPECT_TRUE(reg.CreateKey(kHKCU, path(key))) << key;
  EXPECT_TRUE(regtest::makeKey(kCU, path("gamma")));
  std::set<std::string> keys, values;
  for (int i = 0; i < 3; ++i) keys.insert(reg.ListSubKey(kHKCU, path(), i));
  for (int i = 0; i < 3; ++i) values.insert(reg.ListSubValue(kHKCU, path(), i));
  EXPECT_EQ((std::set<std::string>{"", "a", "gamma"}), keys);  // nothing past the end
  EXPECT_EQ((std::set<std::string>{"", "first", "second"}), values);
  const std::pair<std::string, int> ends[] = {
      {path(), -1}, {path("missing"), 0}, {path("gamma"), 0}};
  for (const auto& [key, index] : ends)
    EXPECT_EQ("", reg.ListSubKey(kHKCU, key, index)) << key << " " << index;
  EXPECT_EQ("", reg.ListSubValue(kHKCU, path("missing"), 0));
  // Names longer than the buffer are not read.
  for (const std::size_t length : {254, 255}) {
    const std::string name(length, 'v');
    put(name, REG_SZ, "x\0"s);
    EXPECT_EQ(length == 254 ? name : "", reg.ListSubValue(kHKCU, path(), 2));
    EXPECT_TRUE(reg.DeleteValue(kHKCU, path(), name));
  }

  EXPECT_TRUE(reg.KeyExists(kHKCU, path("a\\b\\c")));
  EXPECT_FALSE(reg.KeyExists(kHKCU, path("a\\missing")));
  EXPECT_FALSE(reg.DeleteKey(kHKCU, path("a")));  // it has subkeys
  EXPECT_TRUE(reg.DeleteKey(kHKCU, path("a\\b\\c")));
  EXPECT_TRUE(!keyPresent("a\\b\\c") && keyPresent("a\\b"));
  EXPECT_FALSE(reg.DeleteKey(kHKCU, path("missing")));
  // A lasting key cannot live below one that ends with the session.
  ASSERT_TRUE(regtest::makeKey(kCU, path("volatile"), REG_OPTION_VOLATILE));
  EXPECT_FALSE(reg.CreateKey(kHKCU, path("volatile\\lasting")) || keyPresent("volatile\\lasting"));

  // DeleteValue: true exactly when a value was deleted.
  EXPECT_TRUE(reg.DeleteValue(kHKCU, path(), "first"));
  EXPECT_FALSE(raw("first"));
  EXPECT_FALSE(reg.DeleteValue(kHKCU, path(), "first"));
  EXPECT_FALSE(reg.DeleteValue(kHKCU, path("missing"), "v"));
}

}  // namespace
