#include "app/WizardSideBar.h"

#include "forms/Layout.h"

namespace wizard {

void layOutSideBar(forms::Form& f, forms::Control& picWiz) {
  const struct {
    int left, top, width;
    const char* text;
  } steps[] = {{600, 120, 420, "Start"},   {720, 480, 465, "Step 1"},  {720, 960, 465, "Step 2"},
               {720, 1440, 465, "Step 3"}, {720, 1920, 465, "Step 4"}, {600, 2400, 405, "Finish"}};
  for (int i = 0; i < 6; ++i) {
    forms::Look look =
        forms::transparentText(steps[i].text, i == 0 ? forms::bold(forms::Font{}) : forms::Font{});
    look.foreColor = forms::kWhite;
    look.autoSize = true;
    forms::label(f, "lblSteps", &picWiz, steps[i].left, steps[i].top, steps[i].width, 195, look, i);
  }
  const struct {
    int left, top;
  } markers[] = {{120, 120}, {360, 480}, {360, 960}, {360, 1440}, {360, 1920}, {120, 2400}};
  for (int i = 0; i < 6; ++i) {
    forms::Control& c =
        forms::shape(f, "shpSteps", &picWiz, markers[i].left, markers[i].top, 255, 255, i);
    c.setFilled(true);
    c.setFillColor(i == 0 ? kMarkerCurrent : i == 5 ? kMarkerLast : kMarkerOther);
  }
  forms::shape(f, "Shape2", &picWiz, 240, 240, 255, 2295);
}

void ShowStepIndicator(const forms::ControlArray& shpSteps, const forms::ControlArray& lblSteps,
                       int previousStep, int newStep) {
  const int last = shpSteps.count() - 1;
  shpSteps(previousStep).setFillColor(previousStep == last ? kMarkerLast : kMarkerOther);
  lblSteps(previousStep).setFontBold(false);
  shpSteps(newStep).setFillColor(kMarkerCurrent);
  lblSteps(newStep).setFontBold(true);
}

}  // namespace wizard
