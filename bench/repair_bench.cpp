// How long the repair takes: from the Next click on page 2 until Finish is
// enabled on page 5, against a batch file that runs the same three expand
// commands (cmd /c, timed from CreateProcess to its end), alternately.
//   repair_bench RUNS WIZARD CD_ROOT       (CD_ROOT e.g. "E:\")
// Also timed, to tell where the time goes: one expand alone, and the three
// started together by this driver (as the wizard starts them) and waited for.
// The targets are deleted before every run and checked after it.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"

namespace {

const char* const kSources[3] = {"i386\\config.nt_", "i386\\autoexec.nt_", "i386\\command.co_"};
const char* const kTargets[3] = {"c:\\windows\\system32\\CONFIG.NT",
                                 "c:\\windows\\system32\\AUTOEXEC.NT",
                                 "c:\\windows\\system32\\COMMAND.NT"};

std::string command(const std::string& cdRoot, int i) {
  return std::string("expand ") + cdRoot + kSources[i] + " " + kTargets[i];
}

std::string systemExpand() {
  char dir[MAX_PATH] = {};
  GetSystemDirectoryA(dir, MAX_PATH);
  return std::string(dir) + "\\expand.exe";
}

void removeTargets() {
  for (const char* t : kTargets) {
    SetFileAttributesA(t, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(t);
  }
}

bool targetsWritten() {
  for (const char* t : kTargets) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(t, GetFileExInfoStandard, &data) || data.nFileSizeLow == 0)
      return false;
  }
  return true;
}

// Seconds from the Next click on page 2 until Finish is enabled; negative on failure.
double wizardOnce(const std::string& exe) {
  bench::Child child(bench::quoted(exe), exe);
  if (!child.started()) return -1;
  WaitForInputIdle(child.process(), 30000);
  HWND window = bench::waitForWindow(child.pid(), 30);
  HWND next = window ? bench::childByText(window, "&Next >") : nullptr;
  HWND finish = window ? bench::childByText(window, "&Finish") : nullptr;
  if (!next || !finish) return -1;
  bench::click(next);  // page 0 -> 1
  if (!bench::waitUntil([&] { return !bench::enabled(next); }, 10)) return -1;
  if (!bench::waitUntil([&] { return bench::enabled(next); }, 10)) return -1;  // CD found
  bench::click(next);                                                          // page 1 -> 2
  Sleep(1000);  // past the page change and its repaint
  bench::Stopwatch clock;
  bench::click(next);
  if (!bench::waitUntil([&] { return bench::enabled(finish); }, 60)) return -1;
  const double seconds = clock.seconds();
  child.end();
  return seconds;
}

// Seconds the command line takes to run to its end; negative on failure.
double runOnce(const std::string& commandLine, const std::string& application) {
  bench::Stopwatch clock;
  bench::Child child(commandLine, application);
  if (!child.started() || !child.wait(60000)) return -1;
  return clock.seconds();
}

double threeTogether(const std::string& cdRoot) {
  bench::Stopwatch clock;
  std::vector<std::unique_ptr<bench::Child>> children;
  std::vector<HANDLE> handles;
  for (int i = 0; i < 3; ++i) {
    children.push_back(std::make_unique<bench::Child>(command(cdRoot, i), systemExpand()));
    if (!children.back()->started()) return -1;
    handles.push_back(children.back()->process());
  }
  if (WaitForMultipleObjects(3, handles.data(), TRUE, 60000) != WAIT_OBJECT_0) return -1;
  return clock.seconds();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: repair_bench RUNS WIZARD CD_ROOT\n");
    return 2;
  }
  const int runs = std::atoi(argv[1]);
  const std::string wizard = argv[2], cdRoot = argv[3];

  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string batch = std::string(temp) + "corva-repair-bench.bat";
  {
    std::FILE* f = std::fopen(batch.c_str(), "wb");
    if (!f) return 1;
    std::fprintf(f, "@echo off\r\n");
    for (int i = 0; i < 3; ++i) std::fprintf(f, "%s\r\n", command(cdRoot, i).c_str());
    std::fclose(f);
  }
  char cmd[MAX_PATH] = {};
  GetSystemDirectoryA(cmd, MAX_PATH);
  const std::string cmdExe = std::string(cmd) + "\\cmd.exe";

  std::vector<double> wizardTimes, batchTimes, singleTimes, togetherTimes;
  for (int run = -1; run < runs; ++run) {
    for (int slot = 0; slot < 4; ++slot) {
      // Every other run in reverse order, so none always follows the same one.
      const int which = (run & 1) ? 3 - slot : slot;
      removeTargets();
      double t = -1;
      const char* name = "";
      switch (which) {
        case 0:
          name = "wizard";
          t = wizardOnce(wizard);
          break;
        case 1:
          name = "batch";
          t = runOnce(bench::quoted(cmdExe) + " /c " + bench::quoted(batch), cmdExe);
          break;
        case 2:
          name = "single_expand";
          t = runOnce(command(cdRoot, 0), systemExpand());
          break;
        case 3:
          name = "three_together";
          t = threeTogether(cdRoot);
          break;
      }
      const bool written = which == 2 || targetsWritten();
      if (t < 0 || !written) {
        std::fprintf(stderr, "repair_bench: %s failed (%s)\n", name,
                     t < 0 ? "no result in time" : "targets not written");
        return 1;
      }
      if (run >= 0) {
        std::printf("run %d %s %.4f\n", run, name, t);
        std::vector<double>* all[] = {&wizardTimes, &batchTimes, &singleTimes, &togetherTimes};
        all[which]->push_back(t);
      }
      Sleep(300);
    }
  }
  std::printf("median wizard %.4f batch %.4f single_expand %.4f three_together %.4f ratio %.3f\n",
              bench::median(wizardTimes), bench::median(batchTimes), bench::median(singleTimes),
              bench::median(togetherTimes), bench::median(wizardTimes) / bench::median(batchTimes));
  DeleteFileA(batch.c_str());
  return 0;
}
