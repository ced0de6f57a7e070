#include "forms/win32/Win32FormView.h"

#include <utility>

#include "platform/win32/LateBound.h"

namespace forms {

namespace {

const char kFormClass[] = "CorvaForm";
const char kContainerClass[] = "CorvaContainer";

}  // namespace

Win32FormView::Win32FormView(Win32Application& app, Form& form)
    : app_(app), dpi_(app.dpi()), form_(form), whole_{this, nullptr} {}

void Win32FormView::registerClasses(HINSTANCE instance) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  // Each size of the icon as it is drawn for that size; left to the system, the
  // small one would be shrunk from the large one.
  const auto icon = [instance](int metric) {
    const int size = GetSystemMetrics(metric);
    return static_cast<HICON>(
        LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON, size, size, LR_SHARED));
  };
  wc.hIcon = icon(SM_CXICON);
  wc.hIconSm = icon(SM_CXSMICON);
  wc.lpfnWndProc = windowProc;
  wc.lpszClassName = kFormClass;
  RegisterClassExA(&wc);
  wc.hIcon = wc.hIconSm = nullptr;
  wc.lpszClassName = kContainerClass;
  RegisterClassExA(&wc);
}

// Every window of a view carries the part it shows, from its first message to its last.
LRESULT CALLBACK Win32FormView::windowProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
    SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  const auto* part = reinterpret_cast<const Part*>(GetWindowLongPtrA(h, GWLP_USERDATA));
  if (msg == WM_NCDESTROY) SetWindowLongPtrA(h, GWLP_USERDATA, 0);
  if (!part) return DefWindowProcA(h, msg, wp, lp);
  // A handler may unload the form, and this view with it: nothing is touched after.
  return guarded([&] { return part->view->handle(h, part->container, msg, wp, lp); });
}

