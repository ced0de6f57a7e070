#include "forms/win32/Win32Dpi.h"

#include "platform/win32/Handle.h"

namespace forms {

namespace {

// Every conversion of a length to pixels: `amount` units of which `perInch` make an
// inch (1440 twips, 72 points), at `dpi`, rounded to the nearest pixel, halves away
// from zero.
int scaleRounded(double amount, int perInch, int dpi) {
  return rounded(amount * dpi / perInch);
}

}  // namespace

Dpi::Dpi() {
  const platform::WindowDc screen(nullptr);
  x_ = GetDeviceCaps(screen.get(), LOGPIXELSX);
  y_ = GetDeviceCaps(screen.get(), LOGPIXELSY);
  if (x_ <= 0) x_ = 96;
  if (y_ <= 0) y_ = 96;
}

int Dpi::toPixelsX(Twips t) const {
  return scaleRounded(t, 1440, x_);
}
int Dpi::toPixelsY(Twips t) const {
  return scaleRounded(t, 1440, y_);
}
Twips Dpi::toTwipsX(int px) const {
  return scaleRounded(px, x_, 1440);
}
Twips Dpi::toTwipsY(int px) const {
  return scaleRounded(px, y_, 1440);
}
int Dpi::pointsToPixels(double points) const {
  return scaleRounded(points, 72, y_);
}

}  // namespace forms
