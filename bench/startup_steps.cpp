// Where the wizard's start-up time goes: the baseline window plus, step by step,
// what corva16.exe does before its window is idle. Built four times:
//   STEP 1  the wizard's DLL imports and its manifest (common controls 6); the
//           shell and the common dialogs it loads only on first use are not among them
//   STEP 2  + InitCommonControls and OleInitialize
//   STEP 3  + both JPEG pictures decoded with OleLoadPicture and drawn
//   STEP 4  + twenty child windows with a font of their own
// tools/bench.sh times each against minimal_window.exe as it does the wizard.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <ole2.h>
#include <olectl.h>

#include <cstring>

namespace {

IPicture* pictures[2] = {};

IPicture* loadPicture(const char* name) {
  HRSRC res = FindResourceA(nullptr, name, MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (!res) return nullptr;
  const DWORD size = SizeofResource(nullptr, res);
  HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
  std::memcpy(GlobalLock(copy), LockResource(LoadResource(nullptr, res)), size);
  GlobalUnlock(copy);
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(copy, TRUE, &stream))) return nullptr;
  IPicture* picture = nullptr;
  OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture,
                 reinterpret_cast<void**>(&picture));
  stream->Release();
  return picture;
}

LRESULT CALLBACK windowProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  if (STEP >= 3 && msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    for (int i = 0; i < 2; ++i) {
      if (!pictures[i]) continue;
      OLE_XSIZE_HIMETRIC cx = 0;
      OLE_YSIZE_HIMETRIC cy = 0;
      pictures[i]->get_Width(&cx);
      pictures[i]->get_Height(&cy);
      pictures[i]->Render(dc, i * 200, 0, 114, 86, 0, cy, cx, -cy, nullptr);
    }
    EndPaint(h, &ps);
    return 0;
  }
  return DefWindowProcA(h, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  // Never true: keeps one import from each of the wizard's DLLs.
  if (GetTickCount() == 1) {
    CoTaskMemFree(nullptr);
    SysFreeString(nullptr);
    InitCommonControls();
  }
  if (STEP >= 2) {
    InitCommonControls();
    OleInitialize(nullptr);
  }
  if (STEP >= 3) {
    pictures[0] = loadPicture("PHOTO");
    pictures[1] = loadPicture("LOGO");
  }
  WNDCLASSA wc{};
  wc.lpfnWndProc = windowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = "StartupStep";
  if (!RegisterClassA(&wc)) return 1;
  HWND h = CreateWindowExA(0, "StartupStep", "Step", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                           CW_USEDEFAULT, 440, 340, nullptr, nullptr, instance, nullptr);
  if (!h) return 1;
  if (STEP >= 4) {
    HFONT font = CreateFontA(-9, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, "Arial");
    for (int i = 0; i < 20; ++i) {
      HWND child =
          CreateWindowExA(0, i % 2 ? "BUTTON" : "STATIC", "Child", WS_CHILD | WS_VISIBLE,
                          (i % 5) * 80, (i / 5) * 30 + 100, 75, 25, h, nullptr, instance, nullptr);
      SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
  }
  ShowWindow(h, show);
  UpdateWindow(h);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
