#pragma once
// Lengths of the forms in pixels of the display, by its real DPI.
#include "forms/Forms.h"

namespace forms {

class Dpi {
 public:
  // The screen's; 96 where it cannot be read.
  Dpi();
  // Twips to pixels and back, rounded to the nearest pixel.
  int toPixelsX(Twips t) const;
  int toPixelsY(Twips t) const;
  Twips toTwipsX(int px) const;
  Twips toTwipsY(int px) const;
  // The height of the characters of a font of that many points.
  int pointsToPixels(double points) const;

 private:
  int x_ = 96, y_ = 96;
};

}  // namespace forms
