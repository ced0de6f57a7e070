#include "forms/win32/Win32Pictures.h"

#include <cstdint>
#include <cstring>

#include "forms/Jpeg.h"

namespace forms {

namespace {

using Bitmap = platform::GdiObject<HBITMAP>;

// The picture at the size it is stored, as a bitmap of its own.
Bitmap decode(const std::string& name) {
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
    std::memcpy(static_cast<std::uint8_t*>(bits) + y * stride, &picture.bgr[y * row], row);
  return bitmap;
}

// The picture shrunk smoothly to the size it is drawn at: the pictures are drawn
// smaller than they are stored.
Bitmap scaled(HDC like, HBITMAP source, int w, int h) {
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

}  // namespace

void PictureCache::draw(HDC dc, const std::string& name, const RECT& r) {
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

HBITMAP PictureCache::decoded(const std::string& name) {
  auto it = decoded_.find(name);
  if (it == decoded_.end()) it = decoded_.emplace(name, decode(name)).first;
  return it->second.get();
}

}  // namespace forms
