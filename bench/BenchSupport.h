#pragma once
// What the bench drivers share: a high-resolution clock, a started program that is
// ended on every path, and finding and clicking its windows from outside, as a
// person would.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

// Seconds since construction, from the performance counter.
class Stopwatch {
 public:
  Stopwatch() {
    QueryPerformanceFrequency(&frequency_);
    QueryPerformanceCounter(&start_);
  }
  double seconds() const {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - start_.QuadPart) /
           static_cast<double>(frequency_.QuadPart);
  }

 private:
  LARGE_INTEGER frequency_{}, start_{};
};

inline double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// A started program; ended on destruction if it still runs.
class Child {
 public:
  explicit Child(const std::string& commandLine, const std::string& application = std::string()) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string line = commandLine;
    started_ = CreateProcessA(application.empty() ? nullptr : application.c_str(), &line[0],
                              nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_) != FALSE;
    if (started_) CloseHandle(pi_.hThread);
  }
  ~Child() {
    if (!started_) return;
    end();
    CloseHandle(pi_.hProcess);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool started() const { return started_; }
  HANDLE process() const { return pi_.hProcess; }
  DWORD pid() const { return pi_.dwProcessId; }
  bool wait(DWORD ms) const { return WaitForSingleObject(pi_.hProcess, ms) == WAIT_OBJECT_0; }
  DWORD exitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
  }
  void end() {
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(pi_.hProcess, 1);
      WaitForSingleObject(pi_.hProcess, 10000);
    }
  }

 private:
  PROCESS_INFORMATION pi_{};
  bool started_ = false;
};

namespace detail {
struct TopLevelSearch {
  DWORD pid;
  HWND found;
};
inline BOOL CALLBACK findVisible(HWND hwnd, LPARAM lp) {
  auto* s = reinterpret_cast<TopLevelSearch*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == s->pid && IsWindowVisible(hwnd)) {
    s->found = hwnd;
    return FALSE;
  }
  return TRUE;
}
struct ChildSearch {
  const char* text;
  HWND found;
};
inline BOOL CALLBACK findText(HWND hwnd, LPARAM lp) {
  auto* s = reinterpret_cast<ChildSearch*>(lp);
  wchar_t wide[256] = {};
  // Another process's window answers WM_GETTEXT in its own character set: ask in UTF-16.
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(wide), SMTO_ABORTIFHUNG, 2000,
                      nullptr);
  char narrow[256] = {};
  WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
  if (std::string(narrow) == s->text) {
    s->found = hwnd;
    return FALSE;
  }
  return TRUE;
}
}  // namespace detail

// A visible top-level window of the process, or nullptr.
inline HWND visibleWindowOf(DWORD pid) {
  detail::TopLevelSearch s{pid, nullptr};
  EnumWindows(detail::findVisible, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

// Polls until the process shows a window; nullptr after timeoutSeconds.
inline HWND waitForWindow(DWORD pid, double timeoutSeconds) {
  Stopwatch clock;
  for (;;) {
    if (HWND h = visibleWindowOf(pid)) return h;
    if (clock.seconds() > timeoutSeconds) return nullptr;
    Sleep(1);
  }
}

inline HWND childByText(HWND parent, const char* text) {
  detail::ChildSearch s{text, nullptr};
  EnumChildWindows(parent, detail::findText, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

// Posted, so that a modal loop the click opens never blocks the driver.
inline void click(HWND button) {
  PostMessageA(button, BM_CLICK, 0, 0);
}

inline bool enabled(HWND h) {
  return h && IsWindowEnabled(h);
}

// Polls every millisecond until `probe` holds; false after timeoutSeconds.
template <typename Probe>
bool waitUntil(Probe&& probe, double timeoutSeconds) {
  Stopwatch clock;
  while (!probe()) {
    if (clock.seconds() > timeoutSeconds) return false;
    Sleep(1);
  }
  return true;
}

// Windows path of a program beside this one, e.g. "minimal_window.exe".
inline std::string besideMe(const char* name) {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path = self;
  return path.substr(0, path.find_last_of('\\') + 1) + name;
}

inline std::string quoted(const std::string& s) {
  return "\"" + s + "\"";
}

}  // namespace bench
