#include "forms/win32/Win32Application.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <unordered_map>

#include "forms/Jpeg.h"

namespace forms {

namespace {

const char kFormClass[] = "CorvaForm";
const char kContainerClass[] = "CorvaContainer";

COLORREF toColorRef(Color c) {
  if (isSystemColor(c)) return GetSysColor(static_cast<int>(c & 0xFF));
  return static_cast<COLORREF>(c & 0x00FFFFFF);
}

Win32Application* g_app = nullptr;

// Every conversion of a length to pixels: `amount` units of which `perInch` make an
// inch (1440 twips, 72 points), at `dpi`, rounded to the nearest pixel, halves away
// from zero.
int scaleRounded(double amount, int perInch, int dpi) {
  return static_cast<int>(std::lround(amount * dpi / perInch));
}

// Reports an error that escaped an event handler, as the runtime does, and ends:
// no C++ exception may cross into user32.
template <typename F>
void dispatch(F&& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    MessageBoxA(GetActiveWindow(), (std::string("Run-time error:\r\n") + e.what()).c_str(),
                g_app ? g_app->title.c_str() : "", MB_OK | MB_ICONERROR);
    ExitProcess(1);
  } catch (...) {
    MessageBoxA(GetActiveWindow(), "Run-time error", g_app ? g_app->title.c_str() : "",
                MB_OK | MB_ICONERROR);
    ExitProcess(1);
  }
}

// The pictures of the program: each JPEG resource decoded once, by the program's
// own decoder where it is first drawn, and kept as a bitmap of every size it is
// drawn at, so that painting only copies pixels.
class PictureCache {
 public:
  void draw(HDC dc, const std::string& name, const RECT& r) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return;
    Bitmap& sized = sized_[name + "|" + std::to_string(w) + "x" + std::to_string(h)];
    if (!sized) {
      const HBITMAP source = decoded(name);
      if (!source) return;
      sized = scaled(dc, source, w, h);
      if (!sized) return;
    }
    const platform::MemoryDc from(CreateCompatibleDC(dc));
    const platform::Selection picture(from.get(), sized.get());
    BitBlt(dc, r.left, r.top, w, h, from.get(), 0, 0, SRCCOPY);
  }

 private:
  using Bitmap = platform::GdiObject<HBITMAP>;

  HBITMAP decoded(const std::string& name) {
    auto it = decoded_.find(name);
    if (it == decoded_.end()) it = decoded_.emplace(name, decode(name)).first;
    return it->second.get();
  }

  // The picture at the size it is stored, as a bitmap of its own.
  static Bitmap decode(const std::string& name) {
    HRSRC res = FindResourceA(nullptr, name.c_str(), MAKEINTRESOURCEA(10));  // RT_RCDATA
    if (!res) return Bitmap();
    const DWORD size = SizeofResource(nullptr, res);
    HGLOBAL data = LoadResource(nullptr, res);
    const void* bytes = data ? LockResource(data) : nullptr;
    DecodedPicture picture;
    if (!bytes || !decodeJpeg(static_cast<const std::uint8_t*>(bytes), size, picture))
      return Bitmap();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Bitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return bitmap;
    // Rows of a bitmap are padded to whole DWORDs.
    const std::size_t row = static_cast<std::size_t>(picture.width) * 3;
    const std::size_t stride = (row + 3) & ~static_cast<std::size_t>(3);
    for (int y = 0; y < picture.height; ++y)
      memcpy(static_cast<std::uint8_t*>(bits) + y * stride, &picture.bgr[y * row], row);
    return bitmap;
  }

  // The picture shrunk smoothly to the size it is drawn at: the pictures are drawn
  // smaller than they are stored.
  static Bitmap scaled(HDC like, HBITMAP source, int w, int h) {
    BITMAP info{};
    if (!GetObjectA(source, sizeof info, &info)) return Bitmap();
    Bitmap out(CreateCompatibleBitmap(like, w, h));
    if (!out) return out;
    const platform::MemoryDc to(CreateCompatibleDC(like)), from(CreateCompatibleDC(like));
    const platform::Selection target(to.get(), out.get()), picture(from.get(), source);
    SetStretchBltMode(to.get(), HALFTONE);
    SetBrushOrgEx(to.get(), 0, 0, nullptr);
    StretchBlt(to.get(), 0, 0, w, h, from.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    return out;
  }

  std::map<std::string, Bitmap> decoded_;
  std::map<std::string, Bitmap> sized_;
};

PictureCache* g_pictures = nullptr;

}  // namespace

