#pragma once
// Drives the windows of a running program as a person would: finds them, clicks
// buttons and points, reads texts and states, answers message boxes, takes
// screenshots. Works across processes of the same Wine prefix.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace automation {

struct WindowInfo {
  HWND hwnd = nullptr;
  std::string className;
  std::string text;
  bool visible = false;
  bool enabled = false;
  RECT screenRect{};
  LONG_PTR id = 0;
};

// Polls `probe` every 20 ms until it returns true or `timeoutMs` passes.
bool waitFor(const std::function<bool()>& probe, int timeoutMs, int stepMs = 20);

// Top-level windows (visible or not) of a process, or of every process when pid is 0.
std::vector<WindowInfo> topLevelWindows(DWORD pid = 0);
// The first visible top-level window of the process with this class name.
HWND findTopLevel(DWORD pid, const std::string& className, int timeoutMs);
// All descendants of a window, in the order EnumChildWindows gives them.
std::vector<WindowInfo> descendants(HWND parent);
WindowInfo info(HWND hwnd);
// The descendant whose text is exactly `text` (e.g. "&Next >"), or nullptr.
HWND findChildByText(HWND parent, const std::string& text);
std::string windowText(HWND hwnd);
bool isEnabled(HWND hwnd);

// Clicks a button the way BM_CLICK does (posted, so the caller never blocks on a
// modal loop the click opens).
void clickButton(HWND button);
// Clicks at a point given in client pixels of `window`, on the deepest child there.
void clickAt(HWND window, int x, int y);
// Sends a key (virtual-key code) to a window as WM_KEYDOWN/WM_KEYUP.
void pressKey(HWND hwnd, UINT vk);

// Real input, as a person's keyboard and mouse give it: X test events sent by
// xdotool on the display Wine draws on ($DISPLAY), not messages posted to a window.
// `args` are xdotool's own, e.g. "key Tab".
bool realInput(const std::string& args);
// Gives a top-level window the X input focus, as a window manager does for a click
// on it, so real key presses reach it.
bool focusForRealInput(HWND topLevel);
// A real click of the left button at the centre of a window.
bool realClick(HWND hwnd);
// The window with the keyboard focus in the thread of `window` (nullptr if none),
// and the foreground window of the desktop; read across processes.
HWND focusedWindow(HWND window);
HWND foregroundWindow();

struct MessageBoxInfo {
  HWND hwnd = nullptr;
  std::string title;
  std::string text;
  std::vector<std::string> buttons;  // button captions in window order
  bool hasIcon = false;
};
// The open message box (dialog class #32770) of a process, if any within timeoutMs.
bool findMessageBox(DWORD pid, MessageBoxInfo& out, int timeoutMs);
// Presses the button with this caption ("OK", "&Yes", "&No"...), ignoring '&'.
bool answerMessageBox(const MessageBoxInfo& box, const std::string& buttonCaption);

// What a screen reader reads of a window's client (Active Accessibility): its own
// name, and its simple children (child ids 1..n) with their roles, states and places.
struct AccessibleItem {
  std::string name;
  long role = 0;
  long state = 0;
  RECT place{};
};
struct AccessibleClient {
  bool found = false;
  std::string name;
  std::vector<AccessibleItem> children;
  long focusedChild = 0;  // 0: none of them
};
AccessibleClient readAccessible(HWND hwnd);
// Name-change events raised by a process, as an out-of-context hook gets them: the
// events seen so far while messages of the calling thread are pumped.
class NameChanges {
 public:
  explicit NameChanges(DWORD pid);
  ~NameChanges();
  NameChanges(const NameChanges&) = delete;
  NameChanges& operator=(const NameChanges&) = delete;
  // Whether an event named a child whose name is now `name`, within timeoutMs.
  bool waitFor(const std::string& name, int timeoutMs);

 private:
  HWINEVENTHOOK hook_;
};

// Saves what the screen shows of a window (frame included) as a 24-bit BMP file.
bool saveScreenshot(HWND hwnd, const std::string& bmpPath);

// Counts of GDI and USER objects of a process (GetGuiResources).
DWORD guiObjects(HANDLE process, bool user);

}  // namespace automation
