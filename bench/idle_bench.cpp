// What the wizard costs while it waits on page 1 for a Windows XP CD that is not
// there (its timer scans the CD-ROM drives every second).
//   idle_bench idle SECONDS WIZARD BASELINE
//     CPU time over SECONDS of the wizard on page 1 and, measured the same way
//     right after, of the baseline program showing its window.
//   idle_bench soak SECONDS SAMPLE_SECONDS WIZARD DISC_FOLDER
//     GDI objects, USER objects, kernel handles and private memory of the wizard
//     on page 1, sampled every SAMPLE_SECONDS for SECONDS. Before each sample an
//     i386 folder is made in DISC_FOLDER (what a CD-ROM drive shows) until the
//     wizard enables Next, then removed until it disables Next again: proof that
//     the timer still ticks, and both paths of the tick run.
// CPU and memory are read from the Linux processes behind Wine (see
// ProcessCounters.h); the wineserver's CPU over the same time is reported too,
// since the server does part of the work of every Wine call.
#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "bench/BenchSupport.h"
#include "bench/ProcessCounters.h"

namespace {

double fileTimeSeconds(const FILETIME& t) {
  return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) /
         1e7;
}

// Kernel plus user time as Wine's GetProcessTimes tells it.
double reportedCpuSeconds(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
  return fileTimeSeconds(kernel) + fileTimeSeconds(user);
}

std::string fileName(const std::string& path) {
  return path.substr(path.find_last_of('\\') + 1);
}

// Started and shown, or an empty optional.
struct Started {
  bench::Child child;
  HWND window = nullptr;
  explicit Started(const std::string& exe) : child(bench::quoted(exe), exe) {
    if (!child.started()) return;
    WaitForInputIdle(child.process(), 30000);
    window = bench::waitForWindow(child.pid(), 30);
  }
};

// Next on page 0; page 1 is shown once Next is disabled for the CD search.
bool toPage1(HWND window) {
  HWND next = bench::childByText(window, "&Next >");
  if (!next) return false;
  bench::click(next);
  return bench::waitUntil([&] { return !bench::enabled(next); }, 10);
}

// Wizard CPU, wineserver CPU and GetProcessTimes over `seconds` of idling.
bool measureIdle(const std::string& exe, bool wizard, double seconds, const char* tag) {
  Started s(exe);
  if (!s.window) return false;
  if (wizard && !toPage1(s.window)) return false;
  Sleep(3000);  // past start-up and the first ticks
  const auto proc = counters::LinuxProcess::find(fileName(exe));
  const auto server = counters::LinuxProcess::find("wineserver");
  if (!proc || !server) {
    std::fprintf(stderr, "idle_bench: the Linux process of %s or wineserver was not found\n",
                 exe.c_str());
    return false;
  }
  const double cpu0 = proc->cpuSeconds().value_or(-1), srv0 = server->cpuSeconds().value_or(-1);
  const double rep0 = reportedCpuSeconds(s.child.process());
  bench::Stopwatch clock;
  Sleep(static_cast<DWORD>(seconds * 1000));
  const double wall = clock.seconds();
  const double cpu = proc->cpuSeconds().value_or(-1) - cpu0;
  const double srv = server->cpuSeconds().value_or(-1) - srv0;
  const double rep = reportedCpuSeconds(s.child.process()) - rep0;
  std::printf(
      "%s wall %.3f cpu %.3f cpu_percent %.4f wineserver_cpu %.3f wineserver_percent %.4f "
      "getprocesstimes_delta %.3f\n",
      tag, wall, cpu, 100 * cpu / wall, srv, 100 * srv / wall, rep);
  return true;
}

int idle(double seconds, const std::string& wizard, const std::string& baseline) {
  if (!measureIdle(wizard, true, seconds, "wizard")) return 1;
  if (!measureIdle(baseline, false, seconds, "baseline")) return 1;
  return 0;
}

// One tick that finds the CD and one that no longer does, seen from Next.
bool toggleCd(HWND window, const std::string& discFolder) {
  HWND next = bench::childByText(window, "&Next >");
  const std::string i386 = discFolder + "\\i386";
  const bool found = CreateDirectoryA(i386.c_str(), nullptr) &&
                     bench::waitUntil([&] { return bench::enabled(next); }, 5);
  const bool lost =
      RemoveDirectoryA(i386.c_str()) && bench::waitUntil([&] { return !bench::enabled(next); }, 5);
  return found && lost;
}

int soak(double seconds, double sampleSeconds, const std::string& exe, const std::string& disc) {
  Started s(exe);
  if (!s.window || !toPage1(s.window)) return 1;
  const auto proc = counters::LinuxProcess::find(fileName(exe));
  if (!proc) return 1;
  bench::Stopwatch clock;
  for (;;) {
    const bool ticked = toggleCd(s.window, disc);
    DWORD rawHandles = 0;
    GetProcessHandleCount(s.child.process(), &rawHandles);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(s.child.process(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                         sizeof memory);
    std::printf(
        "sample t %.1f ticked %d gdi %ld user %ld handles %ld vmdata_kb %ld rssanon_kb %ld "
        "raw_guiresources_gdi %lu raw_guiresources_user %lu raw_handlecount %lu "
        "raw_privateusage %lu\n",
        clock.seconds(), ticked ? 1 : 0, counters::gdiObjects(s.child.process()).value_or(-1),
        counters::userObjects(s.child.process(), s.child.pid()),
        counters::kernelHandles(s.child.pid()).value_or(-1), proc->statusKb("VmData").value_or(-1),
        proc->statusKb("RssAnon").value_or(-1), GetGuiResources(s.child.process(), GR_GDIOBJECTS),
        GetGuiResources(s.child.process(), GR_USEROBJECTS), rawHandles,
        static_cast<unsigned long>(memory.PrivateUsage));
    std::fflush(stdout);
    if (!ticked || clock.seconds() >= seconds) return ticked ? 0 : 1;
    Sleep(static_cast<DWORD>(sampleSeconds * 1000));
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "idle" && argc == 5) return idle(std::atof(argv[2]), argv[3], argv[4]);
  if (mode == "soak" && argc == 6)
    return soak(std::atof(argv[2]), std::atof(argv[3]), argv[4], argv[5]);
  std::fprintf(stderr,
               "usage: idle_bench idle SECONDS WIZARD BASELINE\n"
               "       idle_bench soak SECONDS SAMPLE_SECONDS WIZARD DISC_FOLDER\n");
  return 2;
}
