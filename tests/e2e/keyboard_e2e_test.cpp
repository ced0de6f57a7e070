// The wizard under xdotool's keyboard and mouse; its links open a recording fake browser.
#include <gtest/gtest.h>

#include "e2e/E2eSupport.h"

#include <oleacc.h>

#include <sstream>
#include <vector>

using e2e::Wizard;

namespace {

const std::string kTemp = (std::filesystem::temp_directory_path() / "").string();

// The recorder registered as the program for .htm files while this lives.
class FakeBrowser {
 public:
  FakeBrowser() {
    DeleteFileA(log_.c_str());
    SetEnvironmentVariableA("CORVA_RECORD", log_.c_str());
    regtest::put(HKEY_CLASSES_ROOT, ".htm", "", REG_SZ, std::string("CorvaTestPage") + '\0');
    regtest::put(HKEY_CLASSES_ROOT, "CorvaTestPage\\shell\\open\\command", "", REG_SZ,
                 "\"" + e2e::envPath("CORVA_RECORDER") + "\" \"%1\"" + '\0');
  }
  ~FakeBrowser() {
    SHDeleteKeyA(HKEY_CLASSES_ROOT, "CorvaTestPage");
    SHDeleteKeyA(HKEY_CLASSES_ROOT, ".htm");
    SetEnvironmentVariableA("CORVA_RECORD", nullptr);
    DeleteFileA(log_.c_str());
  }
  // The unquoted parameters of each start, once there are this many.
  std::vector<std::string> starts(std::size_t count) const {
    std::vector<std::string> parameters;
    automation::waitFor(
        [&] {
          parameters.clear();
          std::istringstream lines(e2e::readFile(log_));
          for (std::string line; std::getline(lines, line);) {
            const std::size_t at = line.find_first_not_of("\" ", line.find(".exe") + 4);
            parameters.push_back(line.substr(at, line.find('|') - at));
          }
          return parameters.size() >= count;
        },
        10000);
    return parameters;
  }

