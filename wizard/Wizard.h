#pragma once
// What the repair and restore wizards share: stacked pages fraSteps(0..5), the
// four buttons below them and their states, and the side bar inside the picture
// box picWiz with the step markers shpSteps(0..5) and labels lblSteps(0..5).
#include <string>

#include "forms/Forms.h"
#include "forms/Layout.h"

namespace wizard {

constexpr forms::Color kLightGrey = forms::rgb(224, 224, 224);
constexpr forms::Color kSilver = forms::rgb(192, 192, 192);
constexpr forms::Color kBlue = forms::rgb(0, 0, 255);

constexpr forms::Color kMarkerCurrent = forms::rgb(0, 255, 0);
constexpr forms::Color kMarkerOther = forms::rgb(128, 128, 128);
constexpr forms::Color kMarkerLast = forms::rgb(255, 0, 0);

// Which of the buttons can be clicked.
struct Buttons {
  bool back, cancel, finish, next;
};
// The states the wizards show.
constexpr Buttons kCancelOnly{false, true, false, false};
constexpr Buttons kCancelNext{false, true, false, true};
constexpr Buttons kBackCancelNext{true, true, false, true};
constexpr Buttons kFinishOnly{false, false, true, false};

// Where the buttons stand, in stacking order.
struct ButtonLefts {
  forms::Twips finish, cancel, back, next;
};
// Adds Finish, Cancel (the cancel button, first in tab order), Back and Next on
// the form, Cancel and Next enabled.
void layOutButtons(forms::Form& f, const ButtonLefts& lefts);

// Page `index`: the frame fraSteps(index) on the form.
forms::Control& page(forms::Form& f, int index, forms::Twips left, forms::Twips top,
                     forms::Twips width, forms::Twips height, forms::Color back);

// The "Step n" headings: bold, as large as their text, on `back`.
forms::Look stepHeading(const char* text, forms::Color back);

// Adds the labels, the markers and Shape2 to `picWiz`, top first: "Start" bold
// and its marker green, the last marker red, the others grey.
void layOutSideBar(forms::Form& f, forms::Control& picWiz);

// A wizard form: its layout adds the pages, the buttons and the side bar. It has
// no caption, stays out of the taskbar and is as high as a page and the buttons.
class WizardForm : public forms::Form {
 public:
  WizardForm(forms::Application& app, std::string name, void (*layOut)(forms::Form&));

  // Event handlers.
  virtual void Form_Load() = 0;
  virtual void cmdNext_Click() = 0;
  virtual void cmdBack_Click() = 0;
  virtual void cmdCancel_Click() = 0;
  virtual void cmdFinish_Click() = 0;

  // Marker p grey (red if p is the last page) and its label not bold; marker n
  // green and its label bold.
  void ShowStepIndicator(int previousStep, int newStep);

  forms::Control& cmdNext;
  forms::Control& cmdBack;
  forms::Control& cmdCancel;
  forms::Control& cmdFinish;
  forms::ControlArray fraSteps;
  forms::ControlArray shpSteps;
  forms::ControlArray lblSteps;

 protected:
  void setButtons(const Buttons& buttons);
  // The side bar marks the new step and its page comes to the front.
  void showPage(int previousStep, int newStep);
};

}  // namespace wizard
