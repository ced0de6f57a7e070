#include "helpers/clsFileSystem.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "fakes/FakeFileSystem.h"
#include "helpers/RuntimeError.h"

namespace {

// Records message boxes and yields; answers boxes from a queue (OK when empty).
class RecordingApplication : public forms::Application {
 public:
  struct Box {
    std::string prompt;
    unsigned style;
    std::string title;
  };
  std::vector<Box> boxes;
  std::deque<int> answers;
  int yields = 0;

  std::unique_ptr<forms::FormView> createView(forms::Form&) override { return nullptr; }
  int msgBox(const std::string& prompt, unsigned style, const std::string& titleText) override {
    boxes.push_back({prompt, style, titleText});
    if (answers.empty()) return forms::vbOK;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void doEvents() override { ++yields; }
  void waitForMessages(int) override {}
  std::uint64_t milliseconds() override { return 0; }
  forms::Twips screenWidth() const override { return 0; }
  forms::Twips screenHeight() const override { return 0; }
  std::uintptr_t windowHandle(const forms::Form&) const override { return 0; }
  [[noreturn]] void endProcess() override { throw forms::ProcessEnded{}; }
  int run() override { return 0; }
};

class FileSystemTest : public ::testing::Test {
 protected:
  // One box with this text, OK or Yes/No only, no icon, the application's title.
  void expectOneBox(const std::string& prompt, unsigned style = forms::vbOKOnly) {
    ASSERT_EQ(app.boxes.size(), 1u);
    EXPECT_EQ(app.boxes[0].prompt, prompt);
    EXPECT_EQ(app.boxes[0].style, style);
    EXPECT_EQ(app.boxes[0].title, "");
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
  RecordingApplication app;
  clsFileSystem fs{files, app};
};

using FileSystemStrings = FileSystemTest;

TEST_F(FileSystemStrings, ExtensionIsUpToFourCharactersAfterADotNearTheEnd) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"report.bak", "bak"}, {"a.tar.gz", "gz"},        {"x.abcd", "abcd"},
      {".abcd", "abcd"},     {"a.b", "b"},              {".a", "a"},
      {"README", "Unknown"}, {"name.", "Unknown"},      {"archive.jpeg2", "Unknown"},
      {"", "Unknown"},       {"x", "Unknown"},          {".", "Unknown"},
      {"C:\\a.b\\cd", "b\\cd"}};
  for (const auto& [name, extension] : cases) {
    EXPECT_EQ(fs.GetFileExtension(name), extension) << name;
  }
}

TEST_F(FileSystemStrings, BaseNameWithAndWithoutThePath) {
  struct Case {
    std::string name;
    bool includePath;
    std::string base;
  };
  const std::vector<Case> cases = {
      {"C:\\d\\f.txt", true, "C:\\d\\f"}, {"C:\\d\\f.txt", false, "f"},
      {"C:\\d\\a.b.c", true, "C:\\d\\a.b"}, {"C:\\d\\a.b.c", false, "a.b"},
      {"C:\\d\\f", true, "C:\\d\\f"},     {"C:\\d\\f", false, "f"},
      {"C:\\d.x\\f", true, "C:\\d.x\\f"}, {"C:\\d.x\\f", false, "f"},
      {".profile", true, ""},             {".profile", false, ".profile"},
      {"C:f.txt", false, "f"},            {"f.", false, "f"},
      {"a", false, "a"},                  {"C:\\d\\", false, ""},
      {"", false, ""}};
  for (const auto& c : cases) {
    EXPECT_EQ(fs.GetFileBaseName(c.name, c.includePath), c.base) << c.name << " " << c.includePath;
  }
  EXPECT_EQ(fs.GetFileBaseName("C:\\d\\f.txt"), "f");
}

