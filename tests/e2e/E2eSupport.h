#pragma once
// Shared set-up of the end-to-end tests: starting corva16.exe in the test prefix,
// finding its wizard window, reading its controls, keeping screenshots.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "automation/Automation.h"
#include "bench/BenchSupport.h"
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

// The running wizard: its process, ended on destruction if it is still there so a
// failed test leaves nothing behind, and the window driven.
class Wizard : public bench::Child {
 public:
  explicit Wizard(const std::string& exe = windowsPath(env("CORVA_EXE")), int windowWaitMs = 30000)
      : Child("\"" + exe + "\"", exe) {
    if (started()) window_ = automation::findTopLevel(pid(), "CorvaForm", windowWaitMs);
  }

  HWND window() const { return window_; }
  // Another window of the program becomes the one driven (a form it opened).
  void drive(HWND window) { window_ = window; }
  bool running() const { return !wait(0); }

  HWND child(const std::string& text) const { return automation::findChildByText(window_, text); }
  HWND next() const { return child("&Next >"); }
  HWND cancel() const { return child("Cancel"); }
  HWND finish() const { return child("&Finish"); }
  // "BCNF" with '-' for each disabled button, as the tests compare them.
  std::string buttons() const {
    std::string s = "BCNF";
    const HWND all[] = {child("< &Back"), cancel(), next(), finish()};
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
  HWND window_ = nullptr;
};

// The repaired files and where the demonstration CD keeps its sources.
inline std::string systemTarget(const char* name) {
  return std::string("C:\\windows\\system32\\") + name;
}
// The three files and every copy a repair kept of them.
inline void removeTargets() {
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA(systemTarget("*.NT*").c_str(), &found);
  for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
    SetFileAttributesA(systemTarget(found.cFileName).c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(systemTarget(found.cFileName).c_str());
  }
  FindClose(search);
}
inline bool exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
// Whether the three files hold what the demonstration CD's sources expand to.
inline bool allWritten() {
  const std::pair<const char*, const char*> written[] = {
      {"CONFIG.NT", "config.nt"}, {"AUTOEXEC.NT", "autoexec.nt"}, {"COMMAND.NT", "command.com"}};
  for (const auto& [target, source] : written)
    if (readFile(systemTarget(target)) !=
        readFile(windowsPath(env("CORVA_SOURCE") + "/resources/demo-cd/" + source)))
      return false;
  return true;
}
inline std::string discFolder(const std::string& disc = "xpcd") {
  return windowsPath(env("WINEPREFIX") + "/discs/" + disc + "/i386");
}

// Moves a file or folder, trying again while a detection tick looking into it holds it.
inline bool moveFolder(const std::string& from, const std::string& to) {
  return automation::waitFor([&] { return MoveFileA(from.c_str(), to.c_str()) != FALSE; }, 1000, 1);
}

// E: holds another of the prepared i386 folders ("cab", "random", "short", "empty")
// while this lives.
struct DiscInE {
  const std::string disc;
  const bool ok = moveFolder(discFolder(), discFolder() + ".demo") &&
                  moveFolder(discFolder(disc), discFolder());
  ~DiscInE() {
    moveFolder(discFolder(), discFolder(disc));
    moveFolder(discFolder() + ".demo", discFolder());
  }
};

}  // namespace e2e
