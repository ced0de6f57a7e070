#pragma once
// The view of one form: its window and the windows of its controls, their painting,
// the focus, and the messages they get.
#include <windows.h>

#include <deque>
#include <map>
#include <vector>

#include "forms/Forms.h"
#include "forms/win32/Win32Application.h"
#include "platform/win32/Handle.h"

namespace forms {

class Win32Accessible;

class Win32FormView : public FormView {
 public:
  Win32FormView(Win32Application& app, Form& form);
  ~Win32FormView() override { destroy(); }

  void create() override;
  void show(Modality modality) override;
  void hide() override;
  void destroy() override;
  void controlChanged(Control& control, Property property) override;
  void formMoved() override;
  void captionChanged() override;
  void setFocus(Control& control) override;
  Twips frameWidth() const override { return frameWidth_; }
  Twips frameHeight() const override { return frameHeight_; }

  static void registerClasses(HINSTANCE instance);
  // The view whose form has this window (nullptr for any other window).
  static Win32FormView* ofWindow(HWND h);
  HWND hwnd() const { return hwnd_; }
  Form& form() { return form_; }
  HWND windowOf(const Control* c) const;
  Control* controlOf(HWND h) const;
  // The control with the keyboard focus, a link included (its container's window
  // holds the focus for it), and the focus moved to one (nullptr: the form).
  Control* focused() const;
  void focusOn(Control* c);

 private:
  friend class Win32Accessible;
  // What a window of the view shows: the form itself, or a container control.
  struct Part {
    Win32FormView* view;
    const Control* container;
  };
  static LRESULT CALLBACK windowProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT handle(HWND h, const Control* container, UINT msg, WPARAM wp, LPARAM lp);

  HWND containerWindow(const Control* container) const {
    return container ? windowOf(container) : hwnd_;
  }
  bool inView(const Control& c) const;
  void createChildren(const Control* container);
  void revealIn(const Control* container);
  void makeTheRest(const Control* container);
  void createWindowFor(Control& c, HWND parent);
  void applyZOrder(const Control* container);
  void invalidateContainerOf(const Control& c);
  void restartTimer(Control& c);
  void fillList(Control& c);
  void enableOthers();
  RECT pixelRect(const Control& c) const;
  HFONT fontFor(const Control& c) { return app_.font(c.font()); }

  // Painting, in Win32FormPaint.cpp.
  static COLORREF colorRef(Color c);
  HBRUSH brushFor(Color color);
  void paint(HWND h, const Control* container);
  void paintControl(HDC dc, const Control& c);
  // Where a painted control draws: an auto-sized label as large as its text.
  RECT drawnRect(HDC dc, const Control& c);
  Control* paintedControlAt(HWND h, const Control* container, POINT p);

  // What a screen reader reads, in Win32Accessible.cpp: the painted controls of a
  // container with something to say, in reading order (child 1 first).
  std::vector<const Control*> readable(const Control* container) const;
  LRESULT accessibleObject(HWND h, const Control* container, WPARAM wp);
  // Tells assistive tools of a change to a painted control: EVENT_OBJECT_*.
  void notify(DWORD event, const Control& c);
  void releaseAccessibles();

  void keepFocus(HWND hadFocus);
  void comeToFront();
  void reclaimForeground();

  Win32Application& app_;
  const Dpi& dpi_;
  Form& form_;
  HWND hwnd_ = nullptr;
  Part whole_;
  std::deque<Part> containers_;
  Twips frameWidth_ = 0, frameHeight_ = 0;
  std::map<const Control*, HWND> windows_;
  std::map<HWND, Control*> controls_;
  std::map<Color, platform::GdiObject<HBRUSH>> brushes_;
  std::map<UINT_PTR, Control*> timers_;
  Control* pressed_ = nullptr;
  HWND focusWindowOf(const Control* c) const {
    return c && c->isLink() ? containerWindow(c->container()) : windowOf(c);
  }
  // The link that has, or last had, the focus.
  Control* focusedLink_ = nullptr;
  // The control that had the focus when the window was last active.
  Control* lastFocus_ = nullptr;
  static constexpr UINT_PTR kReclaimTimer = 1;  // control timers use control addresses
  static constexpr UINT_PTR kRestTimer = 2;
  static constexpr DWORD kReclaimMs = 3000;
  DWORD reclaimUntil_ = 0;
  bool settingText_ = false;
  bool allMade_ = false;
  // Whether the form has been on the screen: its first painting needs no canvas.
  bool onScreen_ = false;
  bool destroyed_ = false;
  std::vector<Win32Accessible*> accessibles_;
  // The windows this form disabled while it is shown modally.
  std::vector<HWND> disabledByModal_;
};

}  // namespace forms