TEST_F(FileSystemStrings, FileNameNeedsABackslashAfterTheFirstCharacter) {
  EXPECT_EQ(fs.GetFileName("C:\\d\\f.txt"), "f.txt");
  EXPECT_EQ(fs.GetFileName("C:\\d\\"), "");
  EXPECT_EQ(fs.GetFileName("a\\b"), "b");
  for (const std::string bad : {"f.txt", "\\f.txt", ""}) {
    EXPECT_EQ(errorNumber([&] { fs.GetFileName(bad); }), errors::kInvalidProcedureCall) << bad;
  }
  EXPECT_EQ(fs.GetFileName(std::string(40000, 'x') + "\\y.txt"), "y.txt");
}

TEST_F(FileSystemStrings, PathKeepsTheLastBackslash) {
  EXPECT_EQ(fs.GetPath("C:\\d\\f.txt"), "C:\\d\\");
  EXPECT_EQ(fs.GetPath("C:\\d\\"), "C:\\d\\");
  EXPECT_EQ(fs.GetPath("\\f"), "\\");
  EXPECT_EQ(fs.GetPath("f.txt"), "\\");
  EXPECT_EQ(fs.GetPath(""), "\\");
}

TEST_F(FileSystemStrings, LastCharacterTakenOrRead) {
  EXPECT_EQ(fs.sRemoveLastChar("C:\\d\\"), "C:\\d");
  EXPECT_EQ(fs.sRemoveLastChar("a"), "");
  EXPECT_EQ(fs.sRemoveLastChar(""), "");
  EXPECT_EQ(fs.LastChar("abc"), "c");
  EXPECT_EQ(fs.LastChar("a"), "a");
  EXPECT_EQ(errorNumber([&] { fs.LastChar(""); }), errors::kInvalidProcedureCall);
}

using FileSystemSize = FileSystemTest;

TEST_F(FileSystemSize, BytesBelowAKilobyteThenKilobytesToFourDecimals) {
  const std::vector<std::pair<std::uint64_t, std::string>> cases = {
      {0, "0B"},
      {512, "512B"},
      {1023, "1023B"},
      {1024, "1KB"},
      {1025, "1.001KB"},
      {1536, "1.5KB"},
      {1056, "1.0312KB"},  // 1.03125: a tie, to the even digit below
      {1120, "1.0938KB"},  // 1.09375: a tie, to the even digit above
      {2047, "1.999KB"},
      {123456789, "120563.2705KB"},
      {5368709121, "5242880.001KB"}};
  for (const auto& [length, text] : cases) {
    files.addFile("C:\\f.bin", length);
    EXPECT_EQ(fs.GetFileSize("C:\\f.bin"), text) << length;
  }
}

TEST_F(FileSystemSize, UsesTheUsersDecimalSeparator) {
  files.setDecimalSeparator(",");
  files.addFile("C:\\a", 1536);
  files.addFile("C:\\b", 2048);
  EXPECT_EQ(fs.GetFileSize("C:\\a"), "1,5KB");
  EXPECT_EQ(fs.GetFileSize("C:\\b"), "2KB");
}

TEST_F(FileSystemSize, UnreadableLengthGivesZeroBytes) {
  EXPECT_EQ(fs.GetFileSize("C:\\missing.txt"), "0B");
  EXPECT_EQ(fs.GetFileSize(""), "0B");
}

using FileSystemAttributes = FileSystemTest;

TEST_F(FileSystemAttributes, SingleBitsByNameOthersAsNumbers) {
  const std::vector<std::pair<std::uint32_t, std::string>> cases = {
      {0, "Normal"}, {1, "ReadOnly"},   {2, "Hidden"},  {4, "System"},
      {8, "Volume"}, {32, "Archive"},   {64, "Alias"},  {33, "33"},
      {3, "3"},      {34, "34"}};
  for (const auto& [bits, text] : cases) {
    files.addFile("C:\\f", 1, bits);
    EXPECT_EQ(fs.GetAttrib("C:\\f"), text) << bits;
  }
  files.addFolder("C:\\d");
  EXPECT_EQ(fs.GetAttrib("C:\\d"), "Directory");
  files.addFolder("C:\\h", platform::kAttrHidden);
  EXPECT_EQ(fs.GetAttrib("C:\\h"), "18");
  EXPECT_EQ(fs.GetAttrib("C:\\missing"), "Unknown");
}

