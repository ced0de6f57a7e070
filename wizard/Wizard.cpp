#include "wizard/Wizard.h"

namespace wizard {

void layOutButtons(forms::Form& f, const ButtonLefts& lefts) {
  const auto button = [&f](const char* name, forms::Twips left, const char* caption, int tabIndex,
                           bool enabled) -> forms::Control& {
    return forms::commandButton(f, name, nullptr, left, 4080, 975, 375, caption, tabIndex, enabled);
  };
  button("cmdFinish", lefts.finish, "&Finish", 3, false);
  button("cmdCancel", lefts.cancel, "Cancel", 0, true).setCancel(true);
  button("cmdBack", lefts.back, "< &Back", 1, false);
  button("cmdNext", lefts.next, "&Next >", 2, true);
}

forms::Control& page(forms::Form& f, int index, forms::Twips left, forms::Twips top,
                     forms::Twips width, forms::Twips height, forms::Color back) {
  return forms::page(f, "fraSteps", index, left, top, width, height, back);
}

forms::Look stepHeading(const char* text, forms::Color back) {
  forms::Look look = forms::transparentText(text, forms::Font{"MS Sans Serif", 9.75, true, false});
  look.back = forms::BackStyle::Opaque;
  look.backColor = back;
  look.autoSize = true;
  return look;
}

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

WizardForm::WizardForm(forms::Application& app, std::string name, void (*layOut)(forms::Form&))
    : forms::Form(app, std::move(name)),
      cmdNext((layOut(*this), control("cmdNext"))),
      cmdBack(control("cmdBack")),
      cmdCancel(control("cmdCancel")),
      cmdFinish(control("cmdFinish")),
      fraSteps(controlArray("fraSteps")),
      shpSteps(controlArray("shpSteps")),
      lblSteps(controlArray("lblSteps")) {
  caption.clear();
  showInTaskbar = false;
  clientHeight = 4590;
  onLoad = [this] { Form_Load(); };
  cmdNext.onClick = [this] { cmdNext_Click(); };
  cmdBack.onClick = [this] { cmdBack_Click(); };
  cmdCancel.onClick = [this] { cmdCancel_Click(); };
  cmdFinish.onClick = [this] { cmdFinish_Click(); };
}

void WizardForm::ShowStepIndicator(int previousStep, int newStep) {
  const int last = shpSteps.count() - 1;
  shpSteps(previousStep).setFillColor(previousStep == last ? kMarkerLast : kMarkerOther);
  lblSteps(previousStep).setFontBold(false);
  shpSteps(newStep).setFillColor(kMarkerCurrent);
  lblSteps(newStep).setFontBold(true);
}

void WizardForm::setButtons(const Buttons& buttons) {
  cmdBack.setEnabled(buttons.back);
  cmdCancel.setEnabled(buttons.cancel);
  cmdFinish.setEnabled(buttons.finish);
  cmdNext.setEnabled(buttons.next);
}

void WizardForm::showPage(int previousStep, int newStep) {
  ShowStepIndicator(previousStep, newStep);
  fraSteps(newStep).zOrder(0);
}

}  // namespace wizard