Win32FormView* Win32FormView::ofWindow(HWND h) {
  // Only windows of ours carry a part.
  if (GetWindowLongPtrA(h, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(windowProc)) return nullptr;
  const auto* part = reinterpret_cast<const Part*>(GetWindowLongPtrA(h, GWLP_USERDATA));
  return part && !part->container ? part->view : nullptr;
}

HWND Win32FormView::windowOf(const Control* c) const {
  auto it = windows_.find(c);
  return it == windows_.end() ? nullptr : it->second;
}

Control* Win32FormView::controlOf(HWND h) const {
  auto it = controls_.find(h);
  return it == controls_.end() ? nullptr : it->second;
}

Control* Win32FormView::focused() const {
  HWND focus = GetFocus();
  if (focusedLink_ && focus && focus == focusWindowOf(focusedLink_)) return focusedLink_;
  return controlOf(focus);
}

void Win32FormView::focusOn(Control* c) {
  HWND target = c ? focusWindowOf(c) : hwnd_;
  if (!target) return;
  Control* link = c && c->isLink() ? c : nullptr;
  // The container paints the focus rectangle of its link.
  for (Control* changed : {focusedLink_, link})
    if (changed) invalidateContainerOf(*changed);
  focusedLink_ = link;
  SetFocus(target);
  if (link) notify(EVENT_OBJECT_FOCUS, *link);
}

RECT Win32FormView::pixelRect(const Control& c) const {
  RECT r;
  r.left = dpi_.toPixelsX(c.left());
  r.top = dpi_.toPixelsY(c.top());
  r.right = r.left + dpi_.toPixelsX(c.width());
  r.bottom = r.top + dpi_.toPixelsY(c.height());
  return r;
}

void Win32FormView::create() {
  const FormBorder border = form_.border;
  const bool toolWindow =
      border == FormBorder::FixedToolWindow || border == FormBorder::SizableToolWindow;
  DWORD style = WS_CLIPCHILDREN;
  if (border == FormBorder::None)
    style |= WS_POPUP;
  else
    style |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  if (border == FormBorder::Sizable || border == FormBorder::SizableToolWindow)
    style |= WS_THICKFRAME;
  if (border == FormBorder::FixedSingle || border == FormBorder::Sizable) {
    if (form_.minButton) style |= WS_MINIMIZEBOX;
    if (form_.maxButton) style |= WS_MAXIMIZEBOX;
  }
  DWORD ex = WS_EX_CONTROLPARENT;
  if (border == FormBorder::FixedDialog) ex |= WS_EX_DLGMODALFRAME;
  if (toolWindow) ex |= WS_EX_TOOLWINDOW;
  HWND owner = nullptr;
  if (form_.showInTaskbar)
    ex |= WS_EX_APPWINDOW;
  else if (!toolWindow)
    owner = app_.hiddenOwner();  // an owned window gets no taskbar button
  RECT r{0, 0, dpi_.toPixelsX(form_.clientWidth), dpi_.toPixelsY(form_.clientHeight)};
  const RECT client = r;
  AdjustWindowRectEx(&r, style, FALSE, ex);
  frameWidth_ = dpi_.toTwipsX((r.right - r.left) - (client.right - client.left));
  frameHeight_ = dpi_.toTwipsY((r.bottom - r.top) - (client.bottom - client.top));
  int x = CW_USEDEFAULT, y = CW_USEDEFAULT;
  if (form_.startPosition == StartPosition::Manual) {
    x = dpi_.toPixelsX(form_.left());
    y = dpi_.toPixelsY(form_.top());
  } else if (form_.startPosition == StartPosition::CenterScreen) {
    x = (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
    y = (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
  }
  hwnd_ = CreateWindowExA(ex, kFormClass, form_.caption.c_str(), style, x, y, r.right - r.left,
                          r.bottom - r.top, owner, nullptr, app_.instance(), &whole_);
  if (!hwnd_) throw platform::Error("cannot create the window of " + form_.name());
  app_.formCreated(*this);
  RECT placed{};
  GetWindowRect(hwnd_, &placed);
  form_.setPosition(dpi_.toTwipsX(placed.left), dpi_.toTwipsY(placed.top));
  createChildren(nullptr);
  for (const auto& c : form_.controls())
    if (c->kind() == ControlKind::Timer) restartTimer(*c);
}

// Every window costs its making and its painting, so a form first shows with the
// windows of the controls a person can see. Those hidden, or wholly covered by a
// window stacked above them (the pages behind the one in front), live in the model
// alone, which keeps all their state, until they come into view (revealIn) or the
// form has been shown and is idle (makeTheRest), whichever comes first.
bool Win32FormView::inView(const Control& c) const {
  return c.visible() && !form_.coveredBySibling(c);
}

void Win32FormView::createChildren(const Control* container) {
  HWND parent = containerWindow(container);
  for (Control* c : form_.stacking(container)) {
    if (!isWindowed(c->kind()) || !inView(*c)) continue;
    createWindowFor(*c, parent);
    if (isContainerKind(c->kind())) createChildren(c);
  }
  applyZOrder(container);
}

// Makes the windows still missing in a container and all it holds, each with its
// state as it is now, hidden or covered as the model has it.
void Win32FormView::makeTheRest(const Control* container) {
  HWND parent = containerWindow(container);
  if (!parent) return;
  bool made = false;
  for (Control* c : form_.stacking(container)) {
    if (!isWindowed(c->kind())) continue;
    if (!windowOf(c)) {
      createWindowFor(*c, parent);
      made = true;
    }
    if (isContainerKind(c->kind())) makeTheRest(c);
  }
  if (made) applyZOrder(container);
}

// Makes the windows of the children of a shown container that have come into view,
// with their state as it is now, stacked among the windows of their siblings.
void Win32FormView::revealIn(const Control* container) {
  HWND parent = containerWindow(container);
  if (!parent || allMade_) return;  // the container is not in view yet: they are made with it
  bool made = false;
  for (Control* c : form_.stacking(container)) {
    if (!isWindowed(c->kind()) || windowOf(c) || !inView(*c)) continue;
    createWindowFor(*c, parent);
    if (isContainerKind(c->kind())) createChildren(c);
    made = true;
  }
  if (made) applyZOrder(container);
}

void Win32FormView::createWindowFor(Control& c, HWND parent) {
  const char* cls = "BUTTON";
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  DWORD ex = 0;
  void* param = nullptr;
  switch (c.kind()) {
    case ControlKind::Frame:
    case ControlKind::PictureBox:
      cls = kContainerClass;
      style |= WS_CLIPCHILDREN;
      ex |= WS_EX_CONTROLPARENT;
      param = &containers_.emplace_back(Part{this, &c});
      break;
    case ControlKind::CommandButton:
      style |= BS_PUSHBUTTON | WS_TABSTOP;
      break;
    case ControlKind::CheckBox:
      style |= BS_CHECKBOX | WS_TABSTOP;
      break;
    case ControlKind::OptionButton:
      style |= BS_RADIOBUTTON | WS_TABSTOP;
      break;
    case ControlKind::TextBox:
      cls = "EDIT";
      style |= ES_AUTOHSCROLL | WS_TABSTOP;
      ex |= WS_EX_CLIENTEDGE;
      break;
    case ControlKind::ListBox:
      cls = "LISTBOX";
      style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP;
      ex |= WS_EX_CLIENTEDGE;
      break;
    default:
      return;
  }
  if (c.visible()) style |= WS_VISIBLE;
  if (!c.enabled()) style |= WS_DISABLED;
  const RECT r = pixelRect(c);
  const std::string text = isContainerKind(c.kind()) ? std::string() : c.caption();
  HWND h = CreateWindowExA(ex, cls, text.c_str(), style, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, parent, nullptr, app_.instance(), param);
  if (!h) throw platform::Error("cannot create " + c.qualifiedName());
  windows_[&c] = h;
  controls_[h] = &c;
  SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(c)), FALSE);
  if (c.kind() == ControlKind::CheckBox || c.kind() == ControlKind::OptionButton)
    SendMessageA(h, BM_SETCHECK, static_cast<WPARAM>(c.value()), 0);
  if (c.kind() == ControlKind::ListBox) fillList(c);
}

// Windowed children follow the stacking order: the first listed is on top. Only a
// window out of its place is moved: a new child window comes below those made
// before it, so windows made in stacking order are in place already.
void Win32FormView::applyZOrder(const Control* container) {
  HWND after = HWND_TOP;
  for (Control* c : form_.stacking(container)) {
    HWND h = windowOf(c);
    if (!h) continue;
    if (GetWindow(h, GW_HWNDPREV) != (after == HWND_TOP ? nullptr : after))
      SetWindowPos(h, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    after = h;
  }
}

void Win32FormView::show(Modality modality) {
  if (modality == Modality::Modal) {
    // Other windows of the thread wait while the modal form is open.
    for (Win32FormView* other : app_.views())
      if (other != this && IsWindowEnabled(other->hwnd_)) {
        EnableWindow(other->hwnd_, FALSE);
        disabledByModal_.push_back(other->hwnd_);
      }
  }
  ShowWindow(hwnd_, SW_SHOW);
  UpdateWindow(hwnd_);
  onScreen_ = true;
  const auto order = form_.tabOrder();
  if (!order.empty()) focusOn(order.front());
  // The windows of the controls out of view follow once the form is on the screen
  // and nothing waits: a timer's tick comes only when the queue is empty.
  if (!allMade_) SetTimer(hwnd_, kRestTimer, 0, nullptr);
  if (modality != Modality::Modal) return;
  // A handler may unload the form inside the loop, and this view with it: the loop
  // keeps only what outlives the view.
  const HWND window = hwnd_;
  app_.pumpMessages(Win32Application::Loop::Modal,
                    [window] { return IsWindow(window) && IsWindowVisible(window); });
  if (Win32FormView* self = ofWindow(window)) self->enableOthers();
}

void Win32FormView::hide() {
  enableOthers();
  ShowWindow(hwnd_, SW_HIDE);
}

void Win32FormView::enableOthers() {
  // Before the modal window goes, so that the activation passes to a window of
  // the program, not to another program's.
  for (HWND h : disabledByModal_)
    if (IsWindow(h)) EnableWindow(h, TRUE);
  disabledByModal_.clear();
}

void Win32FormView::destroy() {
  if (destroyed_) return;
  destroyed_ = true;
  enableOthers();
  if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

void Win32FormView::formMoved() {
  if (!hwnd_) return;
  const int x = dpi_.toPixelsX(form_.left()), y = dpi_.toPixelsY(form_.top());
  // The place read back from the new window comes here too: a window already there
  // is not moved.
  RECT now{};
  if (GetWindowRect(hwnd_, &now) && now.left == x && now.top == y) return;
  SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32FormView::captionChanged() {
  if (hwnd_) SetWindowTextA(hwnd_, form_.caption.c_str());
}

void Win32FormView::invalidateContainerOf(const Control& c) {
  if (HWND h = containerWindow(c.container())) InvalidateRect(h, nullptr, FALSE);
}

void Win32FormView::restartTimer(Control& c) {
  const UINT_PTR id = reinterpret_cast<UINT_PTR>(&c);
  KillTimer(hwnd_, id);
  timers_.erase(id);
  if (c.enabled() && c.interval() > 0) {
    SetTimer(hwnd_, id, static_cast<UINT>(c.interval()), nullptr);
    timers_[id] = &c;
  }
}

void Win32FormView::fillList(Control& c) {
  HWND h = windowOf(&c);
  if (!h) return;
  SendMessageA(h, LB_RESETCONTENT, 0, 0);
  for (const auto& item : c.items())
    SendMessageA(h, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

void Win32FormView::controlChanged(Control& c, Property property) {
  if (!hwnd_ || destroyed_) return;
  HWND h = windowOf(&c);
  const HWND hadFocus = GetFocus();
  struct FocusKeeper {
    Win32FormView& view;
    HWND hadFocus;
    bool check;
    ~FocusKeeper() {
      if (check) view.keepFocus(hadFocus);
    }
  } keeper{*this, hadFocus,
           property == Property::Enabled || property == Property::Visible ||
               property == Property::ZOrder};
  switch (property) {
    case Property::Geometry:
      if (h) {
        const RECT r = pixelRect(c);
        MoveWindow(h, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
      }
      revealIn(c.container());
      invalidateContainerOf(c);
      break;
    case Property::Caption:
      if (h && !isContainerKind(c.kind())) {
        char current[1024] = {};
        GetWindowTextA(h, current, sizeof current);
        if (c.caption() != current) {
          settingText_ = true;
          SetWindowTextA(h, c.caption().c_str());
          settingText_ = false;
        }
      }
      // A screen reader announces a status text as it changes.
      if (!h) notify(EVENT_OBJECT_NAMECHANGE, c);
      invalidateContainerOf(c);
      break;
    case Property::Font:
      if (h) SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(c)), TRUE);
      invalidateContainerOf(c);
      break;
    case Property::Enabled:
      if (h) EnableWindow(h, c.enabled());
      if (c.kind() == ControlKind::Timer) restartTimer(c);
      invalidateContainerOf(c);
      break;
    case Property::Visible:
      if (h) ShowWindow(h, c.visible() ? SW_SHOWNA : SW_HIDE);
      revealIn(c.container());
      invalidateContainerOf(c);
      break;
    case Property::Value:
      if (h) SendMessageA(h, BM_SETCHECK, static_cast<WPARAM>(c.value()), 0);
      break;
    case Property::List:
      fillList(c);
      break;
    case Property::Interval:
      restartTimer(c);
      break;
    case Property::ZOrder:
      revealIn(c.container());
      applyZOrder(c.container());
      invalidateContainerOf(c);
      break;
    case Property::Colors:
      if (h) InvalidateRect(h, nullptr, TRUE);
      invalidateContainerOf(c);
      break;
    case Property::Picture:
      invalidateContainerOf(c);
      break;
  }
}

// As in a dialog, the focus never stays on a control that can no longer take it, nor
// with no window at all: it moves on in tab order, or to the form when nothing can.
void Win32FormView::keepFocus(HWND hadFocus) {
  if (!hwnd_ || destroyed_ || GetActiveWindow() != hwnd_) return;
  HWND focus = GetFocus();
  Control* current = focused();
  if (current && form_.canTakeFocus(*current)) return;
  if (focus && focus != hwnd_ && !current) return;  // a window that is not one of ours
  Control* from = current ? current : controlOf(hadFocus);
  Control* next = form_.nextInTabOrder(from);
  if (next != current || focusWindowOf(next) != focus) focusOn(next);
}

void Win32FormView::setFocus(Control& control) {
  if (!hwnd_ || destroyed_) return;
  lastFocus_ = &control;
  comeToFront();
  // Programs just started may still be opening their windows (under Wine a console
  // window can appear after its program has ended): for a moment, a foreground that
  // falls to nobody or to a minimised window is taken back.
  reclaimUntil_ = GetTickCount() + kReclaimMs;
  SetTimer(hwnd_, kReclaimTimer, 100, nullptr);
}

void Win32FormView::comeToFront() {
  SetForegroundWindow(hwnd_);
  SetActiveWindow(hwnd_);
  if (lastFocus_ && form_.canTakeFocus(*lastFocus_)) focusOn(lastFocus_);
}

void Win32FormView::reclaimForeground() {
  if (static_cast<int>(GetTickCount() - reclaimUntil_) >= 0) {
    KillTimer(hwnd_, kReclaimTimer);
    return;
  }
  HWND front = GetForegroundWindow();
  if (front != hwnd_ && (!front || IsIconic(front))) comeToFront();
}

LRESULT Win32FormView::handle(HWND h, const Control* container, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_GETOBJECT:
      if (static_cast<LONG>(lp) == OBJID_CLIENT)
        if (LRESULT r = accessibleObject(h, container, wp)) return r;
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (focusedLink_ && focusWindowOf(focusedLink_) == h) InvalidateRect(h, nullptr, FALSE);
      break;
    case WM_SETCURSOR:
      // The hand over a link, as over one in a web page. Taken from user32 when first
      // needed, as the import table holds only what the program needs at start.
      if (reinterpret_cast<HWND>(wp) == h && LOWORD(lp) == HTCLIENT) {
        static platform::LateBound<decltype(&GetCursorPos)> cursorPos("user32.dll", "GetCursorPos");
        static platform::LateBound<decltype(&SetCursor)> setCursor("user32.dll", "SetCursor");
        POINT p{};
        if (!cursorPos.get() || !setCursor.get() || !cursorPos.get()(&p)) break;
        ScreenToClient(h, &p);
        const Control* c = paintedControlAt(h, container, p);
        if (c && c->isLink() && c->effectivelyEnabled()) {
          setCursor.get()(LoadCursor(nullptr, IDC_HAND));
          return TRUE;
        }
      }
      break;
    case WM_PAINT:
      paint(h, container);
      return 0;
    case WM_NCPAINT:
      // A container has no frame outside its client area: its border is painted
      // with its inside.
      if (container) return 0;
      break;
    case WM_LBUTTONDOWN: {
      POINT p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
      pressed_ = paintedControlAt(h, container, p);
      return 0;
    }
    case WM_LBUTTONUP: {
      POINT p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
      Control* pressed = std::exchange(pressed_, nullptr);
      Control* c = paintedControlAt(h, container, p);
      // The click comes last: its handler may unload the form, and this view with it.
      if (c && c == pressed) c->userClick();
      return 0;
    }
    case WM_COMMAND: {
      Control* c = controlOf(reinterpret_cast<HWND>(lp));
      if (!c) break;
      const WORD code = HIWORD(wp);
      if (code == BN_CLICKED && c->kind() != ControlKind::ListBox &&
          c->kind() != ControlKind::TextBox) {
        c->userClick();
      } else if (code == EN_CHANGE && c->kind() == ControlKind::TextBox && !settingText_) {
        char text[4096] = {};
        GetWindowTextA(reinterpret_cast<HWND>(lp), text, sizeof text);
        c->setText(text);
      }
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
      Control* c = controlOf(reinterpret_cast<HWND>(lp));
      if (!c) break;
      HDC dc = reinterpret_cast<HDC>(wp);
      SetTextColor(dc, colorRef(c->foreColor()));
      SetBkColor(dc, colorRef(c->backColor()));
      return reinterpret_cast<LRESULT>(brushFor(c->backColor()));
    }
    case WM_ACTIVATE:
      if (container) break;
      // As a dialog does, the window remembers its focused control and gives the
      // focus back to it, or to the first that can take it, when it is active again.
      if (LOWORD(wp) == WA_INACTIVE) {
        if (Control* c = focused()) lastFocus_ = c;
      } else if (!HIWORD(wp)) {
        focusOn(lastFocus_ && form_.canTakeFocus(*lastFocus_) ? lastFocus_
                                                              : form_.nextInTabOrder(nullptr));
      }
      return 0;
    case WM_TIMER: {
      if (!container && wp == kRestTimer) {
        KillTimer(hwnd_, kRestTimer);
        makeTheRest(nullptr);
        allMade_ = true;
        return 0;
      }
      if (!container && wp == kReclaimTimer) {
        reclaimForeground();
        return 0;
      }
      auto it = timers_.find(static_cast<UINT_PTR>(wp));
      if (it != timers_.end()) it->second->tick();
      return 0;
    }
    case WM_DESTROY:
      if (!container) {
        enableOthers();
        for (auto& t : timers_) KillTimer(h, t.first);
        timers_.clear();
        destroyed_ = true;
        hwnd_ = nullptr;
        releaseAccessibles();
        app_.formDestroyed(*this);
      }
      return 0;
    default:
      break;
  }
  return DefWindowProcA(h, msg, wp, lp);
}

}  // namespace forms