// --- The view of one form -------------------------------------------------------

class Win32FormView : public FormView {
 public:
  Win32FormView(Win32Application& app, Form& form) : app_(app), form_(form) {}
  ~Win32FormView() override { destroy(); }

  void create() override;
  void show(Modality modality) override;
  void hide() override {
    enableOthers();
    ShowWindow(hwnd_, SW_HIDE);
  }
  void destroy() override;
  void controlChanged(Control& control, Property property) override;
  void formMoved() override;
  void captionChanged() override {
    if (hwnd_) SetWindowTextA(hwnd_, form_.caption.c_str());
  }
  void setFocus(Control& control) override;
  Twips frameWidth() const override { return frameWidth_; }
  Twips frameHeight() const override { return frameHeight_; }

  HWND hwnd() const { return hwnd_; }
  Form& form() { return form_; }
  HWND windowOf(const Control* c) const {
    auto it = windows_.find(c);
    return it == windows_.end() ? nullptr : it->second;
  }
  Control* controlOf(HWND h) const {
    auto it = controls_.find(h);
    return it == controls_.end() ? nullptr : it->second;
  }
  HWND containerWindow(const Control* container) const {
    return container ? windowOf(container) : hwnd_;
  }

  LRESULT handle(HWND h, const Control* container, UINT msg, WPARAM wp, LPARAM lp);
  static Win32FormView* fromWindow(HWND h);

 private:
  bool inView(const Control& c) const;
  void createChildren(const Control* container);
  void revealIn(const Control* container);
  void makeTheRest(const Control* container);
  void createWindowFor(Control& c, HWND parent);
  void applyZOrder(const Control* container);
  void invalidateContainerOf(const Control& c);
  void restartTimer(Control& c);
  HFONT fontFor(const Control& c);
  HBRUSH brushFor(Color color);
  void paint(HWND h, const Control* container);
  void paintControl(HDC dc, const Control& c);
  RECT pixelRect(const Control& c) const;
  // Where a painted control draws: an auto-sized label as large as its text.
  RECT drawnRect(HDC dc, const Control& c);
  Control* paintedControlAt(HWND h, const Control* container, POINT p);
  void keepFocus(HWND hadFocus);
  void comeToFront();
  void reclaimForeground();
  void fillList(Control& c);
  void enableOthers();

  Win32Application& app_;
  Form& form_;
  HWND hwnd_ = nullptr;
  Twips frameWidth_ = 0, frameHeight_ = 0;
  std::unordered_map<const Control*, HWND> windows_;
  std::unordered_map<HWND, Control*> controls_;
  std::map<Color, platform::GdiObject<HBRUSH>> brushes_;
  std::map<UINT_PTR, Control*> timers_;
  Control* pressed_ = nullptr;
  // The control that had the focus when the window was last active.
  Control* lastFocus_ = nullptr;
  static constexpr UINT_PTR kReclaimTimer = 1;  // control timers use control addresses
  static constexpr UINT_PTR kRestTimer = 2;
  static constexpr DWORD kReclaimMs = 3000;
  DWORD reclaimUntil_ = 0;
  bool settingText_ = false;
  bool allMade_ = false;
  bool destroyed_ = false;
  // The windows this form disabled while it is shown modally.
  std::vector<HWND> disabledByModal_;
};

namespace {

std::map<HWND, Win32FormView*>& viewsByWindow() {
  static std::map<HWND, Win32FormView*> views;
  return views;
}

// Container windows keep the container control they realise.
struct ContainerData {
  Win32FormView* view;
  const Control* control;
};

LRESULT CALLBACK formProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
    SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* view = reinterpret_cast<Win32FormView*>(GetWindowLongPtrA(h, GWLP_USERDATA));
  if (msg == WM_NCDESTROY) SetWindowLongPtrA(h, GWLP_USERDATA, 0);
  if (!view) return DefWindowProcA(h, msg, wp, lp);
  return view->handle(h, nullptr, msg, wp, lp);
}

