#include "helpers/clsFileSystem.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <tuple>

#include "fakes/FakeFileSystem.h"
#include "forms/memory/MemoryApplication.h"
#include "helpers/RuntimeError.h"

namespace {

using Names = std::vector<std::string>;

class FileSystemTest : public ::testing::Test {
 protected:
  // Exactly one box since the last call: this text and buttons, no icon, the program's title.
  void expectOneBox(const std::string& prompt, unsigned style = forms::vbOKOnly) {
    ASSERT_EQ(app.shownMessageBoxes.size(), 1u) << prompt;
    EXPECT_EQ(app.shownMessageBoxes[0].prompt, prompt);
    EXPECT_EQ(app.shownMessageBoxes[0].style, style);
    EXPECT_EQ(app.shownMessageBoxes[0].title, "Corvane 16 bit Windows");
    app.shownMessageBoxes.clear();
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

  FakeFileSystem files;
  forms::MemoryApplication app;
  clsFileSystem fs{files, app};
};

TEST_F(FileSystemTest, StringMethodsOnTheEdgesOfTheirWindows) {
  const std::map<char, std::function<std::string(const std::string&)>> call = {
      {'E', [&](const std::string& s) { return fs.GetFileExtension(s); }},
      {'B', [&](const std::string& s) { return fs.GetFileBaseName(s, true); }},
      {'b', [&](const std::string& s) { return fs.GetFileBaseName(s, false); }},
      {'N', [&](const std::string& s) { return fs.GetFileName(s); }},
      {'P', [&](const std::string& s) { return fs.GetPath(s); }},
      {'R', [&](const std::string& s) { return fs.sRemoveLastChar(s); }},
      {'L', [&](const std::string& s) { return fs.LastChar(s); }}};
  // Extension (E), base name with (B) and without (b) the path, file name (N), path (P),
  // the text less its last character (R), the last character (L).
  // clang-format off
  const std::tuple<char, std::string, std::string> cases[] = {
      {'E', "report.bak", "bak"}, {'E', "a.tar.gz", "gz"}, {'E', "x.abcd", "abcd"},
      {'E', ".abcd", "abcd"}, {'E', "a.b", "b"}, {'E', ".a", "a"}, {'E', "x.abcde", "Unknown"},
      {'E', "name.", "Unknown"}, {'E', "README", "Unknown"}, {'E', "x", "Unknown"},
      {'E', "", "Unknown"}, {'E', "C:\\a.b\\cd", "b\\cd"},
      {'B', "C:\\d\\f.txt", "C:\\d\\f"}, {'b', "C:\\d\\f.txt", "f"},
      {'B', "C:\\d\\a.b.c", "C:\\d\\a.b"}, {'b', "C:\\d\\a.b.c", "a.b"},
      {'B', "C:\\d.x\\f", "C:\\d.x\\f"}, {'b', "C:\\d.x\\f", "f"},
      {'B', ".profile", ""}, {'b', ".profile", ".profile"}, {'b', "C:f.txt", "f"},
      {'B', "f.", "f"}, {'b', "f.", "f"}, {'b', "a", "a"}, {'b', "", ""},
      {'B', "C:\\d\\", "C:\\d\\"}, {'b', "C:\\d\\", ""},
      {'N', "C:\\d\\f.txt", "f.txt"}, {'N', "C:\\d\\", ""}, {'N', "a\\b", "b"},
      {'P', "C:\\d\\f.txt", "C:\\d\\"}, {'P', "C:\\d\\", "C:\\d\\"}, {'P', "\\f", "\\"},
      {'P', "f.txt", "\\"}, {'P', "", "\\"},
      {'R', "C:\\d\\", "C:\\d"}, {'R', "a", ""}, {'R', "", ""}, {'L', "abc", "c"}, {'L', "a", "a"}};
  // clang-format on
  for (const auto& [method, text, expected] : cases)
    EXPECT_EQ(call.at(method)(text), expected) << method << " " << text;
  EXPECT_EQ(fs.GetFileName(std::string(40000, 'x') + "\\y.txt"), "y.txt");  // no 16-bit limit
  const std::pair<char, std::string> refused[] = {
      {'N', "f.txt"}, {'N', "\\f.txt"}, {'N', ""}, {'L', ""}};
  for (const auto& r : refused)
    EXPECT_EQ(errorNumber([&] { call.at(r.first)(r.second); }), errors::kInvalidProcedureCall)
        << r.first << " " << r.second;
}

TEST_F(FileSystemTest, SizeInBytesBelowAKilobyteThenKilobytesToFourDecimals) {
  // 1056 and 1120 are 1.03125 and 1.09375 KB: ties, to the even digit below and above.
  // clang-format off
  const std::pair<std::uint64_t, std::string> cases[] = {
      {0, "0B"}, {1023, "1023B"}, {1024, "1KB"}, {1025, "1.001KB"}, {1536, "1.5KB"},
      {2047, "1.999KB"}, {1056, "1.0312KB"}, {1120, "1.0938KB"}, {123456789, "120563.2705KB"},
      {5368709121, "5242880.001KB"}};
  // clang-format on
  for (const auto& [length, text] : cases) {
    files.addFile("C:\\f.bin", length);
    EXPECT_EQ(fs.GetFileSize("C:\\f.bin"), text) << length;
  }
  EXPECT_EQ(fs.GetFileSize("C:\\missing.txt"), "0B");
  files.setDecimalSeparator(",");
  files.addFile("C:\\f.bin", 1536);
  EXPECT_EQ(fs.GetFileSize("C:\\f.bin"), "1,5KB");
}

TEST_F(FileSystemTest, AttributesSingleBitsByNameOthersAsNumbers) {
  const std::pair<std::uint32_t, std::string> cases[] = {
      {0, "Normal"},   {1, "ReadOnly"}, {2, "Hidden"}, {4, "System"}, {8, "Volume"},
      {32, "Archive"}, {64, "Alias"},   {33, "33"},    {3, "3"}};
  for (const auto& [bits, text] : cases) {
    files.addFile("C:\\f", 1, bits);
    EXPECT_EQ(fs.GetAttrib("C:\\f"), text) << bits;
  }
  files.addFolder("C:\\d");
  files.addFolder("C:\\h", platform::kAttrHidden);
  EXPECT_EQ(fs.GetAttrib("C:\\d"), "Directory");
  EXPECT_EQ(fs.GetAttrib("C:\\h"), "18");
  EXPECT_EQ(fs.GetAttrib("C:\\missing"), "Unknown");

  // Each setter replaces every attribute.
  files.addFile("C:\\f", 1, platform::kAttrArchive | platform::kAttrReadOnly);
  // clang-format off
  const std::pair<void (clsFileSystem::*)(const std::string&), std::string> setters[] = {
      {&clsFileSystem::SetHidden, "Hidden"}, {&clsFileSystem::SetSystem, "System"},
      {&clsFileSystem::SetReadOnly, "ReadOnly"}, {&clsFileSystem::SetNormal, "Normal"}};
  // clang-format on
  for (const auto& [set, text] : setters) {
    (fs.*set)("C:\\f");
    EXPECT_EQ(fs.GetAttrib("C:\\f"), text);
  }
}

using FileSystemFiles = FileSystemTest;

TEST_F(FileSystemFiles, FileRealOnlyForABareNameSpelledAsStored) {
  files.setCurrentFolder("C:\\work");
  files.addFile("C:\\work\\Notes.txt", 5);
  files.addFile("C:\\work\\secret.txt", 5, platform::kAttrHidden);
  files.addFolder("C:\\work\\sub");
  EXPECT_TRUE(fs.FileReal("Notes.txt"));
  for (const std::string no :
       {"notes.txt", "C:\\work\\Notes.txt", "*.txt", "secret.txt", "sub", ""})
    EXPECT_FALSE(fs.FileReal(no)) << no;
  EXPECT_TRUE(fs.FileExist("C:\\work\\Notes.txt") && fs.FileExist("C:\\work\\sub"));
  EXPECT_FALSE(fs.FileExist(""));
}

TEST_F(FileSystemFiles, SaveAsksBeforeDeletingDeleteTakesPatternsAndReportsFailure) {
  files.addFile("C:\\keep.txt");
  files.addFile("C:\\drop.txt");
  app.msgBoxAnswers = {forms::vbNo, forms::vbYes};
  fs.Save("keep.txt");
  expectOneBox("Overwrite File?", forms::vbYesNo);
  EXPECT_TRUE(files.exists("C:\\keep.txt"));
  fs.Save("drop.txt");
  expectOneBox("Overwrite File?", forms::vbYesNo);
  EXPECT_FALSE(files.exists("C:\\drop.txt"));
  fs.Save("C:\\keep.txt");  // FileReal is false for a full path: no question
  EXPECT_TRUE(app.shownMessageBoxes.empty());

  files.addFile("C:\\t\\a.tmp");
  files.addFile("C:\\t\\b.TMP");
  files.addFile("C:\\t\\c.txt");
  fs.DeleteFile("C:\\t\\*.tmp");
  EXPECT_EQ(files.tree("C:\\t"), Names{"C:\\t\\c.txt"});
  EXPECT_TRUE(app.shownMessageBoxes.empty());

  files.addFile("C:\\t\\ro.txt", 1, platform::kAttrReadOnly);
  fs.DeleteFile("C:\\t\\ro.txt");
  expectOneBox("Error deleting File");
  EXPECT_TRUE(files.exists("C:\\t\\ro.txt"));
  fs.DeleteFile("C:\\t\\*.none");
  expectOneBox("Error deleting File");
}

TEST_F(FileSystemFiles, CopyFailsSilentlyMoveDeletesTheSourceOnlyAfterAFullCopy) {
  files.addFile("C:\\src.txt", 5000);
  files.addFile("C:\\dst.txt", 99);
  fs.CopyFile("C:\\missing.txt", "C:\\c.txt");
  fs.CopyFile("C:\\src.txt", "C:\\nowhere\\c.txt");
  EXPECT_FALSE(files.exists("C:\\c.txt") || files.exists("C:\\nowhere"));
  fs.CopyFile("C:\\src.txt", "C:\\dst.txt");
  EXPECT_EQ(files.fileLength("C:\\dst.txt"), 5000u);
  fs.MoveFile("C:\\src.txt", "C:\\moved.txt");
  EXPECT_TRUE(app.shownMessageBoxes.empty());
  EXPECT_FALSE(files.exists("C:\\src.txt"));
  EXPECT_EQ(files.fileLength("C:\\moved.txt"), 5000u);

  files.addFile("C:\\held.txt", 10);
  files.lock("C:\\held.txt");
  files.limitCopiesTo(4096);
  const std::pair<std::string, std::string> failures[] = {
      {"C:\\dst.txt", "C:\\short.txt"},       // the copy claims success but is short
      {"C:\\dst.txt", "C:\\missing\\x.txt"},  // no such folder
      {"C:\\dst.txt", "C:\\DST.TXT"},         // onto itself
      {"C:\\held.txt", "C:\\copy.txt"}};      // copied, but the source cannot go
  for (const auto& [from, to] : failures) {
    fs.MoveFile(from, to);
    expectOneBox("Error moving File");
    EXPECT_TRUE(files.exists(from)) << to;
  }
  EXPECT_EQ(files.fileLength("C:\\dst.txt"), 5000u);
}

using FileSystemFolders = FileSystemTest;

TEST_F(FileSystemFolders, CreateDirectoryStructMakeDIRAndRemoveDIR) {
  fs.CreateDirectoryStruct("C:\\a\\b\\c");
  EXPECT_EQ(files.tree("C:\\a"), (Names{"C:\\a\\b", "C:\\a\\b\\c"}));
  EXPECT_EQ(app.doEventsCount, 3);  // once per folder
  fs.CreateDirectoryStruct("C:\\a\\b\\c");
  EXPECT_EQ(app.doEventsCount, 3);  // already there: returns before walking

  fs.CreateDirectoryStruct("C:\\x\\\\y\\");  // doubled and trailing separators
  EXPECT_EQ(files.tree("C:\\x"), Names{"C:\\x\\y"});
  files.addFolder("\\\\server\\share");
  fs.CreateDirectoryStruct("\\\\server\\share\\x\\y");
  EXPECT_EQ(files.tree("\\\\server\\share"),
            (Names{"\\\\server\\share\\x", "\\\\server\\share\\x\\y"}));

  files.addFile("C:\\f.txt");
  for (const std::string bad : {"C:\\f.txt\\sub\\deeper", "Q:\\a"})
    EXPECT_EQ(errorNumber([&] { fs.CreateDirectoryStruct(bad); }), errors::kPathFileAccessError);

  // MakeDIR ignores failure, RemoveDIR reports it.
  fs.MakeDIR("C:\\new");
  fs.MakeDIR("C:\\no\\parent");
  EXPECT_TRUE(files.exists("C:\\new"));
  EXPECT_FALSE(files.exists("C:\\no"));
  files.addFile("C:\\full\\f.txt");
  fs.RemoveDIR("C:\\full");
  expectOneBox("Error removing Directory");
  EXPECT_TRUE(files.exists("C:\\full"));
  fs.RemoveDIR("C:\\new");
  EXPECT_FALSE(files.exists("C:\\new"));
}

using FileSystemCleanAllPath = FileSystemTest;

TEST_F(FileSystemCleanAllPath, EmptiesTheTreeKeepsTheFolderAndCompletesThePathOrFails) {
  files.addFile("C:\\t\\plain.txt", 1);
  files.addFile("C:\\t\\ro.txt", 1, platform::kAttrReadOnly);
  files.addFile("C:\\t\\hid.txt", 1, platform::kAttrHidden | platform::kAttrReadOnly);
  files.addFile("C:\\t\\sub\\deep\\f.txt", 1, platform::kAttrReadOnly);
  files.addFolder("C:\\t\\empty");
  files.addFile("C:\\keep.txt");
  // More subfolders than a 16-bit counter takes.
  for (int i = 0; i < 33000; ++i) files.addFolder("C:\\t\\many\\" + std::to_string(i));
  std::string path = "C:\\t";
  fs.CleanAllPath(path);
  EXPECT_EQ(path, "C:\\t\\");
  EXPECT_TRUE(files.tree("C:\\t").empty());
  EXPECT_TRUE(files.exists("C:\\t") && files.exists("C:\\keep.txt"));

  // A file that stays ends the walk with an error.
  files.addFile("C:\\t\\sub\\sys.dat", 1, platform::kAttrSystem);
  files.addFile("C:\\u\\held.txt");
  files.lock("C:\\u\\held.txt");
  for (std::string path : {"C:\\t\\", "C:\\u"})
    EXPECT_EQ(errorNumber([&] { fs.CleanAllPath(path); }), errors::kPathFileAccessError) << path;
  EXPECT_TRUE(files.exists("C:\\t\\sub\\sys.dat"));
}

TEST_F(FileSystemCleanAllPath, RefusesRootsBeforeTouchingAnything) {
  files.addFile("C:\\f.txt");
  files.addFile("C:\\d\\g.txt");
  files.addFile("\\\\server\\share\\h.txt");
  const auto before = files.tree("C:\\");
  for (const std::string root :
       {"", "C:", "C:\\", "c:/", "\\", "/", "\\\\server\\share", "\\\\server\\share\\",
        "\\\\server", "C:\\.", "C:\\d\\..", "C:\\..", "C:\\...", "..", "d\\..\\..",
        "\\\\?\\C:\\"}) {
    std::string path = root;
    EXPECT_EQ(errorNumber([&] { fs.CleanAllPath(path); }), errors::kInvalidProcedureCall) << root;
    EXPECT_EQ(path, root);
  }
  EXPECT_EQ(files.tree("C:\\"), before);
  EXPECT_TRUE(files.exists("\\\\server\\share\\h.txt"));
  EXPECT_EQ(app.doEventsCount, 0);

  std::string relative = "d";  // a folder below the current one is fine
  fs.CleanAllPath(relative);
  EXPECT_FALSE(files.exists("C:\\d\\g.txt"));
  // So is the current folder itself, however it is spelled.
  for (const std::string here : {".", ".\\", ".\\."}) {
    files.setCurrentFolder("C:\\w");
    files.addFile("C:\\w\\x.txt");
    std::string path = here;
    fs.CleanAllPath(path);
    EXPECT_FALSE(files.exists("C:\\w\\x.txt")) << here;
    EXPECT_TRUE(files.exists("C:\\f.txt")) << here;
  }
}

}  // namespace
