#include "platform/win32/LateBound.h"

#include <string>

namespace platform {

FARPROC lateBoundProc(const char* dll, const char* function) {
  char folder[MAX_PATH + 1] = {};
  const UINT n = GetSystemDirectoryA(folder, MAX_PATH);
  if (n == 0 || n > MAX_PATH) return nullptr;
  std::string path(folder, n);
  if (path.back() != '\\') path += '\\';
  path += dll;
  // A second load of a loaded DLL only counts it again; it is never unloaded.
  HMODULE module = LoadLibraryA(path.c_str());
  return module ? GetProcAddress(module, function) : nullptr;
}

}  // namespace platform
