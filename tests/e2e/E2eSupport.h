#pragma once
// Support of the tests under Wine: plain registry calls, and the programs run end to end.
#include <windows.h>
#include <shlwapi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "automation/Automation.h"
#include "bench/BenchSupport.h"

namespace regtest {

using Stored = std::pair<DWORD, std::string>;  // a value's type and bytes

inline bool makeKey(HKEY root, const std::string& key, DWORD options = 0) {
  HKEY h = nullptr;
  return RegCreateKeyExA(root, key.c_str(), 0, nullptr, options, KEY_ALL_ACCESS, nullptr, &h,
                         nullptr) == ERROR_SUCCESS &&
         RegCloseKey(h) == ERROR_SUCCESS;
}

inline bool keyExists(HKEY root, const std::string& key) {
  HKEY h = nullptr;
  return RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) == ERROR_SUCCESS &&
         RegCloseKey(h) == ERROR_SUCCESS;
}

// Writes a value of any type; the key is made as needed.
inline bool put(HKEY root, const std::string& key, const std::string& name, DWORD type,
                const std::string& data) {
  return SHSetValueA(root, key.c_str(), name.c_str(), type, data.data(),
                     static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

// Every value of a key, by name; a value too long for the buffer is left out.
inline std::map<std::string, Stored> values(HKEY root, const std::string& key) {
  std::map<std::string, Stored> all;
  HKEY h = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return all;
  for (DWORD i = 0;; ++i) {
    char name[16384], data[4096];
    DWORD nameLength = sizeof name, dataLength = sizeof data, type = 0;
    const LONG result = RegEnumValueA(h, i, name, &nameLength, nullptr, &type,
                                      reinterpret_cast<BYTE*>(data), &dataLength);
    if (result == ERROR_SUCCESS) all[name] = Stored(type, std::string(data, dataLength));
    if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA) break;
  }
  RegCloseKey(h);
  return all;
}

inline std::optional<Stored> value(HKEY root, const std::string& key, const std::string& name) {
  const auto all = values(root, key);
  return all.count(name) ? std::optional<Stored>(all.at(name)) : std::nullopt;
}

}  // namespace regtest

namespace e2e {

// A path from the environment (and what follows it) on Wine's drive Z:.
inline std::string envPath(const char* name, const std::string& rest = "") {
  const char* v = std::getenv(name);
  std::string p = std::string(v ? v : "") + rest;
  if (!p.empty() && p[0] == '/') p = "Z:" + p;
  std::replace(p.begin(), p.end(), '/', '\\');
  return p;
}

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
// Makes the folders above it as needed.
inline void writeFile(const std::filesystem::path& path, const std::string& content) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

// The running wizard, its window found (when waited for) and ended on destruction.
class Wizard : public bench::Child {
 public:
  explicit Wizard(const std::string& exe = envPath("CORVA_EXE"), int windowWaitMs = 30000)
      : Child("\"" + exe + "\"", exe) {
    if (started()) window_ = automation::findTopLevel(pid(), "CorvaForm", windowWaitMs);
    EXPECT_TRUE(window_ || !windowWaitMs) << "no window of " << exe;
  }

  HWND window() const { return window_; }
  void drive(HWND window) { window_ = window; }
  bool running() const { return !wait(0); }

  HWND child(const std::string& text) const { return automation::findChildByText(window_, text); }
  HWND next() const { return child("&Next >"); }
  HWND finish() const { return child("&Finish"); }
  // "BCNF" with '-' for each disabled button, as the tests compare them.
  std::string buttons() const {
    std::string s = "BCNF";
    const HWND all[] = {child("< &Back"), child("Cancel"), next(), finish()};
    for (int i = 0; i < 4; ++i)
      if (!automation::isEnabled(all[i])) s[i] = '-';
    return s;
  }
  bool waitForButtons(const std::string& state, int ms) const {
    return automation::waitFor([&] { return buttons() == state; }, ms);
  }
  // Real key presses (xdotool names) into the wizard.
  bool keys(const std::string& names) const {
    return automation::focusForRealInput(window_) &&
           automation::realInput("key --delay 50 " + names);
  }
  // The focused control's caption ("none": no window), a link's as a screen reader reads it.
  std::string focus() const {
    HWND h = automation::focusedWindow(window_);
    if (!h) return "none";
    const automation::AccessibleClient client = automation::readAccessible(h);
    if (client.focusedChild > 0 && client.focusedChild <= static_cast<long>(client.children.size()))
      return client.children[static_cast<size_t>(client.focusedChild - 1)].name;
    return automation::windowText(h);
  }
  // The topmost page frame: 0 starts left of the form, 2 is the tallest, 1 lists drives.
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
  // To page 2 once the demonstration CD is found, and through a repair to page 5.
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
  // Into the artifacts folder (the test script makes a PNG of it).
  void screenshot(const std::string& name) const {
    const std::string dir = envPath("CORVA_ARTIFACTS");
    if (dir.empty()) return;
    CreateDirectoryA(dir.c_str(), nullptr);
    Sleep(300);  // let the last repaint reach the screen
    automation::saveScreenshot(window_, dir + "\\" + name + ".bmp");
  }

 private:
  HWND window_ = nullptr;
};

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
// Whether the three files hold what the demonstration CD's sources expand to.
inline bool allWritten() {
  const std::pair<const char*, const char*> written[] = {
      {"CONFIG.NT", "config.nt"}, {"AUTOEXEC.NT", "autoexec.nt"}, {"COMMAND.NT", "command.com"}};
  for (const auto& [target, source] : written)
    if (readFile(systemTarget(target)) !=
        readFile(envPath("CORVA_SOURCE", std::string("/resources/demo-cd/") + source)))
      return false;
  return true;
}
inline std::string discFolder(const std::string& disc = "xpcd") {
  return envPath("WINEPREFIX", "/discs/" + disc + "/i386");
}

// Moves a file or folder, trying again while a detection tick looking into it holds it.
inline bool moveFolder(const std::string& from, const std::string& to) {
  return automation::waitFor([&] { return MoveFileA(from.c_str(), to.c_str()) != FALSE; }, 1000, 1);
}

// E: holds another prepared i386 folder ("cab", "random", "short", "empty") while this lives.
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
