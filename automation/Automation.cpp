#include "automation/Automation.h"

#include <oleacc.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/win32/Handle.h"

namespace automation {

bool waitFor(const std::function<bool()>& probe, int timeoutMs, int stepMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (probe()) return true;
    if (static_cast<int>(GetTickCount() - start) >= timeoutMs) return false;
    Sleep(stepMs);
  }
}

std::string windowText(HWND hwnd) {
  char buffer[1024] = {};
  // WM_GETTEXT works across processes, GetWindowText does not for other processes' controls.
  SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                      SMTO_ABORTIFHUNG, 2000, nullptr);
  return buffer;
}

bool isEnabled(HWND hwnd) {
  return IsWindowEnabled(hwnd) != FALSE;
}

WindowInfo info(HWND hwnd) {
  WindowInfo w;
  w.hwnd = hwnd;
  char cls[256] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  w.className = cls;
  w.text = windowText(hwnd);
  w.visible = IsWindowVisible(hwnd) != FALSE;
  w.enabled = IsWindowEnabled(hwnd) != FALSE;
  GetWindowRect(hwnd, &w.screenRect);
  w.id = GetWindowLongPtrA(hwnd, GWLP_ID);
  return w;
}

namespace {
struct TopLevelSearch {
  DWORD pid;
  std::vector<WindowInfo>* out;
};
BOOL CALLBACK collectTopLevel(HWND hwnd, LPARAM lp) {
  auto* s = reinterpret_cast<TopLevelSearch*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (s->pid == 0 || pid == s->pid) s->out->push_back(info(hwnd));
  return TRUE;
}
BOOL CALLBACK collectChild(HWND hwnd, LPARAM lp) {
  reinterpret_cast<std::vector<WindowInfo>*>(lp)->push_back(info(hwnd));
  return TRUE;
}
}  // namespace

std::vector<WindowInfo> topLevelWindows(DWORD pid) {
  std::vector<WindowInfo> out;
  TopLevelSearch s{pid, &out};
  EnumWindows(collectTopLevel, reinterpret_cast<LPARAM>(&s));
  return out;
}

HWND findTopLevel(DWORD pid, const std::string& className, int timeoutMs) {
  HWND found = nullptr;
  waitFor(
      [&] {
        for (const auto& w : topLevelWindows(pid))
          if (w.visible && w.className == className) {
            found = w.hwnd;
            return true;
          }
        return false;
      },
      timeoutMs);
  return found;
}

std::vector<WindowInfo> descendants(HWND parent) {
  std::vector<WindowInfo> out;
  EnumChildWindows(parent, collectChild, reinterpret_cast<LPARAM>(&out));
  return out;
}

HWND findChildByText(HWND parent, const std::string& text) {
  for (const auto& w : descendants(parent))
    if (w.text == text) return w.hwnd;
  return nullptr;
}

void clickButton(HWND button) {
  PostMessageA(button, BM_CLICK, 0, 0);
}

void clickAt(HWND window, int x, int y) {
  POINT p{x, y};
  ClientToScreen(window, &p);
  HWND target = window;
  // Descend to the deepest visible child under the point.
  for (;;) {
    POINT local = p;
    ScreenToClient(target, &local);
    HWND child = ChildWindowFromPointEx(target, local, CWP_SKIPINVISIBLE);
    if (!child || child == target) break;
    target = child;
  }
  POINT local = p;
  ScreenToClient(target, &local);
  const LPARAM pos = MAKELPARAM(local.x, local.y);
  PostMessageA(target, WM_MOUSEMOVE, 0, pos);
  PostMessageA(target, WM_LBUTTONDOWN, MK_LBUTTON, pos);
  PostMessageA(target, WM_LBUTTONUP, 0, pos);
}

void pressKey(HWND hwnd, UINT vk) {
  const UINT scan = MapVirtualKeyA(vk, 0);
  PostMessageA(hwnd, WM_KEYDOWN, vk, 1 | (scan << 16));
  PostMessageA(hwnd, WM_KEYUP, vk, 1 | (scan << 16) | (1u << 30) | (1u << 31));
}

