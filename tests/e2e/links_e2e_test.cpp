// The links and Finish of the real corva16.exe under Wine, with a recording fake
// browser registered for .htm files in the test prefix. What the wizard tells when
// the shell finds no browser is a native test.
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "e2e/E2eSupport.h"

using e2e::Wizard;

namespace {

const char kHost[] = "www.corvane.com";

std::string tempFolder() {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  return temp;
}

// Scratch pages the program may have left in the user's temporary folder.
std::vector<std::string> scratchPages() {
  std::vector<std::string> names;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((tempFolder() + "*.htm").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do names.push_back(fd.cFileName);
    while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  return names;
}

void setDefault(HKEY root, const std::string& key, const std::string& value) {
  HKEY k = nullptr;
  ASSERT_EQ(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(k, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(k);
}

// Registers the recorder as the program for .htm files and logs what it is
// started with; removes both again at the end.
class FakeBrowser {
 public:
  FakeBrowser() {
    log_ = tempFolder() + "corva-browser.log";
    DeleteFileA(log_.c_str());
    SetEnvironmentVariableA("CORVA_RECORD", log_.c_str());
    const std::string exe = e2e::windowsPath(e2e::env("CORVA_RECORDER"));
    setDefault(HKEY_CLASSES_ROOT, ".htm", "CorvaTestPage");
    setDefault(HKEY_CLASSES_ROOT, "CorvaTestPage\\shell\\open\\command",
               "\"" + exe + "\" \"%1\"");
  }
  ~FakeBrowser() {
    unregister();
    SetEnvironmentVariableA("CORVA_RECORD", nullptr);
    DeleteFileA(log_.c_str());
  }
  // Lines "<command line>|<show>|<exe>" of each start, after waiting for one.
  std::vector<std::string> starts(int waitMs) const {
    automation::waitFor([&] { return !e2e::readFile(log_).empty(); }, waitMs);
    std::istringstream all(e2e::readFile(log_));
    std::vector<std::string> lines;
    for (std::string line; std::getline(all, line);) lines.push_back(line);
    return lines;
  }
  // The parameters the browser got: its command line after the program's own name.
  static std::string parameters(const std::string& line) {
    std::string cmd = line.substr(0, line.find('|'));
    size_t at = cmd[0] == '"' ? cmd.find('"', 1) + 1 : cmd.find(' ');
    while (at < cmd.size() && cmd[at] == ' ') ++at;
    return at < cmd.size() ? cmd.substr(at) : std::string();
  }

 private:
  static void unregister() {
    RegDeleteKeyA(HKEY_CLASSES_ROOT, "CorvaTestPage\\shell\\open\\command");
    RegDeleteKeyA(HKEY_CLASSES_ROOT, "CorvaTestPage\\shell\\open");
    RegDeleteKeyA(HKEY_CLASSES_ROOT, "CorvaTestPage\\shell");
    RegDeleteKeyA(HKEY_CLASSES_ROOT, "CorvaTestPage");
    RegDeleteKeyA(HKEY_CLASSES_ROOT, ".htm");
  }
  std::string log_;
};


// The site link on page 0 opens the host and keeps the wizard; Finish with the box
// ticked opens it again and ends.
TEST(LinksE2e, SiteLinkAndFinishOpenTheHost) {
  const auto before = scratchPages();
  FakeBrowser browser;
  Wizard w;
  ASSERT_TRUE(w.window());
  // Label17 lies at 2520, 3240 twips of the form (its page starts 1680 left of it).
  automation::clickAt(w.window(), 2520 / 15 + 20, 3240 / 15 + 8);
  auto starts = browser.starts(10000);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(FakeBrowser::parameters(starts[0]), kHost);
  Sleep(300);
  EXPECT_TRUE(w.running());
  EXPECT_EQ(w.buttons(), "-CN-");
  EXPECT_EQ(scratchPages(), before) << "no scratch page is left behind";
  EXPECT_EQ(GetFileAttributesA("C:\\temphtm.HTM"), INVALID_FILE_ATTRIBUTES)
      << "nothing is written to the root of C:";

  ASSERT_TRUE(w.repairToFinish()) << w.buttons();
  automation::clickButton(w.finish());
  EXPECT_TRUE(w.waitForExit(10000));
  automation::waitFor([&] { return browser.starts(0).size() > 1; }, 5000);
  starts = browser.starts(0);
  ASSERT_EQ(starts.size(), 2u);
  EXPECT_EQ(FakeBrowser::parameters(starts[1]), kHost);
  EXPECT_EQ(scratchPages(), before);
}

}  // namespace
