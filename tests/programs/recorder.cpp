// A stand-in program: appends "<command line>|<show state>|<own path>" to $CORVA_RECORD.
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
