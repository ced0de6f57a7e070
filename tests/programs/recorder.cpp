// recorder.exe: a stand-in program for the tests. It appends one line
//   <command line>|<show state>|<its own path>
// to the file named by CORVA_RECORD and exits 0. The tests plant it as Word and as
// a registry editor beside the program, and register it as a browser, to see
// exactly what was started, how and which copy ran.
#include <windows.h>

#include <cstdio>

int main() {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  char log[MAX_PATH] = {};
  if (!GetEnvironmentVariableA("CORVA_RECORD", log, MAX_PATH)) return 1;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  GetStartupInfoA(&si);
  const int show = (si.dwFlags & STARTF_USESHOWWINDOW) ? si.wShowWindow : -1;
  if (FILE* f = std::fopen(log, "ab")) {
    std::fprintf(f, "%s|%d|%s\n", GetCommandLineA(), show, self);
    std::fclose(f);
  }
  return 0;
}