 private:
  const std::string log_ = kTemp + "corva-browser.log";
};

// The captions the focus visits from here on, one Tab at a time.
std::string tabWalk(const Wizard& w, int presses) {
  std::string seen = w.focus();
  for (int i = 0; i < presses; ++i) {
    const std::string before = w.focus();
    EXPECT_TRUE(w.keys("Tab"));
    // xdotool is done once the key is sent; the wizard takes it a moment later.
    automation::waitFor([&] { return w.focus() != before; }, 2000);
    seen += "|" + w.focus();
  }
  return seen;
}

const char kProductLink[] = "www.corvane.com/corvfx16bit.htm";
const char kSiteLink[] = "www.corvane.com";

// A screen reader finds these texts in the form with this role, or kHidden: out of sight.
constexpr long kHidden = -1;
void expectRoles(const Wizard& w, long expected, std::initializer_list<std::string> texts) {
  std::map<std::string, long> r;
  std::vector<HWND> windows{w.window()};
  for (const auto& d : automation::descendants(w.window())) windows.push_back(d.hwnd);
  for (HWND h : windows)
    for (const auto& c : automation::readAccessible(h).children) {
      long& role = r[c.name];
      if (!(c.state & STATE_SYSTEM_INVISIBLE) || !role)
        role = c.state & STATE_SYSTEM_INVISIBLE ? kHidden : c.role;
    }
  for (const std::string& text : texts) EXPECT_EQ(r[text], expected) << text;
}

// Without a window manager a window may stay inactive: true once it kept the keyboard 1 s.
bool settleFocus(const Wizard& w) {
  DWORD heldSince = 0;
  return automation::waitFor(
      [&] {
        if (w.focus() == "none") {
          heldSince = 0;
          automation::focusForRealInput(w.window());
          return false;
        }
        if (!heldSince) heldSince = GetTickCount();
        return GetTickCount() - heldSince >= 1000;
      },
      15000);
}

// Enter, then Alt+N on each page; only what can be seen takes the focus, links included.
TEST(KeyboardE2e, WalkThroughWithKeysOnly) {
  e2e::removeTargets();
  FakeBrowser browser;
  Wizard w;
  automation::NameChanges changes(w.pid());
  ASSERT_TRUE(settleFocus(w));
  EXPECT_EQ(automation::readAccessible(w.window()).name, "Corvane");
  expectRoles(w, ROLE_SYSTEM_STATICTEXT, {"Learn more about Corvane 16-bit MS-DOS Subsystem"});
  expectRoles(w, ROLE_SYSTEM_GRAPHIC, {"Corvane logo", "Wrench and screen"});
  expectRoles(w, ROLE_SYSTEM_LINK, {kProductLink, kSiteLink});
  EXPECT_EQ(tabWalk(w, 4),
            std::string("Cancel|&Next >|") + kProductLink + "|" + kSiteLink + "|Cancel")
      << "page 0";
  // Enter on the site link opens it as a click does; Tab goes on to Next.
  ASSERT_TRUE(w.keys("shift+Tab Return"));
  EXPECT_EQ(browser.starts(1), std::vector<std::string>{kSiteLink});
  ASSERT_TRUE(settleFocus(w));  // after the browser's start
  ASSERT_TRUE(w.keys("Tab Tab"));
  ASSERT_TRUE(automation::waitFor([&] { return w.focus() == "&Next >"; }, 2000)) << w.focus();
  ASSERT_TRUE(w.keys("Return"));
  ASSERT_TRUE(w.waitForButtons("-CN-", 10000)) << w.buttons();
  EXPECT_EQ(w.page(), 1);
  w.screenshot("page1");
  EXPECT_TRUE(changes.waitFor("Found XP CD on E:\\", 5000));
  expectRoles(
      w, ROLE_SYSTEM_STATICTEXT,
      {"Found XP CD on E:\\", "Step 1", "Please insert your Windows XP Operating System CD"});
  expectRoles(w, kHidden, {kSiteLink, "Click Next to begin fix"});
  EXPECT_EQ(tabWalk(w, 2), "Cancel|&Next >|Cancel") << "page 1";
  ASSERT_TRUE(w.keys("alt+n"));
  ASSERT_TRUE(automation::waitFor([&] { return w.page() == 2; }, 5000));
  Sleep(500);
  EXPECT_EQ(w.buttons(), "-CN-");
  w.screenshot("page2");
  expectRoles(w, ROLE_SYSTEM_STATICTEXT,
              {"Ready to start repairing the 16-bit MS-DOS Subsystem", "Step 2"});
  EXPECT_EQ(tabWalk(w, 2), "Cancel|&Next >|Cancel") << "page 2";
  ASSERT_TRUE(w.keys("alt+n"));
  ASSERT_TRUE(w.waitForButtons("---F", 60000)) << w.buttons();
  EXPECT_TRUE(automation::waitFor(
      [&] { return automation::foregroundWindow() == w.window() && w.focus() == "&Finish"; }, 5000))
      << "focus: " << w.focus();
  EXPECT_EQ(w.page(), 5);
  w.screenshot("page5");
  EXPECT_TRUE(e2e::allWritten());
  expectRoles(w, ROLE_SYSTEM_STATICTEXT,
              {"has been fixed! Please try your 16 bit application now. "});
  expectRoles(w, ROLE_SYSTEM_LINK, {kSiteLink});
  EXPECT_EQ(tabWalk(w, 3), std::string("&Finish|") + kSiteLink +
                               "|Check out our other solutions and products |&Finish");
  ASSERT_TRUE(w.keys("Escape"));
  Sleep(500);
  EXPECT_TRUE(w.running()) << "Escape does nothing while Cancel is off";
  // Space opens the link and unticks the visit; Enter on Finish then opens no browser.
  ASSERT_TRUE(w.keys("Tab space"));
  EXPECT_EQ(browser.starts(2), (std::vector<std::string>{kSiteLink, kSiteLink}));
  ASSERT_TRUE(settleFocus(w));
  ASSERT_TRUE(w.keys("Tab space Tab"));
  HWND visit = w.child("Check out our other solutions and products ");
  EXPECT_EQ(SendMessageA(visit, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  ASSERT_TRUE(w.keys("Return"));
  EXPECT_TRUE(w.wait(10000));
  EXPECT_EQ(browser.starts(3).size(), 2u);
}

// Tab enters the option group at the chosen one, arrow keys move the choice.
TEST(KeyboardE2e, ChooserWithKeysOnly) {
  FakeBrowser browser;
  Wizard w(e2e::envPath("CORVA_QUILLSAFE"));
  ASSERT_TRUE(settleFocus(w));
  EXPECT_EQ(automation::readAccessible(w.window()).name, "Quillsafe");
  expectRoles(w, ROLE_SYSTEM_STATICTEXT, {"Welcome to Quillsafe ", "For WordPerfect 12"});
  expectRoles(w, ROLE_SYSTEM_LINK, {"www.corvane.com/quillbk12.htm"});
  expectRoles(w, kHidden, {"Label1"});  // it lies below the form
  const std::string backup = "Backup WordPerfect customized settings and files";
  const std::string restore = "Restore WordPerfect customized settings and files";
  EXPECT_EQ(tabWalk(w, 4), "Cancel|" + backup + "|Start|www.corvane.com/quillbk12.htm|Cancel");
  const auto chosen = [&](const std::string& option) {
    return SendMessageA(w.child(option), BM_GETCHECK, 0, 0) == BST_CHECKED;
  };
  ASSERT_TRUE(w.keys("Tab Down"));
  EXPECT_TRUE(automation::waitFor([&] { return chosen(restore) && w.focus() == restore; }, 2000));
  EXPECT_EQ(tabWalk(w, 2), restore + "|Start|www.corvane.com/quillbk12.htm");
  ASSERT_TRUE(w.keys("Return"));
  EXPECT_EQ(browser.starts(1), std::vector<std::string>{"http://www.corvane.com/quillbk12.htm"});
  ASSERT_TRUE(settleFocus(w));
  ASSERT_TRUE(w.keys("shift+Tab shift+Tab Up"));
  EXPECT_TRUE(automation::waitFor([&] { return chosen(backup) && w.focus() == backup; }, 2000));
}

// A click leaves Next disabled or covered with the focus; the keys must still act.
TEST(KeyboardE2e, EscapeAfterMouseClicksOnNextEndsTheProgramOnPages0To2) {
  for (int page = 0; page <= 2; ++page) {
    SCOPED_TRACE("page " + std::to_string(page));
    Wizard w;
    ASSERT_TRUE(settleFocus(w));
    for (int clicks = 0; clicks < page; ++clicks) {
      ASSERT_TRUE(automation::realClick(w.next()));
      ASSERT_TRUE(automation::waitFor([&] { return w.page() == clicks + 1; }, 5000));
      ASSERT_TRUE(w.waitForButtons("-CN-", 10000)) << w.buttons();
    }
    EXPECT_NE(w.focus(), "none");
    ASSERT_TRUE(w.keys("Escape"));
    EXPECT_TRUE(w.wait(10000));
  }
}

// Scratch pages the program may have left in the user's temporary folder.
std::vector<std::string> scratchPages() {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(kTemp))
    if (lstrcmpiA(e.path().extension().string().c_str(), ".htm") == 0)
      names.push_back(e.path().filename().string());
  return names;
}

// A centred tool window a second start brings forward; its link and Finish open the host.
TEST(WizardE2e, OneCentredToolWindowThatASecondStartBringsToTheFrontItsLinksOpenTheHost) {
  const auto before = scratchPages();
  FakeBrowser browser;
  Wizard w;
  RECT client{}, outer{};
  GetClientRect(w.window(), &client);
  GetWindowRect(w.window(), &outer);
  EXPECT_EQ(client.right, 429);
  EXPECT_EQ(client.bottom, 306);
  EXPECT_EQ(GetWindowLongA(w.window(), GWL_EXSTYLE) & (WS_EX_TOOLWINDOW | WS_EX_APPWINDOW),
            WS_EX_TOOLWINDOW);
  EXPECT_FALSE(GetWindowLongA(w.window(), GWL_STYLE) &
               (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  EXPECT_EQ(automation::windowText(w.window()), "");
  const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_LE(std::abs((outer.left + outer.right) - cx), 2);
  EXPECT_LE(std::abs((outer.top + outer.bottom) - cy), 2);
  EXPECT_EQ(w.buttons(), "-CN-");
  w.screenshot("page0");
  HWND other = CreateWindowA("STATIC", "another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                             200, 100, nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(other);
  ASSERT_EQ(automation::foregroundWindow(), other);
  Wizard second(e2e::envPath("CORVA_EXE"), 0);
  EXPECT_TRUE(second.wait(20000));
  EXPECT_EQ(automation::findTopLevel(second.pid(), "CorvaForm", 0), nullptr);
  EXPECT_EQ(automation::foregroundWindow(), w.window());
  DestroyWindow(other);
  // Over Label17 (2520, 3240 twips) the pointer is the hand, not the one over "Created by".
  const auto pointerAt = [&](int twipsLeft, int twipsTop) {
    POINT at{twipsLeft / 15 + 20, twipsTop / 15 + 8};
    ClientToScreen(w.window(), &at);
    automation::realInput("mousemove " + std::to_string(at.x) + " " + std::to_string(at.y));
    CURSORINFO cursor{};
    cursor.cbSize = sizeof cursor;
    Sleep(300);
    return GetCursorInfo(&cursor) ? cursor.hCursor : nullptr;
  };
  ASSERT_TRUE(automation::focusForRealInput(w.window()));
  const HCURSOR overText = pointerAt(2520, 2760);
  EXPECT_NE(pointerAt(2520, 3240), overText);
  EXPECT_EQ(pointerAt(2520, 2760), overText);
  automation::clickAt(w.window(), 2520 / 15 + 20, 3240 / 15 + 8);
  EXPECT_EQ(browser.starts(1), std::vector<std::string>{kSiteLink});
  Sleep(300);
  EXPECT_TRUE(w.running());
  EXPECT_EQ(w.buttons(), "-CN-");
  EXPECT_EQ(scratchPages(), before) << "no scratch page is left behind";
  EXPECT_EQ(GetFileAttributesA("C:\\temphtm.HTM"), INVALID_FILE_ATTRIBUTES)
      << "nothing is written to the root of C:";

  ASSERT_TRUE(w.repairToFinish()) << w.buttons();
  automation::clickButton(w.finish());
  EXPECT_TRUE(w.wait(10000));
  EXPECT_EQ(browser.starts(2), (std::vector<std::string>{kSiteLink, kSiteLink}));
  EXPECT_EQ(scratchPages(), before);
}

}  // namespace
