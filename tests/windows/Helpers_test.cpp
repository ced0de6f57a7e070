// The helpers against the real system of the Wine prefix.
#include <windows.h>
// First: clsFileSystem.h undoes its file macros, and sddl.h needs it.
#include <gtest/gtest.h>
#include <sddl.h>

#include <future>
#include <set>
#include <tuple>
#include <vector>

#include "e2e/E2eSupport.h"
#include "ErrorNumber.h"
#include "forms/memory/MemoryApplication.h"
#include "helpers/BackupLocation.h"
#include "helpers/BrowseForBackupFolder.h"
#include "helpers/MFile.h"
#include "helpers/MIni.h"
#include "helpers/Module1Shell.h"
#include "helpers/clsFile.h"
#include "helpers/clsFileSystem.h"
#include "helpers/clsRegistry.h"
#include "platform/win32/Handle.h"
#include "platform/win32/Win32FileSystem.h"
#include "settingsbackup/frmRestore.h"

namespace {

namespace disk = std::filesystem;  // clsFileSystem's objects are named fs

// Held open as another program holds it: readable, never deletable.
platform::Handle holdOpen(const std::string& path) {
  return platform::Handle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

using namespace std::string_literals;  // "a\0b"s keeps its NULs
using Stored = std::optional<regtest::Stored>;

constexpr std::uint32_t kHKCU = clsRegistry::kCurrentUser;
constexpr DWORD kMissing = ~0u;  // no value at all
const char* const kTestsRoot = "Software\\CorvaneTests";
const RegistryValue kEmpty;
const HKEY kCU = HKEY_CURRENT_USER;

constexpr long kSetValueError = clsRegistry::kErrSetValue;

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

// A scratch folder (the current one) and a registry key, each the test's own.
class Sandbox : public ::testing::Test {
 protected:
  void SetUp() override {
    GetCurrentDirectoryA(MAX_PATH, previousFolder);
    TearDown();
    ASSERT_TRUE(CreateDirectoryA(scratch.c_str(), nullptr) && SetCurrentDirectoryA(at("").c_str()));
    ASSERT_TRUE(regtest::makeKey(kCU, key_));
  }
  void TearDown() override {
    SetCurrentDirectoryA(previousFolder);
    std::error_code missing;  // read-only files too
    for (const auto& e : disk::recursive_directory_iterator(scratch, missing))
      SetFileAttributesA(e.path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
    disk::remove_all(scratch, missing);
    SHDeleteKeyA(kCU, key_.c_str());
    RegDeleteKeyA(kCU, kTestsRoot);  // only once it is empty
  }

  std::string at(const std::string& name) const { return scratch + "\\" + name; }
  void write(const std::string& name, const std::string& content = "x", DWORD attributes = 0) {
    e2e::writeFile(at(name), content);
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

  std::string path(std::string sub = "") const { return sub.empty() ? key_ : key_ + "\\" + sub; }
  bool keyPresent(const std::string& sub) const { return regtest::keyExists(kCU, path(sub)); }
  void put(const std::string& name, DWORD type, const std::string& data) {
    EXPECT_TRUE(regtest::put(kCU, key_, name, type, data));
  }
  static Stored stored(DWORD type, const std::string& data) { return std::pair(type, data); }
  static Stored sz(const std::string& s) { return stored(REG_SZ, s + '\0'); }
  Stored raw(const std::string& name) const { return regtest::value(kCU, key_, name); }
  static long raised(const std::function<void()>& call, const char* description = "SetValue") {
    return errorNumber(call, "clsRegistry", description);
  }

  const std::string scratch = (disk::temp_directory_path() / "corva16-fs").string();
  char previousFolder[MAX_PATH] = {};
  platform::Win32FileSystem files;
  forms::MemoryApplication app;
  clsFileSystem fs{files, app};
  const std::string key_ = std::string(kTestsRoot) + "\\" +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name();
  clsRegistry reg;
};

using AppDataFolder = Sandbox;
using clsFileWrite = Sandbox;
using RestoreFileCheck = Sandbox;
using FileSystemWin32 = Sandbox;
using Registry = Sandbox;

TEST_F(AppDataFolder, LongPathComesBackWhole) {
  // 258 characters: more than 255, still inside MAX_PATH.
  std::string folder = scratch;
  while (folder.size() + 51 <= 258) folder += "\\" + std::string(50, 'd');
  folder += "\\" + std::string(258 - folder.size() - 1, 'e');
  ASSERT_TRUE(disk::create_directories(folder)) << folder;

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
  EXPECT_EQ(0, lstrcmpiA(folder.c_str(), found.value_or("").c_str()))  // no final backslash
      << found.value_or("nothing");
}

TEST_F(clsFileWrite, ReplacesTheContentsWithTheTextAndOneLineBreakOrRaises) {
  clsFile().FileWrite(at("out.txt"), "old contents\r\nmuch longer than the new");
  clsFile().FileWrite(at("out.txt"), "new");
  clsFile().FileWrite(at("fresh.txt"), "");
  EXPECT_EQ("new\r\n", e2e::readFile(at("out.txt")));
  EXPECT_EQ("\r\n", e2e::readFile(at("fresh.txt")));

  const std::pair<std::string, long> failures[] = {{at("missing\\out.txt"), errors::kPathNotFound},
                                                   {scratch, errors::kPathFileAccessError}};
  for (const auto& [file, number] : failures)
    EXPECT_EQ(errorNumber([&] { clsFile().FileWrite(file, "x"); }, "clsFile"), number) << file;
}

TEST_F(RestoreFileCheck, EachFaultyFileIsToldAndOnlyAGoodOneMovesOn) {
  const std::string good = "[Backup]\r\nVersion=WP12\r\nBackup_Location=D:\\Saved\\WP\r\n";
  const std::string longValue = std::string(150, 'a') + std::string(150, 'b');
  const std::string wrongVersion =
      "This is Not a WordPefect 12 backup, please select a WordPerfect 12 backup";
  const struct {
    std::string name, content, message;  // no content: no file; no message: the file passes
    bool textKept;
    std::string location;
  } cases[] = {
      {"missing.BAK", "", "File does not exist,Please select a file", false, ""},
      {"other.bak2", good, "Please select a file that has the .BAK extension", false, ""},
      {"nosection.BAK", "[Other]\r\nVersion=WP12\r\n", wrongVersion, true, ""},
      {"lower.BAK", "[Backup]\r\nVersion=wp12\r\n", wrongVersion, true, ""},
      {"good.bak", good, "", true, "D:\\Saved\\WP"},
      {"nolocation.Bak", "[backup]\r\n version = WP12 \r\n", "", true, ""},
      {"long.bak", "[Backup]\r\nVersion=WP12\r\nBackup_Location=" + longValue + "\r\n", "", true,
       longValue.substr(0, 254)},
  };
  for (const auto& c : cases) {
    if (!c.content.empty()) write(c.name, c.content);
    frmRestore f(app, files, BackupFileAccess{MFile::ShowOpenFileDialog, MIni::ReadIniValue});
    f.show(forms::Modality::Modal);
    BackupLocation = "kept";
    f.cmdNext.userClick();
    f.text1.setText(at(c.name));
    f.cmdNext.userClick();
    SCOPED_TRACE(c.name);
    EXPECT_EQ(boxes(), c.message);
    EXPECT_EQ(f.RestoreStep, c.message.empty() ? 2 : 1);
    EXPECT_EQ(BackupLocation, c.message.empty() ? c.location : "kept");
    EXPECT_EQ(f.text1.text(), c.textKept ? at(c.name) : "");
  }
}

constexpr int kDialogTimeoutMs = 20000;

// From a second thread: looks at the dialog, presses the button once enabled; false: none.
bool answerDialog(const std::string& caption, const char* button, const std::function<void()>& show,
                  const std::function<void(HWND)>& look = {}) {
  auto answered = std::async(std::launch::async, [&] {
    HWND found = nullptr;
    automation::waitFor(
        [&] {
          for (const auto& w : automation::topLevelWindows(GetCurrentProcessId()))
            if (w.visible && w.className == "#32770" && w.text == caption) found = w.hwnd;
          return found != nullptr;
        },
        kDialogTimeoutMs);
    if (!found) return false;
    if (look) look(found);
    HWND pressed = automation::findChildByText(found, button);
    automation::waitFor([&] { return automation::isEnabled(pressed); }, kDialogTimeoutMs);
    automation::clickButton(pressed);
    return true;
  });
  show();
  return answered.get();
}

TEST(OpenFileDialog, ReturnsTheTypedPathThenBlanksAfterCancel) {
  const std::string chosen = (disk::temp_directory_path() / "corvane-chosen.BAK").string();
  std::string extension = "*.*", first, second;
  int typeCount = -1;
  bool readOnlyBoxShown = true;
  const auto show = [&](std::string& result) {
    return [&] { result = MFile::ShowOpenFileDialog("Open", "Backup files BAK|*.BAK", extension); };
  };

  ASSERT_TRUE(answerDialog("Open", "&Open", show(first), [&](HWND dialog) {
    HWND name = nullptr;
    for (const auto& c : automation::descendants(dialog)) {
      if (c.className == "ComboBox" && c.text == "Backup files BAK")
        typeCount = static_cast<int>(SendMessageA(c.hwnd, CB_GETCOUNT, 0, 0));
      if (c.className == "Button" && c.text == "Open as &read-only") readOnlyBoxShown = c.visible;
      if (!name && c.visible && c.className == "Edit") name = c.hwnd;
    }
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(chosen.c_str()));
  })) << "no dialog captioned Open appeared";
  EXPECT_EQ(".BAK", extension);
  EXPECT_EQ(".BAK", MFile::FileDialogRecord.defaultExtension);
  EXPECT_EQ(1, typeCount);  // shown as "Backup files BAK", the list ends after its one pair
  EXPECT_FALSE(readOnlyBoxShown);
  EXPECT_EQ(chosen, first.substr(0, first.find('\0')));
  EXPECT_EQ(MFile::kFileBufferLength, first.size());

  ASSERT_TRUE(answerDialog("Open", "Cancel", show(second)));
  EXPECT_EQ(std::string(259, ' ') + '\0', second);
}

TEST(FolderBrowserDialog, CancelKeepsBackupLocationOkStoresTheStartFolder) {
  const BOOL made = CreateDirectoryA("c:\\test", nullptr);  // where the browser starts
  BackupLocation = "D:\\kept";
  std::string prompt;
  bool makeNewFolder = false;
  ASSERT_TRUE(answerDialog("Quillsafe Folder", "Cancel", BrowseForBackupFolder, [&](HWND dialog) {
    for (const auto& c : automation::descendants(dialog)) {
      if (c.className == "Static" && c.visible && !c.text.empty() && prompt.empty())
        prompt = c.text;
      if (c.className == "Button" && c.visible && c.enabled && c.text == "&Make New Folder")
        makeNewFolder = true;
    }
  })) << "no dialog captioned Quillsafe Folder appeared";
  EXPECT_EQ("Select or create a new folder to backup to:", prompt);
  EXPECT_TRUE(makeNewFolder);
  EXPECT_EQ("D:\\kept", BackupLocation);

  ASSERT_TRUE(answerDialog("Quillsafe Folder", "OK", BrowseForBackupFolder));
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

TEST_F(FileSystemWin32, ExistenceSizeDateAndAttributes) {
  write("Notes.txt", std::string(1536, 'x'));
  write("secret.txt", "x", FILE_ATTRIBUTE_HIDDEN);
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

  // Each setter replaces the attributes before; Wine adds the archive bit to any file.
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
  for (const char* name : {"keep.txt", "drop.txt"}) write(name);
  app.msgBoxAnswers = {forms::vbNo, forms::vbYes};
  for (const std::string& name : Names{"keep.txt", "drop.txt", at("keep.txt")}) fs.Save(name);
  // FileReal is false for a full path: no question.
  EXPECT_EQ(boxes(forms::vbYesNo), "Overwrite File?|Overwrite File?");
  EXPECT_EQ(tree(scratch), Names{"keep.txt"});

  // Patterns take hidden files and no folders, without regard to case.
  for (const char* name : {"t\\a.tmp", "t\\c.txt"}) write(name);
  write("t\\b.TMP", "x", FILE_ATTRIBUTE_HIDDEN);
  disk::create_directory(at("t\\d.tmp"));
  fs.DeleteFile(at("t\\*.tmp"));
  EXPECT_EQ(tree(at("t")), (Names{"c.txt", "d.tmp"}));
  write("t\\ro.txt", "x", FILE_ATTRIBUTE_READONLY);
  for (const char* name : {"t\\ro.txt", "t\\*.none", "t\\missing.txt"}) fs.DeleteFile(at(name));
  EXPECT_EQ(boxes(), "Error deleting File|Error deleting File|Error deleting File");
  EXPECT_TRUE(exists("t\\ro.txt"));

  // CopyFile fails silently and replaces the file it lands on.
  write("big", std::string(5000, 'x'));
  fs.CopyFile(at("missing.txt"), at("c.txt"));
  fs.CopyFile(at("big"), at("nowhere\\c.txt"));
  EXPECT_FALSE(exists("c.txt") || exists("nowhere"));
  fs.CopyFile(at("big"), at("keep.txt"));
  EXPECT_EQ(files.fileLength(at("keep.txt")), 5000u);
  fs.MoveFile(at("big"), at("moved"));
  EXPECT_EQ(boxes(), "");
  EXPECT_FALSE(exists("big"));
  EXPECT_EQ(files.fileLength(at("moved")), 5000u);

  write("held.txt", std::string(10, 'x'));
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
  for (const char* name : {"t\\plain.txt", "keep.txt"}) write(name);
  write("t\\hid.txt", "x", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
  write("t\\sub\\deep\\f.txt", "x", FILE_ATTRIBUTE_READONLY);
  disk::create_directory(at("t\\empty"));
  std::string path = at("t");
  fs.CleanAllPath(path);
  EXPECT_EQ(path, at("t\\"));
  EXPECT_EQ(tree(scratch), (Names{"keep.txt", "t"}));

  // A relative folder, and the current folder itself however it is spelled.
  for (const std::string relative : {"t", ".", ".\\."}) {
    SetCurrentDirectoryA(at("t").c_str());
    for (const char* name : {"t\\x.txt", "t\\t\\y.txt"}) write(name);
    std::string here = relative;
    fs.CleanAllPath(here);
    EXPECT_EQ(tree(at("t")), (relative == "t" ? Names{"t", "x.txt"} : Names{})) << relative;
    SetCurrentDirectoryA(scratch.c_str());
  }

  // A file the listing skips (system) or that cannot go (held) ends the walk.
  write("t\\sub\\sys.dat", "x", FILE_ATTRIBUTE_SYSTEM);
  write("u\\held.txt");
  const platform::Handle held = holdOpen(at("u\\held.txt"));
  for (std::string path : Names{at("t"), at("u")})
    EXPECT_EQ(errorNumber([&] { fs.CleanAllPath(path); }), errors::kPathFileAccessError) << path;
  EXPECT_TRUE(exists("t\\sub\\sys.dat") && exists("u\\held.txt") && exists("keep.txt"));
}

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
  ASSERT_TRUE(regtest::put(kCU, path("ro"), "n", REG_DWORD, "\5\0\0\0"s));
  setSecurity(path("ro"), "D:P(A;;KR;;;WD)");
  EXPECT_TRUE(reg.KeyExists(kHKCU, path("ro")));
  EXPECT_EQ("child", reg.ListSubKey(kHKCU, path("ro"), 0));
  EXPECT_EQ("n", reg.ListSubValue(kHKCU, path("ro"), 0));
  EXPECT_FALSE(reg.DeleteValue(kHKCU, path("ro"), "n"));
  EXPECT_EQ(raised([&] { reg.SetValue(kHKCU, path("ro"), "n", 6); }), kSetValueError);
  EXPECT_EQ(raised([&] { reg.SetDWordValue(kHKCU, path("ro"), "n", 6); }), kSetValueError);
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
      EXPECT_EQ(raised([&] { reg.SetValue(kHKCU, path(), "r", value); }), kSetValueError);
      EXPECT_EQ(Stored(before), raw("r"));
    }
  EXPECT_EQ(raised([&] { reg.SetValue(kHKCU, path("missing"), "v", 1); }), kSetValueError);
  EXPECT_FALSE(keyPresent("missing"));

  // SetDWordValue writes four bytes whatever the value was; "t" holds text by now.
  EXPECT_TRUE(reg.SetDWordValue(kHKCU, path(), "t", -2));
  EXPECT_EQ(stored(REG_DWORD, "\xFE\xFF\xFF\xFF"s), raw("t"));
  EXPECT_EQ(raised([&] { reg.SetDWordValue(kHKCU, path("missing"), "v", 1); }), kSetValueError);
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
    EXPECT_EQ(raised([&] { reg.GetValue(kHKCU, path(), "b"); }, "Overflow"), errors::kOverflow);
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
