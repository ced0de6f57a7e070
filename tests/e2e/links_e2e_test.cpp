// The links and Finish of the real corva16.exe under Wine, with a recording fake
// browser registered for .htm files in the test prefix. What the wizard tells when
// the shell finds no browser is a native test.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "e2e/E2eSupport.h"

using e2e::FakeBrowser;
using e2e::tempFolder;
using e2e::Wizard;

namespace {

const char kHost[] = "www.corvane.com";

// Scratch pages the program may have left in the user's temporary folder.
std::vector<std::string> scratchPages() {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(tempFolder()))
    if (lstrcmpiA(e.path().extension().string().c_str(), ".htm") == 0)
      names.push_back(e.path().filename().string());
  return names;
}

// The site link on page 0 opens the host and keeps the wizard; Finish with the box
// ticked opens it again and ends.
TEST(LinksE2e, SiteLinkAndFinishOpenTheHost) {
  const auto before = scratchPages();
  FakeBrowser browser;
  Wizard w;
  ASSERT_TRUE(w.window());
  // Label17 lies at 2520, 3240 twips of the form (its page starts 1680 left of it),
  // the plain text "Created by" just above it. The pointer over the link is another
  // than over the text, the hand (the handles of system cursors differ per process).
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
