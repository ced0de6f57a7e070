// Start-up time of programs, measured in turn in the same prefix: from just
// before CreateProcess until the process is idle for input and shows a visible
// top-level window. One warm-up run of each is not counted.
//   startup_bench RUNS PROGRAM_A PROGRAM_B [PROGRAM_C...]
// B is the baseline. Prints one line per run, "median A B ratio" at the end
// (seconds) and, for every further program, "median_C C ratio" against B.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"

namespace {

// Seconds until shown, or a negative number when the program did not show a window.
double startOnce(const std::string& exe) {
  bench::Stopwatch clock;
  bench::Child child(bench::quoted(exe), exe);
  if (!child.started()) return -1;
  WaitForInputIdle(child.process(), 30000);
  if (!bench::waitForWindow(child.pid(), 30)) return -1;
  const double seconds = clock.seconds();
  child.end();
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: startup_bench RUNS PROGRAM_A PROGRAM_B [PROGRAM_C...]\n");
    return 2;
  }
  const int runs = std::atoi(argv[1]);
  const std::vector<std::string> programs(argv + 2, argv + argc);
  const int count = static_cast<int>(programs.size());
  std::vector<std::vector<double>> times(programs.size());
  for (int run = -1; run < runs; ++run) {
    for (int which = 0; which < count; ++which) {
      // Rotate which one goes first, so none always follows the same other.
      const int p = (which + run + count) % count;
      const double t = startOnce(programs[p]);
      if (t < 0) {
        std::fprintf(stderr, "startup_bench: %s showed no window\n", programs[p].c_str());
        return 1;
      }
      if (run >= 0) {
        times[p].push_back(t);
        std::printf("run %d %c %.4f\n", run, 'A' + p, t);
      }
      Sleep(200);  // let the prefix settle after the ended process
    }
  }
  const double baseline = bench::median(times[1]);
  std::printf("median %.4f %.4f ratio %.3f\n", bench::median(times[0]), baseline,
              bench::median(times[0]) / baseline);
  for (int p = 2; p < count; ++p) {
    const double m = bench::median(times[p]);
    std::printf("median_%c %.4f ratio %.3f\n", 'A' + p, m, m / baseline);
  }
  return 0;
}