TEST_F(FileSystemAttributes, SettersReplaceEveryAttribute) {
  files.addFile("C:\\f", 1, platform::kAttrArchive | platform::kAttrReadOnly);
  fs.SetHidden("C:\\f");
  EXPECT_EQ(fs.GetAttrib("C:\\f"), "Hidden");
  fs.SetSystem("C:\\f");
  EXPECT_EQ(fs.GetAttrib("C:\\f"), "System");
  fs.SetReadOnly("C:\\f");
  EXPECT_EQ(fs.GetAttrib("C:\\f"), "ReadOnly");
  fs.SetNormal("C:\\f");
  EXPECT_EQ(fs.GetAttrib("C:\\f"), "Normal");
  fs.SetHidden("C:\\missing");  // ignored
  EXPECT_TRUE(app.boxes.empty());
}

using FileSystemFiles = FileSystemTest;

TEST_F(FileSystemFiles, FileRealOnlyForABareNameSpelledAsStored) {
  files.setCurrentFolder("C:\\work");
  files.addFile("C:\\work\\Notes.txt", 5);
  files.addFile("C:\\work\\secret.txt", 5, platform::kAttrHidden);
  files.addFolder("C:\\work\\sub");
  EXPECT_TRUE(fs.FileReal("Notes.txt"));
  EXPECT_FALSE(fs.FileReal("notes.txt"));
  EXPECT_FALSE(fs.FileReal("C:\\work\\Notes.txt"));
  EXPECT_FALSE(fs.FileReal("*.txt"));
  EXPECT_FALSE(fs.FileReal("secret.txt"));
  EXPECT_FALSE(fs.FileReal("sub"));
  EXPECT_FALSE(fs.FileReal(""));
  EXPECT_TRUE(fs.FileExist("C:\\work\\Notes.txt"));
  EXPECT_TRUE(fs.FileExist("C:\\work\\sub"));
  EXPECT_FALSE(fs.FileExist(""));
}

TEST_F(FileSystemFiles, SaveAsksBeforeDeletingAndKeepsTheFileOnNo) {
  files.addFile("C:\\keep.txt");
  files.addFile("C:\\drop.txt");
  app.answers = {forms::vbNo};
  fs.Save("keep.txt");
  expectOneBox("Overwrite File?", forms::vbYesNo);
  EXPECT_TRUE(files.exists("C:\\keep.txt"));

  app.boxes.clear();
  app.answers = {forms::vbYes};
  fs.Save("drop.txt");
  expectOneBox("Overwrite File?", forms::vbYesNo);
  EXPECT_FALSE(files.exists("C:\\drop.txt"));

  app.boxes.clear();
  fs.Save("C:\\keep.txt");  // FileReal is false for a full path: no question
  EXPECT_TRUE(app.boxes.empty());
}

TEST_F(FileSystemFiles, DeleteByNameOrPatternAndReportFailure) {
  files.addFile("C:\\t\\a.tmp");
  files.addFile("C:\\t\\b.TMP");
  files.addFile("C:\\t\\c.txt");
  fs.DeleteFile("C:\\t\\*.tmp");
  EXPECT_EQ(files.tree("C:\\t"), std::vector<std::string>{"C:\\t\\c.txt"});
  EXPECT_TRUE(app.boxes.empty());

  files.addFile("C:\\t\\ro.txt", 1, platform::kAttrReadOnly);
  fs.DeleteFile("C:\\t\\ro.txt");
  expectOneBox("Error deleting File");
  EXPECT_TRUE(files.exists("C:\\t\\ro.txt"));

  app.boxes.clear();
  fs.DeleteFile("C:\\t\\*.none");
  expectOneBox("Error deleting File");
}

TEST_F(FileSystemFiles, CopyReplacesSilentlyAndFailsSilently) {
  files.addFile("C:\\a.txt", 10);
  files.addFile("C:\\b.txt", 99);
  fs.CopyFile("C:\\a.txt", "C:\\b.txt");
  EXPECT_EQ(files.entry("C:\\b.txt")->size, 10u);
  fs.CopyFile("C:\\a.txt", "C:\\nowhere\\b.txt");
  fs.CopyFile("C:\\missing.txt", "C:\\c.txt");
  EXPECT_FALSE(files.exists("C:\\c.txt"));
  EXPECT_TRUE(app.boxes.empty());
}