LRESULT CALLBACK containerProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
    SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* data = reinterpret_cast<ContainerData*>(GetWindowLongPtrA(h, GWLP_USERDATA));
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(h, GWLP_USERDATA, 0);
    delete data;
    return DefWindowProcA(h, msg, wp, lp);
  }
  if (!data) return DefWindowProcA(h, msg, wp, lp);
  return data->view->handle(h, data->control, msg, wp, lp);
}

void registerClasses(HINSTANCE instance) {
  WNDCLASSA wc{};
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
  wc.lpfnWndProc = formProc;
  wc.lpszClassName = kFormClass;
  RegisterClassA(&wc);
  wc.hIcon = nullptr;
  wc.lpfnWndProc = containerProc;
  wc.lpszClassName = kContainerClass;
  RegisterClassA(&wc);
}

}  // namespace

Win32FormView* Win32FormView::fromWindow(HWND h) {
  auto& views = viewsByWindow();
  auto it = views.find(h);
  return it == views.end() ? nullptr : it->second;
}

RECT Win32FormView::pixelRect(const Control& c) const {
  RECT r;
  r.left = app_.toPixelsX(c.left());
  r.top = app_.toPixelsY(c.top());
  r.right = r.left + app_.toPixelsX(c.width());
  r.bottom = r.top + app_.toPixelsY(c.height());
  return r;
}

void Win32FormView::create() {
  DWORD style = WS_CLIPCHILDREN;
  DWORD ex = WS_EX_CONTROLPARENT;
  switch (form_.border) {
    case FormBorder::None:
      style |= WS_POPUP;
      break;
    case FormBorder::FixedSingle:
      style |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
      break;
    case FormBorder::Sizable:
      style |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
      break;
    case FormBorder::FixedDialog:
      style |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
      ex |= WS_EX_DLGMODALFRAME;
      break;
    case FormBorder::FixedToolWindow:
      style |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
      ex |= WS_EX_TOOLWINDOW;
      break;
    case FormBorder::SizableToolWindow:
      style |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
      ex |= WS_EX_TOOLWINDOW;
      break;
  }
  if (form_.border == FormBorder::FixedSingle || form_.border == FormBorder::Sizable) {
    if (form_.minButton) style |= WS_MINIMIZEBOX;
    if (form_.maxButton) style |= WS_MAXIMIZEBOX;
  }
  const bool toolWindow =
      form_.border == FormBorder::FixedToolWindow || form_.border == FormBorder::SizableToolWindow;
  HWND owner = nullptr;
  if (form_.showInTaskbar)
    ex |= WS_EX_APPWINDOW;
  else if (!toolWindow)
    owner = app_.hiddenOwner();  // an owned window gets no taskbar button
  RECT r{0, 0, app_.toPixelsX(form_.clientWidth), app_.toPixelsY(form_.clientHeight)};
  const RECT client = r;
  AdjustWindowRectEx(&r, style, FALSE, ex);
  frameWidth_ = app_.toTwipsX((r.right - r.left) - (client.right - client.left));
  frameHeight_ = app_.toTwipsY((r.bottom - r.top) - (client.bottom - client.top));
  int x = CW_USEDEFAULT, y = CW_USEDEFAULT;
  if (form_.startPosition == StartPosition::Manual) {
    x = app_.toPixelsX(form_.left());
    y = app_.toPixelsY(form_.top());
  } else if (form_.startPosition == StartPosition::CenterScreen) {
    x = (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
    y = (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
  }
  hwnd_ = CreateWindowExA(ex, kFormClass, form_.caption.c_str(), style, x, y, r.right - r.left,
                          r.bottom - r.top, owner, nullptr, app_.instance(), this);
  if (!hwnd_) throw platform::Error("cannot create the window of " + form_.name());
  viewsByWindow()[hwnd_] = this;
  app_.formCreated();
  RECT placed{};
  GetWindowRect(hwnd_, &placed);
  form_.setPosition(app_.toTwipsX(placed.left), app_.toTwipsY(placed.top));
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
      param = new ContainerData{this, &c};
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
  if (!h) {
    delete static_cast<ContainerData*>(param);
    throw platform::Error("cannot create " + c.qualifiedName());
  }
  windows_[&c] = h;
  controls_[h] = &c;
  SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(c)), FALSE);
  if (c.kind() == ControlKind::CheckBox || c.kind() == ControlKind::OptionButton)
    SendMessageA(h, BM_SETCHECK, static_cast<WPARAM>(c.value()), 0);
  if (c.kind() == ControlKind::ListBox) fillList(c);
}

