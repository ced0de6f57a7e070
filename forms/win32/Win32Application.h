#pragma once
// The Win32 realisation of the forms runtime: real windows, the real message loop,
// real message boxes.
#include <windows.h>

#include <exception>
#include <functional>
#include <utility>
#include <string>
#include <vector>

#include "forms/Forms.h"
#include "forms/win32/Win32Dpi.h"
#include "forms/win32/Win32Pictures.h"
#include "platform/win32/Handle.h"

namespace forms {

class Win32FormView;

class Win32Application : public Application {
 public:
  explicit Win32Application(HINSTANCE instance = GetModuleHandleA(nullptr));
  ~Win32Application() override;

  std::unique_ptr<FormView> createView(Form& form) override;
  int msgBox(std::string_view prompt, unsigned style = vbOKOnly,
             std::string_view titleText = {}) override;
  void doEvents() override;
  void waitForMessages(int ms) override;
  void whenIdle(std::function<void()> work) override;
  std::uint64_t milliseconds() override;
  Twips screenWidth() const override;
  Twips screenHeight() const override;
  std::uintptr_t windowHandle(const Form& form) const override;
  [[noreturn]] void endProcess() override;
  int run() override;

  HINSTANCE instance() const { return instance_; }
  // The child window of a windowed control of a shown form (nullptr otherwise).
  HWND controlWindow(const Control& control) const;

  // --- For the views ---------------------------------------------------------------
  const Dpi& dpi() const { return dpi_; }
  PictureCache& pictures() { return pictures_; }
  // The font of a look, made once at the display's DPI and shared.
  HFONT font(const Font& f);
  // The hidden owner that keeps owned forms out of the taskbar.
  HWND hiddenOwner();
  // The forms that have a window, in the order they were made.
  const std::vector<Win32FormView*>& views() const { return views_; }
  void formCreated(Win32FormView& view) { views_.push_back(&view); }
  // The main loop ends when no form a person can see is left.
  void formDestroyed(Win32FormView& view);

  // The one message loop, run while `more` holds: the main one, the one of a modal
  // form, or doEvents', which takes only what is queued. Keys reach the form first.
  // The quit message ends every loop; one inside another leaves it for the main one.
  enum class Loop { Main, Modal, Queued };
  void pumpMessages(Loop loop, const std::function<bool()>& more);

 private:
  // Escape, Enter, Tab and access keys, acted on before the message is dispatched.
  bool actOnKey(const MSG& msg);
  static bool moveInGroup(Win32FormView& view, bool backwards);
  static void CALLBACK runIdleWork(HWND, UINT, UINT_PTR, DWORD);

  HINSTANCE instance_;
  Dpi dpi_;
  PictureCache pictures_;
  std::vector<Win32FormView*> views_;
  HWND hiddenOwner_ = nullptr;
  DWORD lastTick_ = 0;
  std::uint64_t tickHigh_ = 0;
  std::vector<std::pair<Font, platform::GdiObject<HFONT>>> fonts_;  // a handful
  std::vector<std::function<void()>> idleWork_;
  UINT_PTR idleTimer_ = 0;
};

// Reports an error that escaped an event handler, as the runtime does, and ends.
[[noreturn]] void endWithError(const char* what);

// Runs what an event calls: no C++ exception may cross into user32.
template <typename F>
auto guarded(F&& event) noexcept -> decltype(event()) {
  try {
    return event();
  } catch (const std::exception& e) {
    endWithError(e.what());
  } catch (...) {
    endWithError(nullptr);
  }
}

}  // namespace forms