TEST_F(FileSystemFiles, MoveDeletesTheSourceOnlyAfterAFullCopy) {
  files.addFile("C:\\src.txt", 5000);
  fs.MoveFile("C:\\src.txt", "C:\\dst.txt");
  EXPECT_TRUE(app.boxes.empty());
  EXPECT_FALSE(files.exists("C:\\src.txt"));
  EXPECT_EQ(files.entry("C:\\dst.txt")->size, 5000u);
}

TEST_F(FileSystemFiles, MoveKeepsTheSourceWhenAnythingFails) {
  files.addFile("C:\\src.txt", 5000);
  files.limitCopiesTo(4096);
  fs.MoveFile("C:\\src.txt", "C:\\short.txt");  // the copy claims success but is short
  expectOneBox("Error moving File");
  EXPECT_TRUE(files.exists("C:\\src.txt"));

  FakeFileSystem other;
  RecordingApplication otherApp;
  clsFileSystem move(other, otherApp);
  other.addFile("C:\\src.txt", 10);
  other.addFile("C:\\held.txt", 10);
  other.lock("C:\\held.txt");
  move.MoveFile("C:\\src.txt", "C:\\missing\\dst.txt");
  move.MoveFile("C:\\src.txt", "C:\\SRC.TXT");
  move.MoveFile("C:\\held.txt", "C:\\copy.txt");  // copied, but the source cannot go
  EXPECT_EQ(otherApp.boxes.size(), 3u);
  EXPECT_TRUE(other.exists("C:\\src.txt"));
  EXPECT_TRUE(other.exists("C:\\held.txt"));
  EXPECT_TRUE(other.exists("C:\\copy.txt"));
}

using FileSystemFolders = FileSystemTest;

TEST_F(FileSystemFolders, MakeIgnoresFailureRemoveReportsIt) {
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
  fs.CloseAllFiles();
  EXPECT_EQ(files.closeAllFilesCalls(), 1);
}

TEST_F(FileSystemFolders, CreateDirectoryStructMakesEachMissingFolderOnce) {
  fs.CreateDirectoryStruct("C:\\a\\b\\c");
  EXPECT_EQ(files.tree("C:\\a"), (std::vector<std::string>{"C:\\a\\b", "C:\\a\\b\\c"}));
  EXPECT_EQ(app.yields, 3);  // once per folder
  fs.CreateDirectoryStruct("C:\\a\\b\\c");
  EXPECT_EQ(app.yields, 3);  // already there: returns before walking

  fs.CreateDirectoryStruct("C:\\x\\\\y\\");  // doubled and trailing separators
  EXPECT_EQ(files.tree("C:\\x"), std::vector<std::string>{"C:\\x\\y"});
  const std::string longName(40000, 'n');
  fs.CreateDirectoryStruct("C:\\a\\" + longName + "\\z");
  EXPECT_TRUE(files.exists("C:\\a\\" + longName + "\\z"));
}

TEST_F(FileSystemFolders, CreateDirectoryStructStartsBelowANetworkShare) {
  files.addFolder("\\\\server\\share");
  fs.CreateDirectoryStruct("\\\\server\\share\\x\\y");
  EXPECT_EQ(files.tree("\\\\server\\share"),
            (std::vector<std::string>{"\\\\server\\share\\x", "\\\\server\\share\\x\\y"}));
}

TEST_F(FileSystemFolders, CreateDirectoryStructPassesFailuresOn) {
  files.addFile("C:\\f.txt");
  EXPECT_EQ(errorNumber([&] { fs.CreateDirectoryStruct("C:\\f.txt\\sub\\deeper"); }),
            errors::kPathFileAccessError);
  EXPECT_EQ(errorNumber([&] { fs.CreateDirectoryStruct("Q:\\a"); }), errors::kPathFileAccessError);
}

using FileSystemCleanAllPath = FileSystemTest;