// Windowed children follow the stacking order: the first listed is on top.
void Win32FormView::applyZOrder(const Control* container) {
  HWND after = HWND_TOP;
  for (Control* c : form_.stacking(container)) {
    HWND h = windowOf(c);
    if (!h) continue;
    SetWindowPos(h, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    after = h;
  }
}

void Win32FormView::show(Modality modality) {
  if (modality == Modality::Modal) {
    // Other windows of the thread wait while the modal form is open.
    for (auto& entry : viewsByWindow())
      if (entry.first != hwnd_ && IsWindowEnabled(entry.first)) {
        EnableWindow(entry.first, FALSE);
        disabledByModal_.push_back(entry.first);
      }
  }
  ShowWindow(hwnd_, SW_SHOW);
  UpdateWindow(hwnd_);
  const auto order = form_.tabOrder();
  if (!order.empty())
    if (HWND h = windowOf(order.front())) SetFocus(h);
  // The windows of the controls out of view follow once the form is on the screen
  // and nothing waits: a timer's tick comes only when the queue is empty.
  if (!allMade_) SetTimer(hwnd_, kRestTimer, 0, nullptr);
  if (modality != Modality::Modal) return;
  // A handler may unload the form inside the loop, and this view with it: the loop
  // keeps only what outlives the view.
  const HWND window = hwnd_;
  Win32Application& app = app_;
  MSG msg;
  while (IsWindow(window) && IsWindowVisible(window)) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // The quit message is the main loop's: pass it on.
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (app.preTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (Win32FormView* self = fromWindow(window)) self->enableOthers();
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
  SetWindowPos(hwnd_, nullptr, app_.toPixelsX(form_.left()), app_.toPixelsY(form_.top()), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
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

HFONT Win32FormView::fontFor(const Control& c) {
  return app_.font(c.font());
}

HBRUSH Win32FormView::brushFor(Color color) {
  auto it = brushes_.find(color);
  if (it != brushes_.end()) return it->second.get();
  HBRUSH b = CreateSolidBrush(toColorRef(color));
  brushes_[color] = platform::GdiObject<HBRUSH>(b);
  return b;
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

void Win32FormView::paintControl(HDC dc, const Control& c) {
  RECT r = pixelRect(c);
  switch (c.kind()) {
    case ControlKind::Label: {
      r = drawnRect(dc, c);
      const platform::Selection font(dc, fontFor(c));
      UINT format = DT_WORDBREAK;
      if (c.autoSize()) {
        format = DT_SINGLELINE;
      } else if (c.alignment() == Alignment::Center) {
        format |= DT_CENTER;
      } else if (c.alignment() == Alignment::Right) {
        format |= DT_RIGHT;
      }
      if (c.backStyle() == BackStyle::Opaque) FillRect(dc, &r, brushFor(c.backColor()));
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(
          dc, c.effectivelyEnabled() ? toColorRef(c.foreColor()) : GetSysColor(COLOR_GRAYTEXT));
      DrawTextA(dc, c.caption().c_str(), -1, &r, format);
      break;
    }
    case ControlKind::Image:
      g_pictures->draw(dc, c.picture(), r);
      break;
    case ControlKind::Shape: {
      if (c.backStyle() == BackStyle::Opaque) FillRect(dc, &r, brushFor(c.backColor()));
      if (c.filled()) FillRect(dc, &r, brushFor(c.fillColor()));
      HBRUSH border = brushFor(c.borderColor());
      for (int i = 0; i < c.borderWidth() && r.right - r.left > 0 && r.bottom - r.top > 0; ++i) {
        FrameRect(dc, &r, border);
        InflateRect(&r, -1, -1);
      }
      break;
    }
    default:
      break;
  }
}

void Win32FormView::paint(HWND h, const Control* container) {
  const platform::PaintDc screen(h);
  const RECT area = screen.area();
  const int w = area.right - area.left, hgt = area.bottom - area.top;
  // Stacked pages cover one another: most of them have little or nothing to show.
  if (w <= 0 || hgt <= 0) return;
  RECT client{};
  GetClientRect(h, &client);
  // Paint off screen so labels over pictures never flicker; only what is invalid.
  const platform::MemoryDc canvas(CreateCompatibleDC(screen.get()));
  const platform::GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen.get(), w, hgt));
  const platform::Selection onBitmap(canvas.get(), bitmap.get());
  const HDC dc = canvas.get();
  SetViewportOrgEx(dc, -area.left, -area.top, nullptr);
  const Color back = container ? container->backColor() : form_.backColor;
  FillRect(dc, &area, brushFor(back));
  const auto& order = form_.stacking(container);
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    const Control& c = **it;
    if (isWindowed(c.kind()) || !c.visible()) continue;
    RECT r = pixelRect(c), overlap{};
    // Auto-sized labels may draw beyond their design size.
    if (c.autoSize() || IntersectRect(&overlap, &r, &area)) paintControl(dc, c);
  }
  if (container && container->borderStyle() == BorderStyle::FixedSingle)
    DrawEdge(dc, &client, container->kind() == ControlKind::Frame ? EDGE_ETCHED : EDGE_SUNKEN,
             BF_RECT);
  BitBlt(screen.get(), area.left, area.top, w, hgt, dc, area.left, area.top, SRCCOPY);
}

RECT Win32FormView::drawnRect(HDC dc, const Control& c) {
  RECT r = pixelRect(c);
  if (c.kind() != ControlKind::Label || !c.autoSize()) return r;
  RECT measure = r;
  {
    const platform::Selection font(dc, fontFor(c));
    DrawTextA(dc, c.caption().c_str(), -1, &measure, DT_CALCRECT | DT_SINGLELINE);
  }
  r.right = r.left + (measure.right - measure.left);
  r.bottom = r.top + (measure.bottom - measure.top);
  return r;
}

// A click lands on what is drawn there, so it is measured as it is painted.
Control* Win32FormView::paintedControlAt(HWND h, const Control* container, POINT p) {
  const platform::WindowDc dc(h);
  for (Control* c : form_.stacking(container)) {
    if (isWindowed(c->kind()) || !c->visible() || c->kind() == ControlKind::Timer) continue;
    const RECT r = drawnRect(dc.get(), *c);
    if (PtInRect(&r, p)) return c;
  }
  return nullptr;
}

// As in a dialog, the focus never stays on a control that can no longer take it, nor
// with no window at all: it moves on in tab order, or to the form when nothing can.
void Win32FormView::keepFocus(HWND hadFocus) {
  if (!hwnd_ || destroyed_ || GetActiveWindow() != hwnd_) return;
  HWND focus = GetFocus();
  Control* current = controlOf(focus);
  if (current && form_.canTakeFocus(*current)) return;
  if (focus && focus != hwnd_ && !current) return;  // a window that is not one of ours
  Control* from = current ? current : controlOf(hadFocus);
  Control* next = form_.nextInTabOrder(from);
  HWND target = next ? windowOf(next) : hwnd_;
  if (target && target != focus) SetFocus(target);
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
  if (lastFocus_ && form_.canTakeFocus(*lastFocus_))
    if (HWND h = windowOf(lastFocus_)) SetFocus(h);
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
    case WM_PAINT:
      paint(h, container);
      return 0;
    case WM_LBUTTONDOWN: {
      POINT p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
      pressed_ = paintedControlAt(h, container, p);
      return 0;
    }
    case WM_LBUTTONUP: {
      POINT p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
      Control* c = paintedControlAt(h, container, p);
      if (c && c == pressed_) dispatch([c] { c->userClick(); });
      pressed_ = nullptr;
      return 0;
    }
    case WM_COMMAND: {
      Control* c = controlOf(reinterpret_cast<HWND>(lp));
      if (!c) break;
      const WORD code = HIWORD(wp);
      if (code == BN_CLICKED && c->kind() != ControlKind::ListBox &&
          c->kind() != ControlKind::TextBox) {
        dispatch([c] { c->userClick(); });
      } else if (code == EN_CHANGE && c->kind() == ControlKind::TextBox && !settingText_) {
        char text[4096] = {};
        GetWindowTextA(reinterpret_cast<HWND>(lp), text, sizeof text);
        dispatch([c, &text] { c->setText(text); });
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
      SetTextColor(dc, toColorRef(c->foreColor()));
      SetBkColor(dc, toColorRef(c->backColor()));
      return reinterpret_cast<LRESULT>(brushFor(c->backColor()));
    }
    case WM_ACTIVATE:
      if (container) break;
      // As a dialog does, the window remembers its focused control and gives the
      // focus back to it, or to the first that can take it, when it is active again.
      if (LOWORD(wp) == WA_INACTIVE) {
        if (Control* c = controlOf(GetFocus())) lastFocus_ = c;
      } else if (!HIWORD(wp)) {
        Control* c = lastFocus_ && form_.canTakeFocus(*lastFocus_) ? lastFocus_
                                                                   : form_.nextInTabOrder(nullptr);
        SetFocus(c ? windowOf(c) : hwnd_);
      }
      return 0;
    case WM_TIMER: {
      if (!container && wp == kRestTimer) {
        KillTimer(hwnd_, kRestTimer);
        dispatch([this] { makeTheRest(nullptr); });
        allMade_ = true;
        return 0;
      }
      if (!container && wp == kReclaimTimer) {
        reclaimForeground();
        return 0;
      }
      auto it = timers_.find(static_cast<UINT_PTR>(wp));
      if (it != timers_.end()) {
        Control* c = it->second;
        dispatch([c] { c->tick(); });
      }
      return 0;
    }
    case WM_DESTROY:
      if (!container) {
        enableOthers();
        for (auto& t : timers_) KillTimer(h, t.first);
        timers_.clear();
        viewsByWindow().erase(h);
        destroyed_ = true;
        hwnd_ = nullptr;
        app_.formDestroyed();
      }
      return 0;
    default:
      break;
  }
  return DefWindowProcA(h, msg, wp, lp);
}

// --- The application ----------------------------------------------------------------

Win32Application::Win32Application(HINSTANCE instance) : instance_(instance) {
  g_app = this;
  static PictureCache pictures;
  g_pictures = &pictures;
  {
    const platform::WindowDc screen(nullptr);
    dpiX_ = GetDeviceCaps(screen.get(), LOGPIXELSX);
    dpiY_ = GetDeviceCaps(screen.get(), LOGPIXELSY);
  }
  if (dpiX_ <= 0) dpiX_ = 96;
  if (dpiY_ <= 0) dpiY_ = 96;
  registerClasses(instance_);
}

Win32Application::~Win32Application() {
  releaseDefaultInstances();
  if (hiddenOwner_) DestroyWindow(hiddenOwner_);
  g_app = nullptr;
}

HWND Win32Application::hiddenOwner() {
  if (!hiddenOwner_)
    hiddenOwner_ = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                   instance_, nullptr);
  return hiddenOwner_;
}

HFONT Win32Application::font(const Font& f) {
  // Controls of one look share one font: a wizard page repeats a few faces many times.
  const std::string key = f.face + "|" + std::to_string(std::lround(f.points * 100)) +
                          (f.bold ? "|b" : "|") + (f.underline ? "u" : "");
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second.get();
  const int height = -scaleRounded(f.points, 72, dpiY_);
  HFONT created = CreateFontA(height, 0, 0, 0, f.bold ? FW_BOLD : FW_NORMAL, FALSE, f.underline,
                              FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                              DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, f.face.c_str());
  fonts_.emplace(key, platform::GdiObject<HFONT>(created));
  return created;
}

std::unique_ptr<FormView> Win32Application::createView(Form& form) {
  return std::make_unique<Win32FormView>(*this, form);
}

int Win32Application::msgBox(const std::string& prompt, unsigned style,
                             const std::string& titleText) {
  const std::string& caption = titleText.empty() ? title : titleText;
  // Owned by a window of the program, so it can never lie behind one of them.
  HWND owner = GetActiveWindow();
  if (!owner)
    for (const auto& entry : viewsByWindow())
      if (IsWindowVisible(entry.first) && IsWindowEnabled(entry.first)) owner = entry.first;
  return MessageBoxA(owner, prompt.c_str(), caption.c_str(), style);
}

void Win32Application::doEvents() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the main loop
      break;
    }
    if (preTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void Win32Application::waitForMessages(int ms) {
  MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::max(0, ms)), QS_ALLINPUT);
}

