// The links and Finish of the real corva16.exe under Wine, with a recording fake
// browser registered for .htm files in the test prefix. What the wizard tells when
// the shell finds no browser is a native test.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <vector>

#include "e2e/E2eSupport.h"
#include "windows/RegistryAccess.h"

using e2e::Wizard;

namespace {

const char kHost[] = "www.corvane.com";

std::string tempFolder() {
  return (std::filesystem::temp_directory_path() / "").string();
}

// Scratch pages the program may have left in the user's temporary folder.
std::vector<std::string> scratchPages() {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(tempFolder()))
    if (lstrcmpiA(e.path().extension().string().c_str(), ".htm") == 0)
      names.push_back(e.path().filename().string());
  return names;
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

// The site link on page 0 opens the host and keeps the wizard; Finish with the box
// ticked opens it again and ends.
TEST(LinksE2e, SiteLinkAndFinishOpenTheHost) {
  const auto before = scratchPages();
  FakeBrowser browser;
  Wizard w;
  ASSERT_TRUE(w.window());
  // Label17 lies at 2520, 3240 twips of the form (its page starts 1680 left of it).
  automation::clickAt(w.window(), 2520 / 15 + 20, 3240 / 15 + 8);
  EXPECT_EQ(browser.starts(1), std::vector<std::string>{kHost});
  Sleep(300);
  EXPECT_TRUE(w.running());
  EXPECT_EQ(w.buttons(), "-CN-");
  EXPECT_EQ(scratchPages(), before) << "no scratch page is left behind";
  EXPECT_EQ(GetFileAttributesA("C:\\temphtm.HTM"), INVALID_FILE_ATTRIBUTES)
      << "nothing is written to the root of C:";

  ASSERT_TRUE(w.repairToFinish()) << w.buttons();
  automation::clickButton(w.finish());
  EXPECT_TRUE(w.waitForExit(10000));
  EXPECT_EQ(browser.starts(2), (std::vector<std::string>{kHost, kHost}));
  EXPECT_EQ(scratchPages(), before);
}

}  // namespace
