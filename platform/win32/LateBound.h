#pragma once
// A function of a system DLL that is loaded on first use rather than at start:
// every DLL in the import table is mapped and initialised before the first window
// shows, and the shell alone brings in a dozen more. The DLL is taken from the
// system folder by its full path (never a copy beside the program) and stays
// loaded, as an imported one would.
#include <windows.h>

namespace platform {

// The address of `function` in the system DLL `dll`, or null when either is missing.
FARPROC lateBoundProc(const char* dll, const char* function);

// F is the function's pointer type, e.g. decltype(&ShellExecuteA). Meant to be a
// function-local static, so each call site looks the function up once.
template <typename F>
class LateBound {
 public:
  LateBound(const char* dll, const char* function) : dll_(dll), function_(function) {}

  // The function, or null when this system lacks it.
  F get() {
    if (!resolved_) {
      proc_ = reinterpret_cast<F>(reinterpret_cast<void*>(lateBoundProc(dll_, function_)));
      resolved_ = true;
    }
    return proc_;
  }

 private:
  const char* dll_;
  const char* function_;
  F proc_ = nullptr;
  bool resolved_ = false;
};

}  // namespace platform
