#pragma once
// The pictures of the program: each JPEG resource decoded by the program's own
// decoder where it is first drawn at a size, and kept as a bitmap of that size, so
// that painting again only copies pixels.
#include <windows.h>

#include <map>
#include <string>

#include "platform/win32/Handle.h"

namespace forms {

class PictureCache {
 public:
  // Draws the picture of a resource name filling `r`.
  void draw(HDC dc, const std::string& name, const RECT& r);

 private:
  using Bitmap = platform::GdiObject<HBITMAP>;
  std::map<std::string, Bitmap> sized_;
};

}  // namespace forms
