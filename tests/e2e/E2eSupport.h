#pragma once
// Shared set-up of the end-to-end tests: starting corva16.exe in the test prefix,
// finding its wizard window, reading its controls, keeping screenshots.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "automation/Automation.h"
#include "windows/RegistryAccess.h"

namespace e2e {

// A Unix path as Wine's Z: drive shows it.
inline std::string windowsPath(std::string p) {
  if (!p.empty() && p[0] == '/') p = "Z:" + p;
  std::replace(p.begin(), p.end(), '/', '\\');
  return p;
}

inline std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The running wizard: its process and window. The process is ended on destruction
// if it is still there, so a failed test leaves nothing behind.
class Wizard {
 public:
  explicit Wizard(const std::string& exe = windowsPath(env("CORVA_EXE")),
                  int windowWaitMs = 30000) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string line = "\"" + exe + "\"";
    if (CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                       &pi_)) {
      CloseHandle(pi_.hThread);
      window_ = automation::findTopLevel(pi_.dwProcessId, "CorvaForm", windowWaitMs);
    }
  }
  ~Wizard() {
    if (!pi_.hProcess) return;
    if (running() && TerminateProcess(pi_.hProcess, 1)) WaitForSingleObject(pi_.hProcess, 5000);
    CloseHandle(pi_.hProcess);
  }
  Wizard(const Wizard&) = delete;
  Wizard& operator=(const Wizard&) = delete;

  HWND window() const { return window_; }
  // Another window of the program becomes the one driven (a form it opened).
  void drive(HWND window) { window_ = window; }
  HANDLE process() const { return pi_.hProcess; }
  DWORD pid() const { return pi_.dwProcessId; }
  bool running() const { return WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }
  bool waitForExit(int ms) const { return WaitForSingleObject(pi_.hProcess, ms) == WAIT_OBJECT_0; }

  HWND child(const std::string& text) const { return automation::findChildByText(window_, text); }
  HWND next() const { return child("&Next >"); }
  HWND back() const { return child("< &Back"); }
  HWND cancel() const { return child("Cancel"); }
  HWND finish() const { return child("&Finish"); }
  // "BCNF" with '-' for each disabled button, as the tests compare them.
  std::string buttons() const {
    std::string s = "BCNF";
    const HWND all[] = {back(), cancel(), next(), finish()};
    for (int i = 0; i < 4; ++i)
      if (!automation::isEnabled(all[i])) s[i] = '-';
    return s;
  }
  bool waitForButtons(const std::string& state, int ms) const {
    return automation::waitFor([&] { return buttons() == state; }, ms);
  }
  // Real key presses (xdotool names) into the wizard, and the caption of the control
  // with the focus ("none" when no window has it).
  bool keys(const std::string& names) const {
    return automation::focusForRealInput(window_) &&
           automation::realInput("key --delay 50 " + names);
  }
  // A focused link has no window: its name is read as a screen reader reads it.
  std::string focus() const {
    HWND h = automation::focusedWindow(window_);
    if (!h) return "none";
    const automation::AccessibleClient client = automation::readAccessible(h);
    if (client.focusedChild > 0 && client.focusedChild <= static_cast<long>(client.children.size()))
      return client.children[static_cast<size_t>(client.focusedChild - 1)].name;
    return automation::windowText(h);
  }
  // The page in front: the topmost of the form's page frames, told apart by their
  // place (page 0 starts left of the form, page 2 is the tallest) or what they hold
  // (page 1 the drive list).
  int page() const {
    for (HWND c = GetWindow(window_, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      RECT r{};
      GetWindowRect(c, &r);
      MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&r), 2);
      if (r.bottom - r.top < 200) continue;  // a button
      if (r.left < 0) return 0;
      if (r.bottom - r.top > 260) return 2;
      for (const auto& d : automation::descendants(c))
        if (d.className == "ListBox") return 1;  // the drive list
      return 5;
    }
    return -1;
  }
  // From page 0 to page 2 once the detection has found the demonstration CD, and on
  // through a real repair from it to page 5.
  bool toPage2() const {
    automation::clickButton(next());
    if (!waitForButtons("-CN-", 10000)) return false;
    automation::clickButton(next());
    if (!automation::waitFor([&] { return page() == 2; }, 5000)) return false;
    Sleep(500);  // Next's handler yields before it ends; a click inside it is ignored
    return true;
  }
  bool repairToFinish() const {
    if (!toPage2()) return false;
    automation::clickButton(next());
    return waitForButtons("---F", 60000);
  }
  // Keeps a screenshot in the artifacts folder (converted to PNG by the test script).
  void screenshot(const std::string& name) const {
    const std::string dir = windowsPath(env("CORVA_ARTIFACTS"));
    if (dir.empty()) return;
    CreateDirectoryA(dir.c_str(), nullptr);
    Sleep(300);  // let the last repaint reach the screen
    automation::saveScreenshot(window_, dir + "\\" + name + ".bmp");
  }

 private:
  PROCESS_INFORMATION pi_{};
  HWND window_ = nullptr;
};