void Win32Application::whenIdle(std::function<void()> work) {
  idleWork_.push_back(std::move(work));
  // A timer's tick comes only when no other message waits, painting included.
  if (!idleTimer_) idleTimer_ = SetTimer(nullptr, 0, 0, runIdleWork);
  if (!idleTimer_) runIdleWork(nullptr, WM_TIMER, 0, 0);  // no timer to be had: now
}

void CALLBACK Win32Application::runIdleWork(HWND, UINT, UINT_PTR, DWORD) {
  if (!g_app) return;
  if (g_app->idleTimer_) KillTimer(nullptr, g_app->idleTimer_);
  g_app->idleTimer_ = 0;
  std::vector<std::function<void()>> work;
  work.swap(g_app->idleWork_);
  for (auto& w : work) dispatch(w);
}

std::uint64_t Win32Application::milliseconds() {
  // GetTickCount wraps every 49.7 days; extend it (XP has no GetTickCount64).
  const DWORD now = GetTickCount();
  if (now < lastTick_) tickHigh_ += 1ULL << 32;
  lastTick_ = now;
  return tickHigh_ + now;
}

Twips Win32Application::screenWidth() const {
  return toTwipsX(GetSystemMetrics(SM_CXSCREEN));
}
Twips Win32Application::screenHeight() const {
  return toTwipsY(GetSystemMetrics(SM_CYSCREEN));
}

