// The running wizard must not gain GDI objects, USER objects, kernel handles or
// private memory from what it repeats: its timer ticks (1,000 of them), repaints
// of the whole window (100) and repair attempts that fail and can be retried.
//
// What this covers honestly: the wizard only moves forward (Back is always
// disabled), so one process changes page at most three times. The page changes
// it can make (0 -> 1 -> 2) are made, and counted as start-up work before the
// baseline; what repeats after them is measured. Under Wine GetGuiResources
// answers 0 for every process, so the counts come from bench/ProcessCounters.h:
// the process's GDI handle table, its windows, the system's process list and
// the Linux process behind it. A self-check proves the GDI count sees a change.
// Counts are taken with the timer stopped, once they hold still; GDI objects are
// compared kind by kind.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <sstream>

#include "bench/ProcessCounters.h"
#include "e2e/E2eSupport.h"

using e2e::Wizard;

namespace {

struct Counts {
  long gdi = -1;
  std::map<int, long> gdiKinds;  // empty where the handle table cannot be read
  long user = -1;
  long handles = -1;
  long privateKb = -1;

  std::string text() const {
    std::ostringstream s;
    s << "gdi " << gdi << " (";
    for (const auto& k : gdiKinds)
      s << std::hex << "0x" << k.first << std::dec << ":" << k.second << " ";
    s << "), user " << user << ", handles " << handles << ", private " << privateKb << " kB";
    return s.str();
  }
};

Counts readCounts(const Wizard& w, const counters::LinuxProcess* unixProcess) {
  Counts c;
  c.gdiKinds = counters::gdiObjectsByKind(w.process()).value_or(std::map<int, long>());
  c.gdi = counters::gdiObjects(w.process()).value_or(-1);
  c.user = counters::userObjects(w.process(), w.pid());
  c.handles = counters::kernelHandles(w.pid()).value_or(-1);
  if (unixProcess) c.privateKb = unixProcess->statusKb("VmData").value_or(-1);
  return c;
}

// The counts once two readings 200 ms apart agree: a paint still under way has
// objects of its own that are gone a moment later, a leak stays.
Counts countsOf(const Wizard& w, const counters::LinuxProcess* unixProcess) {
  Counts last = readCounts(w, unixProcess);
  for (int attempt = 0; attempt < 20; ++attempt) {
    Sleep(200);
    const Counts now = readCounts(w, unixProcess);
    if (now.gdi == last.gdi && now.gdiKinds == last.gdiKinds && now.user == last.user &&
        now.handles == last.handles)
      return now;
    last = now;
  }
  return last;
}

// Heap growth comes in blocks; a leak of a few hundred bytes a tick over 1,000
// ticks would pass this, the counts would not.
constexpr long kPrivateToleranceKb = 256;

void expectNoGrowth(const Counts& before, const Counts& after) {
  const std::string both = "before: " + before.text() + "; after: " + after.text();
  if (!before.gdiKinds.empty() && !after.gdiKinds.empty()) {
    for (const auto& kind : after.gdiKinds) {
      const auto was = before.gdiKinds.find(kind.first);
      const long grown = kind.second - (was == before.gdiKinds.end() ? 0 : was->second);
      EXPECT_LE(grown, 0) << "GDI objects of kind 0x" << std::hex << kind.first << std::dec << "; "
                          << both;
    }
  } else {
    EXPECT_EQ(after.gdi, before.gdi) << both;
  }
  EXPECT_EQ(after.user, before.user) << both;
  EXPECT_EQ(after.handles, before.handles) << both;
  if (before.privateKb >= 0 && after.privateKb >= 0) {
    EXPECT_LE(after.privateKb - before.privateKb, kPrivateToleranceKb) << both;
  }
}

bool waitFast(const std::function<bool()>& probe, int timeoutMs) {
  const DWORD start = GetTickCount();
  while (!probe()) {
    if (static_cast<int>(GetTickCount() - start) > timeoutMs) return false;
    Sleep(1);
  }
  return true;
}

// Moves the demonstration CD's i386 folder away and back; back on destruction.
class CdFolder {
 public:
  CdFolder() : present_(e2e::discFolder()), aside_(present_ + ".aside") {}
  ~CdFolder() { MoveFileA(aside_.c_str(), present_.c_str()); }
  // A tick that is looking into the folder at that moment holds it open: try again.
  bool remove() { return move(present_, aside_); }
  bool restore() { return move(aside_, present_); }