TEST_F(FileSystemCleanAllPath, EmptiesTheTreeKeepsTheFolderAndCompletesThePath) {
  files.addFile("C:\\t\\plain.txt", 1);
  files.addFile("C:\\t\\ro.txt", 1, platform::kAttrReadOnly);
  files.addFile("C:\\t\\hid.txt", 1, platform::kAttrHidden | platform::kAttrReadOnly);
  files.addFile("C:\\t\\sub\\deep\\f.txt", 1, platform::kAttrReadOnly);
  files.addFolder("C:\\t\\empty");
  files.addFile("C:\\keep.txt");
  std::string path = "C:\\t";
  fs.CleanAllPath(path);
  EXPECT_EQ(path, "C:\\t\\");
  EXPECT_TRUE(files.tree("C:\\t").empty());
  EXPECT_TRUE(files.exists("C:\\t"));
  EXPECT_TRUE(files.exists("C:\\keep.txt"));
}

TEST_F(FileSystemCleanAllPath, AFileThatStaysEndsTheWalkWithAnError) {
  files.addFile("C:\\t\\sub\\sys.dat", 1, platform::kAttrSystem);
  std::string path = "C:\\t\\";
  EXPECT_EQ(errorNumber([&] { fs.CleanAllPath(path); }), errors::kPathFileAccessError);
  EXPECT_TRUE(files.exists("C:\\t\\sub\\sys.dat"));

  files.addFile("C:\\u\\held.txt");
  files.lock("C:\\u\\held.txt");
  std::string other = "C:\\u";
  EXPECT_EQ(errorNumber([&] { fs.CleanAllPath(other); }), errors::kPathFileAccessError);
}

TEST_F(FileSystemCleanAllPath, RefusesRootsBeforeTouchingAnything) {
  files.addFile("C:\\f.txt");
  files.addFile("C:\\d\\g.txt");
  files.addFile("\\\\server\\share\\h.txt");
  const auto before = files.tree("C:\\");
  for (const std::string root :
       {"", "C:", "C:\\", "c:/", "\\", "/", "\\\\server\\share", "\\\\server\\share\\",
        "\\\\server", "C:\\.", "C:\\d\\..", "C:\\..", "C:\\...", ".", ".\\", "\\\\?\\C:\\"}) {
    std::string path = root;
    EXPECT_EQ(errorNumber([&] { fs.CleanAllPath(path); }), errors::kInvalidProcedureCall) << root;
    EXPECT_EQ(path, root);
  }
  EXPECT_EQ(files.tree("C:\\"), before);
  EXPECT_TRUE(files.exists("\\\\server\\share\\h.txt"));
  EXPECT_EQ(app.yields, 0);

  std::string relative = "d";  // a folder below the current one is fine
  fs.CleanAllPath(relative);
  EXPECT_FALSE(files.exists("C:\\d\\g.txt"));
}

TEST_F(FileSystemCleanAllPath, HandlesMoreSubfoldersThanASixteenBitCounter) {
  for (int i = 0; i < 33000; ++i) files.addFolder("C:\\t\\" + std::to_string(i));
  std::string path = "C:\\t";
  fs.CleanAllPath(path);
  EXPECT_TRUE(files.tree("C:\\t").empty());
}

}  // namespace

namespace {

// The wizard's CD test relies on these answers of the fake.
TEST(FakeFileSystem, FindsFoldersWithoutRegardToCase) {
  FakeFileSystem files;
  files.addFolder("E:\\i386");
  EXPECT_TRUE(files.pathFileExists("E:\\i386"));
  EXPECT_TRUE(files.pathFileExists("e:\\I386\\"));
  EXPECT_TRUE(files.pathFileExists("E:\\"));
  EXPECT_FALSE(files.pathFileExists("D:\\i386"));
  EXPECT_FALSE(files.isFile("E:\\i386"));
  files.addFile("E:\\i386\\config.nt_", 10);
  EXPECT_TRUE(files.isFile("E:\\I386\\CONFIG.NT_"));
  EXPECT_FALSE(files.pathFileExists("E:\\i386\\config.nt_\\"));
}

}  // namespace