std::uintptr_t Win32Application::windowHandle(const Form& form) const {
  auto* view = static_cast<Win32FormView*>(form.view());
  return view ? reinterpret_cast<std::uintptr_t>(view->hwnd()) : 0;
}

HWND Win32Application::controlWindow(const Control& control) const {
  auto* view = static_cast<Win32FormView*>(control.form().view());
  return view ? view->windowOf(&control) : nullptr;
}

void Win32Application::endProcess() {
  ExitProcess(0);
}

int Win32Application::run() {
  MSG msg;
  while (liveForms_ > 0) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) break;
    if (preTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}

void Win32Application::formDestroyed() {
  --liveForms_;
  // A hidden form that nothing will show again must not keep the program alive
  // unseen once the last window a person can see is closed.
  bool anyVisible = false;
  for (const auto& entry : viewsByWindow())
    if (IsWindowVisible(entry.first)) anyVisible = true;
  if (liveForms_ <= 0 || !anyVisible) PostQuitMessage(0);
}

int Win32Application::toPixelsX(Twips t) const {
  return scaleRounded(t, 1440, dpiX_);
}
int Win32Application::toPixelsY(Twips t) const {
  return scaleRounded(t, 1440, dpiY_);
}
Twips Win32Application::toTwipsX(int px) const {
  return scaleRounded(px, dpiX_, 1440);
}
Twips Win32Application::toTwipsY(int px) const {
  return scaleRounded(px, dpiY_, 1440);
}