bool realInput(const std::string& args) {
  // Wine starts a Unix program given by its Unix path, but hands back no handle to
  // wait on: a shell runs xdotool and leaves its exit code in a file that is polled.
  static int count = 0;
  const std::string mark =
      "/tmp/corva-input-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count);
  std::string seen = "Z:" + mark;
  for (char& c : seen)
    if (c == '/') c = '\\';
  std::string line = "/bin/sh -c \"/usr/bin/xdotool " + args + "; echo $? >" + mark + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  if (pi.hThread) CloseHandle(pi.hThread);
  if (pi.hProcess) CloseHandle(pi.hProcess);
  std::string code;
  waitFor(
      [&] {
        FILE* f = std::fopen(seen.c_str(), "r");
        if (!f) return false;
        char buffer[16] = {};
        const bool complete = std::fgets(buffer, sizeof buffer, f) && std::strchr(buffer, '\n');
        std::fclose(f);
        if (complete) code = buffer;
        return complete;
      },
      10000);
  DeleteFileA(seen.c_str());
  return code == "0\n";
}

bool focusForRealInput(HWND topLevel) {
  // Xvfb runs no window manager: when the active window closes, Wine activates no
  // other, and X focus alone does not activate one (a person would click it). A
  // window still being shown may lose the activation again, so it is asked until it
  // holds.
  waitFor(
      [&] {
        if (GetForegroundWindow() == topLevel) return true;
        SetForegroundWindow(topLevel);
        return false;
      },
      5000);
  // The X window behind a Wine window is kept in one of its properties.
  const auto xid = reinterpret_cast<std::uintptr_t>(GetPropA(topLevel, "__wine_x11_whole_window"));
  return xid && realInput("windowfocus --sync " + std::to_string(xid));
}

bool realClick(HWND hwnd) {
  RECT r{};
  if (!GetWindowRect(hwnd, &r)) return false;
  // No --sync: it waits for the pointer to move, forever when it is already there.
  return realInput("mousemove " + std::to_string((r.left + r.right) / 2) + " " +
                   std::to_string((r.top + r.bottom) / 2) + " click 1");
}

HWND focusedWindow(HWND window) {
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  return thread && GetGUIThreadInfo(thread, &gui) ? gui.hwndFocus : nullptr;
}

HWND foregroundWindow() {
  return GetForegroundWindow();
}

bool findMessageBox(DWORD pid, MessageBoxInfo& out, int timeoutMs) {
  return waitFor(
      [&] {
        for (const auto& w : topLevelWindows(pid)) {
          if (!w.visible || w.className != "#32770") continue;
          out = MessageBoxInfo{};
          out.hwnd = w.hwnd;
          out.title = w.text;
          for (const auto& c : descendants(w.hwnd)) {
            if (c.className == "Button" && c.visible) out.buttons.push_back(c.text);
            if (c.className == "Static") {
              const LONG style = GetWindowLongA(c.hwnd, GWL_STYLE);
              if ((style & SS_TYPEMASK) == SS_ICON) {
                if (SendMessageA(c.hwnd, STM_GETICON, 0, 0) != 0) out.hasIcon = true;
              } else if (!c.text.empty()) {
                out.text = c.text;
              }
            }
          }
          return true;
        }
        return false;
      },
      timeoutMs);
}

namespace {
std::string withoutAmpersand(const std::string& s) {
  std::string r;
  for (char c : s)
    if (c != '&') r += c;
  return r;
}
}  // namespace

bool answerMessageBox(const MessageBoxInfo& box, const std::string& buttonCaption) {
  for (const auto& c : descendants(box.hwnd)) {
    if (c.className == "Button" && withoutAmpersand(c.text) == withoutAmpersand(buttonCaption)) {
      // A modal box of another process may act only at its next message; the
      // caller waits for the effect, not for the click.
      PostMessageA(box.hwnd, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(c.id), BN_CLICKED),
                   reinterpret_cast<LPARAM>(c.hwnd));
      return true;
    }
  }
  return false;
}

