#pragma once
// The in-memory realisation of the forms runtime, for native tests: forms load,
// show and change state with no windows; message boxes are answered from a script;
// yields run a hook the test installs; time is a counter the test can read.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "forms/Forms.h"

namespace forms {

struct ShownMessageBox {
  std::string prompt;
  unsigned style;
  std::string title;  // as shown: the application's title when none was given
};

class MemoryApplication : public Application {
 public:
  ~MemoryApplication() override { releaseDefaultInstances(); }
  std::unique_ptr<FormView> createView(Form& form) override;
  int msgBox(std::string_view prompt, unsigned style = vbOKOnly,
             std::string_view titleText = {}) override;
  void doEvents() override;
  void waitForMessages(int ms) override;
  // Here the work waits for the next yield.
  void whenIdle(std::function<void()> work) override { idleWork_.push_back(std::move(work)); }
  std::uint64_t milliseconds() override { return clock; }
  Twips screenWidth() const override { return screenWidthTwips; }
  Twips screenHeight() const override { return screenHeightTwips; }
  std::uintptr_t windowHandle(const Form& form) const override;
  [[noreturn]] void endProcess() override;
  int run() override { return 0; }

  // Test controls.
  Twips screenWidthTwips = 15360;  // 1024 x 768 pixels at 96 DPI
  Twips screenHeightTwips = 11520;
  Twips frameWidthTwips = 0;
  Twips frameHeightTwips = 0;
  std::deque<int> msgBoxAnswers;  // answers in order; vbOK when the queue is empty
  std::vector<ShownMessageBox> shownMessageBoxes;
  std::function<void()> onDoEvents;  // runs inside each yield (not re-entered)
  int doEventsCount = 0;
  std::uint64_t clock = 0;          // advanced by waitForMessages
  std::function<void(int)> onWait;  // runs inside each wait
  bool ended = false;
  // Runs as the process ends, before the unwinding that only this realisation has.
  std::function<void()> onEndProcess;
  const Control* focused = nullptr;  // the control last given the focus

 private:
  bool inHook_ = false;
  std::vector<std::function<void()>> idleWork_;
};

}  // namespace forms