bool Win32Application::preTranslate(MSG& msg) {
  // With no window focused, the system gives every key to the active window as a
  // system key: plain keys then carry no Alt (bit 29 clear) and act all the same.
  const bool altHeld = (msg.lParam & (1 << 29)) != 0;
  const bool key = msg.message == WM_KEYDOWN || (msg.message == WM_SYSKEYDOWN && !altHeld);
  if (!key && msg.message != WM_SYSCHAR) return false;
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  Win32FormView* view = Win32FormView::fromWindow(root);
  if (!view) return false;
  Form& form = view->form();
  if (msg.message == WM_SYSCHAR) {
    bool acted = false;
    dispatch([&] { acted = form.pressAccessKey(static_cast<char>(msg.wParam)); });
    return acted;
  }
  switch (msg.wParam) {
    case VK_ESCAPE:
      dispatch([&] { form.pressEscape(); });
      return true;
    case VK_RETURN: {
      // No button is the default one: Enter clicks the focused button, as Space does.
      Control* focused = view->controlOf(GetFocus());
      if (!focused || focused->kind() != ControlKind::CommandButton) return false;
      dispatch([&] { focused->userClick(); });
      return true;
    }
    case VK_TAB: {
      Control* current = view->controlOf(GetFocus());
      if (Control* next = form.nextInTabOrder(current, GetKeyState(VK_SHIFT) < 0))
        if (HWND h = view->windowOf(next)) SetFocus(h);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace forms