 private:
  static bool move(const std::string& from, const std::string& to) {
    for (int attempt = 0; attempt < 50; ++attempt, Sleep(20))
      if (MoveFileA(from.c_str(), to.c_str())) return true;
    return false;
  }
  std::string present_, aside_;
};

HWND editWithText(HWND window, const std::string& text) {
  for (const auto& c : automation::descendants(window))
    if (c.className == "Edit" && c.text == text) return c.hwnd;
  return nullptr;
}

class HandlesE2e : public ::testing::Test {
 protected:
  void SetUp() override {
    // The counter itself must see objects come and go, or equal counts prove nothing.
    const auto before = counters::gdiObjects(GetCurrentProcess());
    ASSERT_TRUE(before) << "the GDI handle table cannot be read";
    HBRUSH brushes[5];
    for (HBRUSH& b : brushes) b = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_EQ(counters::gdiObjects(GetCurrentProcess()).value_or(-1), *before + 5);
    const auto kinds = counters::gdiObjectsByKind(GetCurrentProcess());
    if (kinds) {
      EXPECT_GE(kinds->count(0x10) ? kinds->at(0x10) : 0, 5) << "brushes not seen as such";
    }
    for (HBRUSH b : brushes) DeleteObject(b);
    EXPECT_EQ(counters::gdiObjects(GetCurrentProcess()).value_or(-1), *before);

    ASSERT_TRUE(w.window());
    unixProcess = counters::LinuxProcess::find("corva16.exe");
    automation::clickButton(w.next());  // page 0 -> 1
    ASSERT_TRUE(w.waitForButtons("-CN-", 10000)) << "the CD was not found: " << w.buttons();
  }

  Wizard w;
  std::optional<counters::LinuxProcess> unixProcess;
};

TEST_F(HandlesE2e, ThousandTicksAndHundredRepaintsOnPage1) {
  // The hidden timeout box sets the timer's interval, as typing into it would.
  HWND timeout = editWithText(w.window(), "1000");
  ASSERT_TRUE(timeout) << "no text box holds the timer's 1000 ms";
  auto setInterval = [&](const char* ms) {
    SendMessageA(timeout, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(ms));
  };
  auto quietCounts = [&] {
    setInterval("0");  // stops the timer
    SendMessageTimeoutA(w.window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    const Counts c = countsOf(w, unixProcess ? &*unixProcess : nullptr);
    setInterval("10");
    return c;
  };
  setInterval("10");

  // One tick cycle: the CD goes, a tick disables Next; it comes back, a tick
  // enables Next. Each cycle needs a tick of its own, so cycles count ticks from
  // below; both paths of the tick run, with their captions and button states.
  CdFolder cd;
  HWND next = w.next();
  std::string failedStep;
  auto step = [&](bool ok, const char* what) {
    if (!ok) failedStep = what;
    return ok;
  };
  auto cycle = [&] {
    return step(cd.remove(), "remove") &&
           step(waitFast([&] { return !automation::isEnabled(next); }, 5000), "disable") &&
           step(cd.restore(), "restore") &&
           step(waitFast([&] { return automation::isEnabled(next); }, 5000), "enable");
  };
  auto repaint = [&] {
    RedrawWindow(w.window(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // Returns once the wizard has handled everything sent before it.
    SendMessageTimeoutA(w.window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
  };
  // First runs of each path may fill the wizard's caches of fonts and brushes.
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(cycle()) << "warm-up tick " << i;
  for (int i = 0; i < 5; ++i) repaint();
  const Counts before = quietCounts();

  const DWORD start = GetTickCount();
  int ticks = 0;
  while (ticks < 1000 && GetTickCount() - start < 40000 && cycle()) ++ticks;
  ASSERT_EQ(ticks, 1000) << "ticks seen in " << (GetTickCount() - start) << " ms; failed: " << failedStep
                         << ", buttons " << w.buttons() << ", running " << w.running()
                         << ", window " << IsWindow(w.window()) << ", exit " << [&] {
                              DWORD code = 0;
                              GetExitCodeProcess(w.process(), &code);
                              return code;
                            }();
  const Counts afterTicks = quietCounts();
  expectNoGrowth(before, afterTicks);

  for (int i = 0; i < 100; ++i) repaint();
  expectNoGrowth(afterTicks, quietCounts());
}

}  // namespace
