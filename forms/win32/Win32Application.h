#pragma once
// The Win32 realisation of the forms runtime: real windows, the real message loop,
// real message boxes.
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "forms/Forms.h"
#include "platform/win32/Handle.h"

namespace forms {

class Win32Application : public Application {
 public:
  explicit Win32Application(HINSTANCE instance = GetModuleHandleA(nullptr));
  ~Win32Application() override;

  std::unique_ptr<FormView> createView(Form& form) override;
  int msgBox(const std::string& prompt, unsigned style = vbOKOnly,
             const std::string& titleText = std::string()) override;
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
  int dpiX() const { return dpiX_; }
  int dpiY() const { return dpiY_; }
  // Twips to pixels by the display's real DPI, rounded to the nearest pixel.
  int toPixelsX(Twips t) const;
  int toPixelsY(Twips t) const;
  Twips toTwipsX(int px) const;
  Twips toTwipsY(int px) const;

  // Keyboard handling shared by run() and doEvents(): Escape, Tab and access keys.
  bool preTranslate(MSG& msg);
  // Called by views as forms come and go; the loop ends with the last one.
  void formDestroyed();
  void formCreated() { ++liveForms_; }
  // The hidden owner that keeps owned forms out of the taskbar.
  HWND hiddenOwner();
  // The font of a look, made once at the display's DPI and shared.
  HFONT font(const Font& f);

 private:
  HINSTANCE instance_;
  int dpiX_ = 96, dpiY_ = 96;
  int liveForms_ = 0;
  HWND hiddenOwner_ = nullptr;
  DWORD lastTick_ = 0;
  std::uint64_t tickHigh_ = 0;
  std::map<std::string, platform::GdiObject<HFONT>> fonts_;
  std::vector<std::function<void()>> idleWork_;
  UINT_PTR idleTimer_ = 0;
  static void CALLBACK runIdleWork(HWND, UINT, UINT_PTR, DWORD);
};

}  // namespace forms
