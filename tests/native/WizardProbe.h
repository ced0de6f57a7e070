#pragma once
// What a person sees of a wizard form in the in-memory realisation: the page in
// front, the four buttons and the side bar's markers.
#include <gtest/gtest.h>

#include <string>

#include "wizard/Wizard.h"

namespace probe {

// The page the user sees: the fraSteps frame on top of the form's stacking.
inline int page(const forms::Form& f) {
  for (forms::Control* c : f.stacking(nullptr))
    if (c->name() == "fraSteps") return c->index();
  return -1;
}

// "BCNF" with '-' for each disabled button.
inline std::string buttons(const wizard::WizardForm& f) {
  std::string s = "BCNF";
  const forms::Control* all[] = {&f.cmdBack, &f.cmdCancel, &f.cmdNext, &f.cmdFinish};
  for (int i = 0; i < 4; ++i)
    if (!all[i]->enabled()) s[i] = '-';
  return s;
}

// One letter per step marker: G green, R red, - grey; a step's label is bold
// exactly when its marker is green.
inline std::string sideBar(const wizard::WizardForm& f) {
  std::string s;
  for (int i = 0; i < 6; ++i) {
    const forms::Color c = f.shpSteps(i).fillColor();
    const bool green = c == forms::rgb(0, 255, 0);
    s += green                            ? 'G'
         : c == forms::rgb(255, 0, 0)     ? 'R'
         : c == forms::rgb(128, 128, 128) ? '-'
                                          : '?';
    EXPECT_EQ(green, f.lblSteps(i).font().bold) << "marker and label " << i << " disagree";
  }
  return s;
}

// All three at once: "1 BCN- -G---R" is page 1, Finish off, the second marker green.
inline std::string state(const wizard::WizardForm& f) {
  return std::to_string(page(f)) + " " + buttons(f) + " " + sideBar(f);
}

}  // namespace probe
