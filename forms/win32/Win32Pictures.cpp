#include "forms/win32/Win32Pictures.h"

#include <cstdint>

#include "forms/Jpeg.h"

namespace forms {

namespace {

using Bitmap = platform::GdiObject<HBITMAP>;

// The picture at the size it is drawn, as a bitmap of its own.
Bitmap sizedPicture(const std::string& name, int width, int height) {
  HRSRC res = FindResourceA(nullptr, name.c_str(), MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (!res) return Bitmap();
  const DWORD size = SizeofResource(nullptr, res);
  HGLOBAL data = LoadResource(nullptr, res);
  const void* bytes = data ? LockResource(data) : nullptr;
  DecodedPicture picture;
  if (!bytes || !decodeJpeg(static_cast<const std::uint8_t*>(bytes), size, picture, width, height))
    return Bitmap();
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  Bitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return Bitmap();
  // Rows of a bitmap are padded to whole DWORDs.
  stretchPicture(picture, width, height, static_cast<std::uint8_t*>(bits),
                 (static_cast<std::size_t>(width) * 3 + 3) & ~static_cast<std::size_t>(3));
  return bitmap;
}

}  // namespace

void PictureCache::draw(HDC dc, const std::string& name, const RECT& r) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return;
  Bitmap& sized = sized_[name + "|" + std::to_string(w) + "x" + std::to_string(h)];
  if (!sized) sized = sizedPicture(name, w, h);
  if (!sized) return;
  const platform::MemoryDc from(CreateCompatibleDC(dc));
  const platform::Selection picture(from.get(), sized.get());
  BitBlt(dc, r.left, r.top, w, h, from.get(), 0, 0, SRCCOPY);
}

}  // namespace forms
