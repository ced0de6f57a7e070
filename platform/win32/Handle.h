#pragma once
// Move-only owners of Windows handles: a copy would close a handle twice. One
// template, with what "no handle" is and how to close it for each kind.
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

}  // namespace platform
