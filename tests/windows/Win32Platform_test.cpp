// The wizard's platform calls against Wine's real drives, processes and files.
// The test prefix has CD-ROM drives D: (disc "AUDIOCD", no i386 folder) and
// E: (disc "WXPCD" with the compressed files in i386).
#include <gtest/gtest.h>

#include <fstream>

#include "app/Module1.h"
#include "app/frmBackup.h"
#include "e2e/E2eSupport.h"
#include "forms/memory/MemoryApplication.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Platform.h"

namespace {

struct RealSystem {
  platform::Win32Drives drives;
  platform::Win32FileSystem files;
  platform::Win32Processes processes;
  platform::Win32Shell shell;
  platform::Platform platform{drives, files, processes, shell};
};

// A scratch folder of the test's own, removed with everything in it.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& name) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + name;
    removeTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~ScratchFolder() { removeTree(path_); }
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

  static void removeTree(const std::string& dir) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        const std::string full = dir + "\\" + name;
        SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
          removeTree(full);
        else
          DeleteFileA(full.c_str());
      } while (FindNextFileA(h, &fd));
      FindClose(h);
    }
    RemoveDirectoryA(dir.c_str());
  }

 private:
  std::string path_;
};

std::string readText(const std::string& path) { return e2e::readFile(path); }

TEST(Win32Drives, ListsTheSimulatedCdRomDrivesWithTheirLabels) {
  platform::Win32Drives drives;
  const std::uint32_t needed = drives.getLogicalDriveStrings(0, nullptr);
  ASSERT_GT(needed, 8u);
  std::string buffer(needed, '\0');
  const std::uint32_t written = drives.getLogicalDriveStrings(needed, &buffer[0]);
  EXPECT_EQ(written + 1, needed) << "the size asked for includes the final NUL";
  buffer.resize(written);
  EXPECT_NE(buffer.find(std::string("D:\\\0E:\\\0", 8)), std::string::npos);
  EXPECT_EQ(drives.getDriveType("D:\\"), platform::kDriveCdRom);
  EXPECT_EQ(drives.getDriveType("E:\\"), platform::kDriveCdRom);
  EXPECT_EQ(drives.getDriveType("C:\\"), platform::kDriveFixed);
  EXPECT_EQ(drives.getVolumeLabel("E:\\"), std::optional<std::string>("WXPCD"));
  EXPECT_EQ(drives.getVolumeLabel("D:\\"), std::optional<std::string>("AUDIOCD"));
  EXPECT_EQ(drives.getVolumeLabel("Q:\\"), std::nullopt) << "no such drive";
}

TEST(Win32Processes, StartsTheNamedProgramWithTheExactCommandLineAndShowState) {
  ScratchFolder dir("corva-start");
  const std::string recorder = e2e::windowsPath(e2e::env("CORVA_RECORDER"));
  const std::string log = dir / "record.log";
  SetEnvironmentVariableA("CORVA_RECORD", log.c_str());
  platform::Win32Processes processes;
  const std::string line = "expand E:\\i386\\config.nt_ c:\\windows\\system32\\CONFIG.NT";
  auto p = processes.start(recorder, line, 2);
  ASSERT_TRUE(p);
  ASSERT_TRUE(automation::waitFor([&] { return p->exitCode().has_value(); }, 10000));
  EXPECT_EQ(*p->exitCode(), 0u);
  SetEnvironmentVariableA("CORVA_RECORD", nullptr);
  EXPECT_EQ(readText(log), line + "|2|" + recorder + "\n");
  EXPECT_EQ(processes.start(dir / "missing.exe", "missing", 2), nullptr);
}

TEST(Win32Processes, SystemExpandWritesTheTargetAndReportsAMissingSource) {
  ScratchFolder dir("corva-expand");
  platform::Win32Processes processes;
  const std::string sys = processes.systemDirectory();
  ASSERT_FALSE(sys.empty());
  EXPECT_NE(sys.back(), '\\');
  const std::string expand = sys + "\\expand.exe";
  auto good = processes.start(expand, "expand E:\\i386\\config.nt_ " + (dir / "CONFIG.NT"), 2);
  auto bad = processes.start(expand, "expand E:\\i386\\nothing.nt_ " + (dir / "NOTHING.NT"), 2);
  ASSERT_TRUE(good && bad);
  ASSERT_TRUE(automation::waitFor(
      [&] { return good->exitCode().has_value() && bad->exitCode().has_value(); }, 20000));
  EXPECT_EQ(*good->exitCode(), 0u);
  EXPECT_NE(*bad->exitCode(), 0u);
  EXPECT_EQ(readText(dir / "CONFIG.NT"), readText(e2e::demoSource("config.nt")));
  EXPECT_EQ(GetFileAttributesA((dir / "NOTHING.NT").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(Win32FileTimes, LastWriteTimeCanBeMarkedAndRestored) {
  ScratchFolder dir("corva-times");
  const std::string file = dir / "T.NT";
  std::ofstream(file) << "x";
  platform::Win32FileSystem files;
  const auto original = files.lastWriteTime(file);
  ASSERT_TRUE(original);
  ASSERT_TRUE(files.setLastWriteTime(file, 119600064000000000ULL));
  EXPECT_EQ(files.lastWriteTime(file), 119600064000000000ULL);
  ASSERT_TRUE(files.setLastWriteTime(file, *original));
  EXPECT_EQ(files.lastWriteTime(file), original);
  EXPECT_TRUE(files.isFile(file));
  EXPECT_FALSE(files.isFile(dir.path()));
  EXPECT_EQ(files.lastWriteTime(dir / "missing"), std::nullopt);
}

}  // namespace