bool saveScreenshot(HWND hwnd, const std::string& bmpPath) {
  RECT r{};
  if (!GetWindowRect(hwnd, &r)) return false;
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return false;
  const platform::WindowDc screen(nullptr);
  const platform::MemoryDc mem(CreateCompatibleDC(screen.get()));
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const platform::GdiObject<HBITMAP> bmp(
      CreateDIBSection(screen.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bmp) return false;
  {
    const platform::Selection into(mem.get(), bmp.get());
    BitBlt(mem.get(), 0, 0, w, h, screen.get(), r.left, r.top, SRCCOPY);
  }
  GdiFlush();
  const DWORD stride = ((w * 3 + 3) / 4) * 4;
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
  fh.bfSize = fh.bfOffBits + stride * h;
  FILE* f = std::fopen(bmpPath.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(&fh, sizeof fh, 1, f) == 1 &&
                  std::fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f) == 1 &&
                  std::fwrite(bits, stride * h, 1, f) == 1;
  std::fclose(f);
  return ok;
}

DWORD guiObjects(HANDLE process, bool user) {
  return GetGuiResources(process, user ? GR_USEROBJECTS : GR_GDIOBJECTS);
}

namespace {

// Written out: the one in mingw's liboleacc.a does not match.
const IID kIAccessible = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

std::string fromBstr(BSTR b) {
  std::string s;
  if (!b) return s;
  const int n = WideCharToMultiByte(CP_ACP, 0, b, -1, nullptr, 0, nullptr, nullptr);
  s.resize(n > 0 ? n - 1 : 0);
  if (n > 1) WideCharToMultiByte(CP_ACP, 0, b, -1, &s[0], n, nullptr, nullptr);
  SysFreeString(b);
  return s;
}

VARIANT childId(long id) {
  VARIANT v{};
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

std::string nameOf(IAccessible* a, long id) {
  BSTR name = nullptr;
  return SUCCEEDED(a->get_accName(childId(id), &name)) ? fromBstr(name) : std::string();
}

IAccessible* clientOf(HWND hwnd) {
  CoInitialize(nullptr);
  IAccessible* a = nullptr;
  if (FAILED(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), kIAccessible,
                                        reinterpret_cast<void**>(&a))))
    return nullptr;
  return a;
}

std::vector<std::string>* g_changedNames = nullptr;

void CALLBACK nameChanged(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
  IAccessible* a = nullptr;
  VARIANT id{};
  if (g_changedNames && SUCCEEDED(AccessibleObjectFromEvent(hwnd, static_cast<DWORD>(object),
                                                            static_cast<DWORD>(child), &a, &id))) {
    g_changedNames->push_back(nameOf(a, id.vt == VT_I4 ? id.lVal : 0));
    a->Release();
  }
}

}  // namespace

AccessibleClient readAccessible(HWND hwnd) {
  AccessibleClient client;
  IAccessible* a = clientOf(hwnd);
  if (!a) return client;
  client.found = true;
  client.name = nameOf(a, CHILDID_SELF);
  long count = 0;
  a->get_accChildCount(&count);
  for (long i = 1; i <= count; ++i) {
    AccessibleItem item;
    item.name = nameOf(a, i);
    VARIANT v{};
    if (SUCCEEDED(a->get_accRole(childId(i), &v)) && v.vt == VT_I4) item.role = v.lVal;
    if (SUCCEEDED(a->get_accState(childId(i), &v)) && v.vt == VT_I4) item.state = v.lVal;
    long x = 0, y = 0, w = 0, h = 0;
    a->accLocation(&x, &y, &w, &h, childId(i));
    item.place = {x, y, x + w, y + h};
    client.children.push_back(item);
  }
  VARIANT focus{};
  if (a->get_accFocus(&focus) == S_OK && focus.vt == VT_I4) client.focusedChild = focus.lVal;
  if (focus.vt == VT_DISPATCH && focus.pdispVal) focus.pdispVal->Release();
  a->Release();
  return client;
}

NameChanges::NameChanges(DWORD pid) {
  static std::vector<std::string> names;
  names.clear();
  g_changedNames = &names;
  CoInitialize(nullptr);
  hook_ = SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr, nameChanged,
                          pid, 0, WINEVENT_OUTOFCONTEXT);
}

NameChanges::~NameChanges() {
  if (hook_) UnhookWinEvent(hook_);
  g_changedNames = nullptr;
}

bool NameChanges::waitFor(const std::string& name, int timeoutMs) {
  return automation::waitFor(
      [&] {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        for (const std::string& n : *g_changedNames)
          if (n == name) return true;
        return false;
      },
      timeoutMs);
}

}  // namespace automation
