// The running wizard must not gain GDI objects, USER objects, kernel handles or
// private memory from what it repeats: its timer ticks (1,000 of them, both paths:
// the CD goes and comes back) and repaints of the whole window (100). Under Wine
// GetGuiResources answers 0 for every process, so the counts come from
// bench/ProcessCounters.h: the process's GDI handle table, its windows, the
// system's process list and the Linux process behind it.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <sstream>

#include "bench/ProcessCounters.h"
#include "e2e/E2eSupport.h"

using e2e::Wizard;

namespace {

// GDI objects, USER objects, kernel handles, private memory in kB (-1: unknown).
using Counts = std::array<long, 4>;

// Heap growth comes in blocks; a leak of a few hundred bytes a tick over 1,000
// ticks would pass this, the counts would not.
constexpr long kPrivateToleranceKb = 256;

void expectNoGrowth(const Counts& before, const Counts& after) {
  std::ostringstream both;
  both << "gdi, user, handles, private kB:";
  for (int i = 0; i < 4; ++i) both << " " << before[i] << "->" << after[i];
  for (int i = 0; i < 3; ++i) EXPECT_LE(after[i], before[i]) << both.str();
  if (before[3] >= 0 && after[3] >= 0) {
    EXPECT_LE(after[3] - before[3], kPrivateToleranceKb) << both.str();
  }
}

TEST(HandlesE2e, ThousandTicksAndHundredRepaintsOnPage1) {
  // The counter itself must see objects come and go, or equal counts prove nothing.
  const auto own = counters::gdiObjects(GetCurrentProcess());
  ASSERT_TRUE(own) << "the GDI handle table cannot be read";
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  EXPECT_EQ(counters::gdiObjects(GetCurrentProcess()).value_or(-1), *own + 1);
  DeleteObject(brush);

  Wizard w;
  ASSERT_TRUE(w.window());
  const auto unixProcess = counters::LinuxProcess::find("corva16.exe");
  automation::clickButton(w.next());  // page 0 -> 1
  ASSERT_TRUE(w.waitForButtons("-CN-", 10000)) << "the CD was not found: " << w.buttons();

  // The hidden timeout box sets the timer's interval, as typing into it would.
  HWND timeout = nullptr;
  for (const auto& c : automation::descendants(w.window()))
    if (c.className == "Edit" && c.text == "1000") timeout = c.hwnd;
  ASSERT_TRUE(timeout) << "no text box holds the timer's 1000 ms";
  auto setInterval = [&](const char* ms) { SetWindowTextA(timeout, ms); };
  // Returns once the wizard has handled everything sent before it.
  auto settle = [&] {
    SendMessageTimeoutA(w.window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
  };
  // Counts with the timer stopped, once two readings 200 ms apart agree: a paint
  // still under way has objects of its own that are gone a moment later.
  auto quietCounts = [&] {
    setInterval("0");
    settle();
    Counts last{-1, -1, -1, -1};
    for (int attempt = 0; attempt < 20; ++attempt, Sleep(200)) {
      const Counts now{counters::gdiObjects(w.process()).value_or(-1),
                       counters::userObjects(w.process(), w.pid()),
                       counters::kernelHandles(w.pid()).value_or(-1),
                       unixProcess ? unixProcess->statusKb("VmData").value_or(-1) : -1};
      const bool still = std::equal(now.begin(), now.begin() + 3, last.begin());
      last = now;
      if (still) break;
    }
    setInterval("10");
    return last;
  };
  setInterval("10");

  // One cycle: the CD goes, a tick disables Next; it comes back, a tick enables it.
  // Waits look every millisecond, so a thousand cycles fit in seconds.
  const std::string present = e2e::discFolder(), aside = present + ".aside";
  const struct PutBack {
    const std::string &from, &to;
    ~PutBack() { MoveFileA(from.c_str(), to.c_str()); }
  } putBack{aside, present};
  HWND next = w.next();
  auto cycle = [&] {
    return e2e::moveFolder(present, aside) &&
           automation::waitFor([&] { return !automation::isEnabled(next); }, 5000, 1) &&
           e2e::moveFolder(aside, present) &&
           automation::waitFor([&] { return automation::isEnabled(next); }, 5000, 1);
  };
  auto repaint = [&] {
    RedrawWindow(w.window(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    settle();
  };
  // First runs of each path may fill the wizard's caches of fonts and brushes.
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(cycle()) << "warm-up tick " << i;
  for (int i = 0; i < 5; ++i) repaint();
  const Counts before = quietCounts();

  int ticks = 0;
  while (ticks < 1000 && cycle()) ++ticks;
  ASSERT_EQ(ticks, 1000) << "buttons " << w.buttons() << ", running " << w.running();
  const Counts afterTicks = quietCounts();
  expectNoGrowth(before, afterTicks);

  for (int i = 0; i < 100; ++i) repaint();
  expectNoGrowth(afterTicks, quietCounts());
}

}  // namespace
