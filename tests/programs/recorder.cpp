// recorder.exe: a stand-in program for the tests. It appends one line
//   <command line>|<show state>|<its own path>
// to the file named by CORVA_RECORD (or recorder.log beside itself) and exits 0.
// The tests plant it as expand.exe and register it as a browser, to see exactly
// what was started, how and which copy ran.
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  char log[MAX_PATH] = {};
  if (!GetEnvironmentVariableA("CORVA_RECORD", log, MAX_PATH)) {
    std::string p = self;
    p = p.substr(0, p.rfind('\\') + 1) + "recorder.log";
    lstrcpynA(log, p.c_str(), MAX_PATH);
  }
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