// The repaired files and where the demonstration CD keeps its sources.
inline std::string systemTarget(const char* name) {
  return std::string("C:\\windows\\system32\\") + name;
}
// The three files and every copy a repair kept of them.
inline void removeTargets() {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(systemTarget("*.NT*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string path = systemTarget(found.cFileName);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
  } while (FindNextFileA(search, &found));
  FindClose(search);
}
inline bool exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
inline std::string discFolder(const std::string& disc = "xpcd") {
  return windowsPath(env("WINEPREFIX") + "/discs/" + disc + "/i386");
}

// Moves a file or folder, trying again while a detection tick looking into it holds it.
inline bool moveFolder(const std::string& from, const std::string& to) {
  return automation::waitFor([&] { return MoveFileA(from.c_str(), to.c_str()) != FALSE; }, 1000, 1);
}

// E: holds another of the prepared i386 folders ("cab", "random", "short", "empty")
// until this ends.
class DiscInE {
 public:
  explicit DiscInE(std::string disc) : disc_(std::move(disc)) {
    ok_ = moveFolder(discFolder(), discFolder() + ".demo") &&
          moveFolder(discFolder(disc_), discFolder());
  }
  ~DiscInE() {
    moveFolder(discFolder(), discFolder(disc_));
    moveFolder(discFolder() + ".demo", discFolder());
  }
  DiscInE(const DiscInE&) = delete;
  DiscInE& operator=(const DiscInE&) = delete;
  bool ok() const { return ok_; }

 private:
  std::string disc_;
  bool ok_ = false;
};
inline std::string demoSource(const char* name) {
  return windowsPath(env("CORVA_SOURCE") + "/resources/demo-cd/" + name);
}

inline std::string tempFolder() {
  return (std::filesystem::temp_directory_path() / "").string();
}

// Registers the recorder as the program for .htm files and logs what it is
// started with; removes both again at the end.
class FakeBrowser {
 public:
  FakeBrowser() {
    DeleteFileA(log_.c_str());
    SetEnvironmentVariableA("CORVA_RECORD", log_.c_str());
    const std::string exe = e2e::windowsPath(e2e::env("CORVA_RECORDER"));
    regtest::put(HKEY_CLASSES_ROOT, ".htm", "", REG_SZ, std::string("CorvaTestPage") + '\0');
    regtest::put(HKEY_CLASSES_ROOT, "CorvaTestPage\\shell\\open\\command", "", REG_SZ,
                 "\"" + exe + "\" \"%1\"" + '\0');
  }
  ~FakeBrowser() {
    SHDeleteKeyA(HKEY_CLASSES_ROOT, "CorvaTestPage");
    SHDeleteKeyA(HKEY_CLASSES_ROOT, ".htm");
    SetEnvironmentVariableA("CORVA_RECORD", nullptr);
    DeleteFileA(log_.c_str());
  }
  // The parameters of each start (the command line after the program's own name),
  // after waiting for this many.
  std::vector<std::string> starts(std::size_t count) const {
    automation::waitFor([&] { return lines().size() >= count; }, 10000);
    std::vector<std::string> parameters;
    for (const std::string& line : lines()) {
      const std::string cmd = line.substr(0, line.find('|'));
      std::size_t at = cmd[0] == '"' ? cmd.find('"', 1) + 1 : cmd.find(' ');
      while (at < cmd.size() && cmd[at] == ' ') ++at;
      parameters.push_back(at < cmd.size() ? cmd.substr(at) : std::string());
    }
    return parameters;
  }

 private:
  std::vector<std::string> lines() const {
    std::istringstream all(e2e::readFile(log_));
    std::vector<std::string> lines;
    for (std::string line; std::getline(all, line);) lines.push_back(line);
    return lines;
  }
  const std::string log_ = tempFolder() + "corva-browser.log";
};

}  // namespace e2e
