// Start-up time of two programs, measured alternately in the same prefix: from
// just before CreateProcess until the process is idle for input and shows a
// visible top-level window. One warm-up run of each is not counted.
//   startup_bench RUNS PROGRAM_A PROGRAM_B
// Prints one line per run and "median A B ratio" at the end (seconds).
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
  if (argc != 4) {
    std::fprintf(stderr, "usage: startup_bench RUNS PROGRAM_A PROGRAM_B\n");
    return 2;
  }
  const int runs = std::atoi(argv[1]);
  const std::string programs[2] = {argv[2], argv[3]};
  std::vector<double> times[2];
  for (int run = -1; run < runs; ++run) {
    for (int which = 0; which < 2; ++which) {
      // Alternate which one goes first, so neither always follows the other.
      const int p = (run & 1) ? 1 - which : which;
      const double t = startOnce(programs[p]);
      if (t < 0) {
        std::fprintf(stderr, "startup_bench: %s showed no window\n", programs[p].c_str());
        return 1;
      }
      if (run >= 0) {
        times[p].push_back(t);
        std::printf("run %d %c %.4f\n", run, p ? 'B' : 'A', t);
      }
      Sleep(200);  // let the prefix settle after the ended process
    }
  }
  const double a = bench::median(times[0]), b = bench::median(times[1]);
  std::printf("median %.4f %.4f ratio %.3f\n", a, b, a / b);
  return 0;
}
