#pragma once
// Move-only owners of Windows handles: a copy would close a handle twice. One
// template, with what "no handle" is and how to close it for each kind; what is
// ended by a call that needs more than the handle (a window's DC, a painting, a
// selection) has a class of its own.
#include <windows.h>

#include <utility>

namespace platform {

template <typename H, typename Traits>
class OwnedHandle {
 public:
  OwnedHandle() = default;
  explicit OwnedHandle(H h) : h_(h) {}
  OwnedHandle(OwnedHandle&& o) noexcept : h_(std::exchange(o.h_, Traits::none())) {}
  OwnedHandle& operator=(OwnedHandle&& o) noexcept {
    if (this != &o) {
      reset();
      h_ = std::exchange(o.h_, Traits::none());
    }
    return *this;
  }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  ~OwnedHandle() { reset(); }

  H get() const { return h_; }
  explicit operator bool() const { return Traits::valid(h_); }
  void reset() {
    if (Traits::valid(h_)) Traits::close(h_);
    h_ = Traits::none();
  }

 private:
  H h_ = Traits::none();
};

// Kernel objects: files, processes. Failed calls answer null or INVALID_HANDLE_VALUE.
struct KernelHandleTraits {
  static HANDLE none() { return nullptr; }
  static bool valid(HANDLE h) { return h && h != INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) { CloseHandle(h); }
};
using Handle = OwnedHandle<HANDLE, KernelHandleTraits>;

// A FindFirstFileA search: FindClose, not CloseHandle, ends it.
struct FindHandleTraits {
  static HANDLE none() { return INVALID_HANDLE_VALUE; }
  static bool valid(HANDLE h) { return h != INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) { FindClose(h); }
};
using FindHandle = OwnedHandle<HANDLE, FindHandleTraits>;

// An open registry key.
struct RegistryKeyTraits {
  static HKEY none() { return nullptr; }
  static bool valid(HKEY h) { return h != nullptr; }
  static void close(HKEY h) { RegCloseKey(h); }
};
using RegistryKey = OwnedHandle<HKEY, RegistryKeyTraits>;

// Fonts, brushes, bitmaps.
template <typename G>
struct GdiObjectTraits {
  static G none() { return nullptr; }
  static bool valid(G h) { return h != nullptr; }
  static void close(G h) { DeleteObject(h); }
};
template <typename G>
using GdiObject = OwnedHandle<G, GdiObjectTraits<G>>;

// A memory device context, from CreateCompatibleDC.
struct MemoryDcTraits {
  static HDC none() { return nullptr; }
  static bool valid(HDC h) { return h != nullptr; }
  static void close(HDC h) { DeleteDC(h); }
};
using MemoryDc = OwnedHandle<HDC, MemoryDcTraits>;

// The device context of a window (of the screen for nullptr), lent by GetDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  WindowDc(WindowDc&& o) noexcept : window_(o.window_), dc_(std::exchange(o.dc_, nullptr)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// The device context of a WM_PAINT, open from BeginPaint to EndPaint.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : window_(window), dc_(BeginPaint(window, &ps_)) {}
  PaintDc(PaintDc&& o) noexcept
      : window_(std::exchange(o.window_, nullptr)), ps_(o.ps_), dc_(o.dc_) {}
  ~PaintDc() {
    if (window_) EndPaint(window_, &ps_);
  }
  HDC get() const { return dc_; }
  // What is to be painted.
  const RECT& area() const { return ps_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

// An object selected into a device context, and the one it replaced put back at the
// end: a context must not be deleted, nor an object, while it is selected.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  Selection(Selection&& o) noexcept : dc_(std::exchange(o.dc_, nullptr)), old_(o.old_) {}
  ~Selection() {
    if (dc_) SelectObject(dc_, old_);
  }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace platform
