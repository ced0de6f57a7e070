#include "forms/win32/Win32Application.h"

#include <algorithm>

#include "forms/win32/Win32FormView.h"

namespace forms {

namespace {

Win32Application* g_app = nullptr;

}  // namespace

void endWithError(const char* what) {
  const std::string text = what ? std::string("Run-time error:\r\n") + what : "Run-time error";
  MessageBoxA(GetActiveWindow(), text.c_str(), g_app ? g_app->title.c_str() : "",
              MB_OK | MB_ICONERROR);
  ExitProcess(1);
}

Win32Application::Win32Application(HINSTANCE instance) : instance_(instance) {
  g_app = this;
  Win32FormView::registerClasses(instance_);
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
  for (const auto& [look, font] : fonts_)
    if (look == f) return font.get();
  fonts_.emplace_back(
      f, CreateFontA(-dpi_.pointsToPixels(f.points), 0, 0, 0, f.bold ? FW_BOLD : FW_NORMAL, FALSE,
                     f.underline, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, f.face));
  return fonts_.back().second.get();
}

std::unique_ptr<FormView> Win32Application::createView(Form& form) {
  return std::make_unique<Win32FormView>(*this, form);
}

int Win32Application::msgBox(std::string_view prompt, unsigned style, std::string_view titleText) {
  const std::string caption(titleText.empty() ? std::string_view(title) : titleText);
  // Owned by a window of the program, so it can never lie behind one of them.
  HWND owner = GetActiveWindow();
  if (!owner)
    for (const Win32FormView* view : views_)
      if (IsWindowVisible(view->hwnd()) && IsWindowEnabled(view->hwnd())) owner = view->hwnd();
  return MessageBoxA(owner, std::string(prompt).c_str(), caption.c_str(), style);
}

void Win32Application::pumpMessages(Loop loop, const std::function<bool()>& more) {
  MSG msg;
  while (more()) {
    bool got = false;
    if (loop == Loop::Queued || idleWork_.empty()) {
      got = loop == Loop::Queued ? PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE
                                 : GetMessageA(&msg, nullptr, 0, 0) != -1;
    } else if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      got = true;
    } else {
      // Nothing waits, painting included. The program first waits for input, if only
      // for a moment: that is when a program that started it and waits for it to be
      // ready goes on. Then the work put off until now runs, unless a message came.
      if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT) == WAIT_TIMEOUT)
        runIdleWork(nullptr, WM_TIMER, 0, 0);
      continue;
    }
    if (!got) return;
    if (msg.message == WM_QUIT) {
      if (loop != Loop::Main) PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (guarded([&] { return actOnKey(msg); })) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

int Win32Application::run() {
  pumpMessages(Loop::Main, [this] { return !views_.empty(); });
  return 0;
}

void Win32Application::doEvents() {
  pumpMessages(Loop::Queued, [] { return true; });
}

void Win32Application::waitForMessages(int ms) {
  MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::max(0, ms)), QS_ALLINPUT);
}

void Win32Application::whenIdle(std::function<void()> work) {
  idleWork_.push_back(std::move(work));
  // The main loop runs it as soon as no message waits. The timer brings it where
  // another loop waits instead (a message box's); it ticks only when no other
  // message waits, and late enough not to come before the first painting is done.
  if (!idleTimer_) idleTimer_ = SetTimer(nullptr, 0, 200, runIdleWork);
  if (!idleTimer_) runIdleWork(nullptr, WM_TIMER, 0, 0);  // no timer to be had: now
}

void CALLBACK Win32Application::runIdleWork(HWND, UINT, UINT_PTR, DWORD) {
  if (!g_app) return;
  if (g_app->idleTimer_) KillTimer(nullptr, g_app->idleTimer_);
  g_app->idleTimer_ = 0;
  std::vector<std::function<void()>> work;
  work.swap(g_app->idleWork_);
  guarded([&] {
    for (auto& w : work) w();
  });
}

std::uint64_t Win32Application::milliseconds() {
  // GetTickCount wraps every 49.7 days; extend it (XP has no GetTickCount64).
  const DWORD now = GetTickCount();
  if (now < lastTick_) tickHigh_ += 1ULL << 32;
  lastTick_ = now;
  return tickHigh_ + now;
}

Twips Win32Application::screenWidth() const {
  return dpi_.toTwipsX(GetSystemMetrics(SM_CXSCREEN));
}
Twips Win32Application::screenHeight() const {
  return dpi_.toTwipsY(GetSystemMetrics(SM_CYSCREEN));
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

void Win32Application::formDestroyed(Win32FormView& view) {
  views_.erase(std::remove(views_.begin(), views_.end(), &view), views_.end());
  // A hidden form that nothing will show again must not keep the program alive
  // unseen once the last window a person can see is closed.
  if (std::none_of(views_.begin(), views_.end(),
                   [](const Win32FormView* v) { return IsWindowVisible(v->hwnd()); }))
    PostQuitMessage(0);
}

// The arrow keys move the choice among the option buttons of a container, as a dialog's do.
bool Win32Application::moveInGroup(Win32FormView& view, bool backwards) {
  Control* current = view.focused();
  if (!current || current->kind() != ControlKind::OptionButton) return false;
  std::vector<Control*> group;  // in the order they were made
  for (const auto& c : view.form().controls())
    if (c->kind() == ControlKind::OptionButton && c->container() == current->container() &&
        view.form().canTakeFocus(*c))
      group.push_back(c.get());
  const auto at = std::find(group.begin(), group.end(), current);
  if (at == group.end()) return true;
  const size_t n = group.size(), i = static_cast<size_t>(at - group.begin());
  Control* next = group[(i + (backwards ? n - 1 : 1)) % n];
  view.focusOn(next);
  next->userClick();
  return true;
}

bool Win32Application::actOnKey(const MSG& msg) {
  // With no window focused, the system gives every key to the active window as a
  // system key: plain keys then carry no Alt (bit 29 clear) and act all the same.
  const bool altHeld = (msg.lParam & (1 << 29)) != 0;
  const bool key = msg.message == WM_KEYDOWN || (msg.message == WM_SYSKEYDOWN && !altHeld);
  if (!key && msg.message != WM_SYSCHAR) return false;
  Win32FormView* view = Win32FormView::ofWindow(GetAncestor(msg.hwnd, GA_ROOT));
  if (!view) return false;
  Form& form = view->form();
  if (msg.message == WM_SYSCHAR) return form.pressAccessKey(static_cast<char>(msg.wParam));
  switch (msg.wParam) {
    case VK_ESCAPE:
      form.pressEscape();
      return true;
    case VK_RETURN:
    case VK_SPACE: {
      // No button is the default one: Enter clicks the focused button, as Space does;
      // both open a focused link.
      Control* focused = view->focused();
      if (!focused || !(focused->isLink() ||
                        (msg.wParam == VK_RETURN && focused->kind() == ControlKind::CommandButton)))
        return false;
      focused->userClick();
      return true;
    }
    case VK_TAB:
      view->focusOn(form.nextInTabOrder(view->focused(), GetKeyState(VK_SHIFT) < 0));
      return true;
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
      return moveInGroup(*view, msg.wParam == VK_LEFT || msg.wParam == VK_UP);
    default:
      return false;
  }
}

}  // namespace forms
