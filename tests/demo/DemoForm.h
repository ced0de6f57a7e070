#pragma once
// A small form of the runtime that shows every control kind and the stacking rule;
// the Win32 tests of the runtime show it as real windows in the test process.
//
// Layout (client 4800 x 3600 twips = 320 x 240 pixels at 96 DPI):
//   shpFront (green, filled) listed before shpBack (red): where they overlap, green.
//   lblCovered (opaque blue) listed before fraBox (yellow frame): the frame covers it.
//   lblOverPhoto (opaque white strip) listed before imgPhoto: drawn over the picture.
//   fraBox holds optChoice(0..1) and lblInFrame; picBox (cyan) holds chkInPicture.
//   cmdApply ("&Apply") sets the title to "Applied: <text of txtName>";
//   cmdClose ("Close", the cancel button) unloads the form; tmrCount counts ticks.
#include "forms/Forms.h"

class DemoForm : public forms::Form {
 public:
  explicit DemoForm(forms::Application& app);
  int ticks = 0;
  int changes = 0;
};

// Where the stacking can be seen, in twips of the form.
namespace demo_points {
constexpr int kOverlapX = 1200, kOverlapY = 900;      // both shapes: green on top
constexpr int kBackOnlyX = 360, kBackOnlyY = 360;     // only the red shape
constexpr int kCoveredX = 2550, kCoveredY = 330;      // lblCovered under fraBox
constexpr int kStripX = 600, kStripY = 1740;          // white strip over the photo
}  // namespace demo_points
