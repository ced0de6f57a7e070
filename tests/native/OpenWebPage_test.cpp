// The links and Finish of the wizard against a fake shell: which page, which
// messages for which shell answers, the scratch page, and the end of the process.
#include <gtest/gtest.h>

#include "app/Module1.h"
#include "app/OpenWebPage.h"
#include "app/frmBackup.h"
#include "fakes/FakePlatform.h"
#include "forms/memory/MemoryApplication.h"

namespace {

const std::string kHost = kMakerWebHost;

class Links : public ::testing::Test {
 protected:
  void SetUp() override { Module1::CurrentStep = 0; }
  void TearDown() override {
    Module1::CurrentStep = 0;
    EXPECT_TRUE(sys.shell.files.empty()) << "a scratch page outlived its call";
  }
  frmBackup& start() {
    Module1::Main(app, sys.platform);
    return Module1::frmBackupInstance(app, sys.platform);
  }
  // Runs a handler; true when it ended the process.
  template <typename F>
  bool ends(F&& handler) {
    try {
      handler();
    } catch (const forms::ProcessEnded&) {
      return true;
    }
    return false;
  }
  std::vector<std::string> titles() const {
    std::vector<std::string> t;
    for (const auto& b : app.shownMessageBoxes) t.push_back(b.title);
    return t;
  }

  forms::MemoryApplication app;
  FakeSystem sys;
};

// The site link (end to end) keeps the wizard; the product link opens the other
// page than it shows and ends.
TEST_F(Links, ProductLinkOpensTheOtherPageThanItShowsAndEnds) {
  frmBackup& f = start();
  EXPECT_TRUE(ends([&] { f.control("Label8").userClick(); }));
  ASSERT_EQ(sys.shell.executed.size(), 1u);
  const auto& e = sys.shell.executed[0];
  EXPECT_EQ(e.operation + "|" + e.file + "|" + e.parameters + "|" + std::to_string(e.showCommand),
            "open|" + sys.shell.browser + "|" + kHost + "/16bit.htm|1");
  EXPECT_EQ(e.owner, app.windowHandle(f));
  EXPECT_EQ(sys.shell.lookedUp, (std::vector<std::string>{"\"<HTML> <\\HTML>\"\r\n"}));
  EXPECT_EQ(f.control("Label8").caption(), kHost + "/corvfx16bit.htm");
}

// What the shell answers (FindExecutable, the browser path it gives, ShellExecute)
// and what the site link then shows and starts.
struct ShellAnswer {
  std::intptr_t find;
  std::intptr_t execute;
  std::string browser;
  std::string siteLinkMessage;  // "title: prompt", or empty
  const char* started;          // the browser started, or nullptr
};

// Named for the test list (GoogleTest would otherwise print the raw bytes).
void PrintTo(const ShellAnswer& a, std::ostream* os) { *os << a.find << "/" << a.execute; }

class ShellAnswers : public Links, public ::testing::WithParamInterface<ShellAnswer> {};

TEST_P(ShellAnswers, DecideTheMessages) {
  sys.shell.findResult = GetParam().find;
  sys.shell.executeResult = GetParam().execute;
  sys.shell.browser = GetParam().browser;
  frmBackup& f = start();
  f.Label17_Click();
  std::string shown;
  for (const auto& box : app.shownMessageBoxes) {
    shown += box.title + ": " + box.prompt;
    EXPECT_EQ(box.style, forms::vbOKOnly | forms::vbExclamation);
  }
  EXPECT_EQ(shown, GetParam().siteLinkMessage);
  ASSERT_EQ(sys.shell.executed.size(), GetParam().started ? 1u : 0u);
  if (GetParam().started) {
    EXPECT_EQ(sys.shell.executed[0].file, GetParam().started);
  }
  // The product link never reports a failed start.
  app.shownMessageBoxes.clear();
  ends([&] { f.Label8_Click(); });
  if (!GetParam().started)
    EXPECT_EQ(titles(), std::vector<std::string>{"Browser Not Found"});
  else
    EXPECT_TRUE(titles().empty());
}

const char kBrowser[] = "C:\\b.exe";
const char kNotFound[] = "Browser Not Found: Could not find associated Browser";
const char kFailed[] = "URL Failed: Web Page not Opened";

INSTANTIATE_TEST_SUITE_P(
    Links, ShellAnswers,
    ::testing::Values(ShellAnswer{42, 42, kBrowser, "", kBrowser},
                      ShellAnswer{33, 33, kBrowser, "", kBrowser},
                      ShellAnswer{33, 32, kBrowser, kFailed, kBrowser},
                      ShellAnswer{42, 2, kBrowser, kFailed, kBrowser},
                      ShellAnswer{32, 42, kBrowser, kNotFound, nullptr},
                      ShellAnswer{31, 42, kBrowser, kNotFound, nullptr},
                      ShellAnswer{-1, 42, kBrowser, kNotFound, nullptr},
                      // Blanks around the path go; a path of blanks is no browser.
                      ShellAnswer{42, 42, "  C:\\b.exe ", "", kBrowser},
                      ShellAnswer{42, 42, "   ", kNotFound, nullptr}));

TEST_F(Links, NoScratchPageMeansNoBrowserAndFinishStillEnds) {
  sys.shell.canCreateScratch = false;
  frmBackup& f = start();
  EXPECT_TRUE(ends([&] { f.cmdFinish_Click(); }));
  EXPECT_EQ(titles(), std::vector<std::string>{"Browser Not Found"});
  EXPECT_TRUE(sys.shell.executed.empty());
}

}  // namespace
