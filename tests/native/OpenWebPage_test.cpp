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
// decides what the site link shows and starts; the product link only ever tells
// that no browser was found.
TEST_F(Links, ShellAnswersDecideTheMessages) {
  const char kBrowser[] = "C:\\b.exe";
  const std::string kNotFound = "Browser Not Found: Could not find associated Browser";
  const std::string kFailed = "URL Failed: Web Page not Opened";
  const struct {
    std::intptr_t find, execute;
    std::string browser, siteLinkMessage;  // "title: prompt", or empty
    bool started;
  } cases[] = {{42, 42, kBrowser, "", true},         {33, 33, kBrowser, "", true},
               {33, 32, kBrowser, kFailed, true},    {42, 2, kBrowser, kFailed, true},
               {32, 42, kBrowser, kNotFound, false}, {31, 42, kBrowser, kNotFound, false},
               {-1, 42, kBrowser, kNotFound, false},
               // Blanks around the path go; a path of blanks is no browser.
               {42, 42, "  C:\\b.exe ", "", true}, {42, 42, "   ", kNotFound, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.find) + "/" + std::to_string(c.execute) + " " + c.browser);
    sys.shell.findResult = c.find;
    sys.shell.executeResult = c.execute;
    sys.shell.browser = c.browser;
    sys.shell.executed.clear();
    app.shownMessageBoxes.clear();
    app.releaseDefaultInstances();
    frmBackup& f = start();
    f.Label17_Click();
    std::string shown;
    for (const auto& box : app.shownMessageBoxes) {
      shown += box.title + ": " + box.prompt;
      EXPECT_EQ(box.style, forms::vbOKOnly | forms::vbExclamation);
    }
    EXPECT_EQ(shown, c.siteLinkMessage);
    std::string started;
    for (const auto& e : sys.shell.executed) started += e.file;
    EXPECT_EQ(started, c.started ? kBrowser : "");
    app.shownMessageBoxes.clear();
    ends([&] { f.Label8_Click(); });
    EXPECT_EQ(titles(), c.started ? std::vector<std::string>{} : std::vector<std::string>{"Browser Not Found"});
  }
}

TEST_F(Links, NoScratchPageMeansNoBrowserAndFinishStillEnds) {
  sys.shell.canCreateScratch = false;
  frmBackup& f = start();
  EXPECT_TRUE(ends([&] { f.cmdFinish_Click(); }));
  EXPECT_EQ(titles(), std::vector<std::string>{"Browser Not Found"});
  EXPECT_TRUE(sys.shell.executed.empty());
}

}  // namespace
