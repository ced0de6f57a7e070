// The helpers' texts and what real files cannot show (a copy cut short, a share).
#include <gtest/gtest.h>

#include <tuple>

#include "fakes/FakePlatform.h"
#include "ErrorNumber.h"
#include "forms/memory/MemoryApplication.h"
#include "helpers/MFile.h"
#include "helpers/WholeNumber.h"
#include "helpers/clsFileSystem.h"

namespace {

class FileSystemTest : public ::testing::Test {
 protected:
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
      {'P', [&](const std::string& s) { return fs.GetPath(s); }}};
  // Extension (E), base name with (B) and without (b) the path, file name (N), path (P).
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
      {'P', "f.txt", "\\"}, {'P', "", "\\"}};
  // clang-format on
  for (const auto& [method, text, expected] : cases)
    EXPECT_EQ(call.at(method)(text), expected) << method << " " << text;
  EXPECT_EQ(fs.GetFileName(std::string(40000, 'x') + "\\y.txt"), "y.txt");  // no 16-bit limit
  const std::pair<char, std::string> refused[] = {{'N', "f.txt"}, {'N', "\\f.txt"}, {'N', ""}};
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
}

TEST_F(FileSystemTest, MoveKeepsTheSourceOfAShortCopyFoldersAreMadeBelowAShare) {
  files.addFile("C:\\src.txt", 5000);
  files.limitCopiesTo(4096);
  fs.MoveFile("C:\\src.txt", "C:\\short.txt");
  ASSERT_EQ(app.shownMessageBoxes.size(), 1u);
  EXPECT_EQ(app.shownMessageBoxes[0].prompt, "Error moving File");
  EXPECT_EQ(files.fileLength("C:\\src.txt"), 5000u);

  files.addFolder("\\\\server\\share");
  fs.CreateDirectoryStruct("\\\\server\\share\\x\\y");
  EXPECT_TRUE(files.pathFileExists("\\\\server\\share\\x\\y"));
  EXPECT_EQ(app.doEventsCount, 2);
}

TEST_F(FileSystemTest, CleanAllPathRefusesRootsBeforeTouchingAnything) {
  files.addFile("C:\\f.txt");
  files.addFile("\\\\server\\share\\h.txt");
  for (const std::string root : {"", "C:", "C:\\", "c:/", "\\", "/", "\\\\server\\share",
                                 "\\\\server\\share\\", "\\\\server", "C:\\.", "C:\\d\\..",
                                 "C:\\..", "C:\\...", "..", "d\\..\\..", "\\\\?\\C:\\"}) {
    std::string path = root;
    EXPECT_EQ(errorNumber([&] { fs.CleanAllPath(path); }), errors::kInvalidProcedureCall) << root;
    EXPECT_EQ(path, root);
  }
  EXPECT_TRUE(files.pathFileExists("C:\\f.txt") &&
              files.pathFileExists("\\\\server\\share\\h.txt"));
  EXPECT_EQ(app.doEventsCount, 0);
}

TEST(WholeNumber, DecimalTextRoundsHalvesToEvenAnythingElseIsNone) {
  const std::pair<const char*, std::optional<std::int64_t>> cases[] = {
      {"250", 250},    {" -7 ", -7}, {"+007", 7}, {"2.5", 2},  {"3.5", 4},   {".5e1", 5},
      {"-1e3", -1000}, {"", {}},     {"  ", {}},  {"abc", {}}, {"12x", {}},  {"1e", {}},
      {"--1", {}},     {"0x1A", {}}, {"inf", {}}, {"\t5", {}}, {"1e19", {}}, {".", {}}};
  for (const auto& [text, number] : cases) EXPECT_EQ(wholeNumber(text), number) << text;
  // Exact, not through a double: nearer 3, and the last digit kept.
  EXPECT_EQ(wholeNumber("2.5000000000000001"), 3);
  EXPECT_EQ(wholeNumber("9007199254740993"), 9007199254740993);
}

TEST(SetDialogFilter, BarsBecomeNulsAndTheListEndsWithOne) {
  const std::string long40000(40000, 'd');
  const std::pair<std::string, std::string> cases[] = {
      {"Text|*.txt|All files|*.*", std::string("Text\0*.txt\0All files\0*.*\0", 25)},
      {"", std::string(1, '\0')},
      {long40000 + "|*.BAK", long40000 + std::string("\0*.BAK\0", 7)}};  // no 16-bit limit
  for (const auto& [filter, record] : cases) {
    MFile::SetDialogFilter(filter);
    EXPECT_EQ(record, MFile::FileDialogRecord.filter) << filter.substr(0, 30);
  }
}

}  // namespace
