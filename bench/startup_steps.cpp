// Where the wizard's start-up time goes: the baseline window plus, step by step,
// what corva16.exe does before its window is idle, in the order it does it. Built
// five times:
//   STEP 1  the wizard's DLL imports and its manifest (the shell, the common dialogs
//           and OLE it loads only on first use are not among them), and no input
//           method for its thread
//   STEP 2  + the child windows of the first page, in the system's font (the wizard
//           makes those of hidden and covered controls once it is idle)
//   STEP 3  + the font of their own they have in the wizard
//   STEP 4  + the first page's texts, each in its font, drawn on the window
//   STEP 5  + both JPEG pictures decoded by the program's decoder at the size they are
//           drawn (half their stored size), and drawn
// tools/bench.sh times each against minimal_window.exe as it does the wizard.
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "forms/Jpeg.h"

namespace {

HBITMAP pictures[2] = {};

HBITMAP loadPicture(const char* name, int width, int height) {
  HRSRC res = FindResourceA(nullptr, name, MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (!res) return nullptr;
  const auto* bytes = static_cast<const std::uint8_t*>(LockResource(LoadResource(nullptr, res)));
  forms::DecodedPicture picture;
  if (!forms::decodeJpeg(bytes, SizeofResource(nullptr, res), picture, width, height))
    return nullptr;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const int row = picture.width * 3, stride = (row + 3) & ~3;
  for (int y = 0; bits && y < picture.height; ++y)
    std::memcpy(static_cast<std::uint8_t*>(bits) + y * stride, &picture.bgr[y * row], row);
  return bitmap;
}

LRESULT CALLBACK windowProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  if (STEP >= 4 && msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    // The first page's faces: Arial at 18, 8.25 and 6.75 points, bold and underlined.
    const struct {
      int pixels, weight;
      BOOL underline;
      const char* text;
    } texts[] = {{-24, FW_NORMAL, FALSE, "Corvane"},
                 {-11, FW_NORMAL, TRUE, "www.corvane.com"},
                 {-9, FW_NORMAL, FALSE, "Check out our other solutions and products at:"},
                 {-9, FW_BOLD, FALSE, "Repair 16 bit MS-DOS Subsystem"},
                 {-11, FW_BOLD, FALSE, "Created by Quarnby Rodi"}};
    SetBkMode(dc, TRANSPARENT);
    for (int i = 0; i < 5; ++i) {
      HFONT font = CreateFontA(texts[i].pixels, 0, 0, 0, texts[i].weight, FALSE, texts[i].underline,
                               FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                               DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial");
      HGDIOBJ old = SelectObject(dc, font);
      RECT r{10, 100 + i * 30, 430, 130 + i * 30};
      DrawTextA(dc, texts[i].text, -1, &r, DT_LEFT | DT_WORDBREAK);
      SelectObject(dc, old);
      DeleteObject(font);
    }
    const int sizes[2][2] = {{114, 86}, {121, 33}};  // as the first page draws them
    for (int i = 0; STEP >= 5 && i < 2; ++i) {
      if (!pictures[i])
        pictures[i] = loadPicture(i == 0 ? "PHOTO" : "LOGO", sizes[i][0], sizes[i][1]);
      BITMAP b{};
      if (!pictures[i] || !GetObjectA(pictures[i], sizeof b, &b)) continue;
      HDC from = CreateCompatibleDC(dc);
      HGDIOBJ old = SelectObject(from, pictures[i]);
      SetStretchBltMode(dc, HALFTONE);
      StretchBlt(dc, i * 200, 0, sizes[i][0], sizes[i][1], from, 0, 0, b.bmWidth, b.bmHeight,
                 SRCCOPY);
      SelectObject(from, old);
      DeleteDC(from);
    }
    EndPaint(h, &ps);
    return 0;
  }
  return DefWindowProcA(h, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  using DisableIme = BOOL(WINAPI*)(DWORD);
  if (const auto disable = reinterpret_cast<DisableIme>(
          reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("imm32.dll"), "ImmDisableIME"))))
    disable(0);
  WNDCLASSA wc{};
  wc.lpfnWndProc = windowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = "StartupStep";
  if (!RegisterClassA(&wc)) return 1;
  HWND h =
      CreateWindowExA(0, "StartupStep", "Step", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                      CW_USEDEFAULT, CW_USEDEFAULT, 440, 340, nullptr, nullptr, instance, nullptr);
  if (!h) return 1;
  if (STEP >= 2) {
    HFONT font = STEP < 3
                     ? nullptr
                     : CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif");
    // Three page containers, then the four buttons below them.
    for (int i = 0; i < 7; ++i) {
      const bool page = i < 3;
      HWND child = CreateWindowExA(
          page ? WS_EX_CONTROLPARENT : 0, page ? "STATIC" : "BUTTON", page ? "" : "Button",
          WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | (page ? 0 : WS_TABSTOP),
          page ? 0 : (i - 3) * 80 + 80, page ? 0 : 272, page ? 430 : 65, page ? 257 : 25, h,
          nullptr, instance, nullptr);
      if (font) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
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
