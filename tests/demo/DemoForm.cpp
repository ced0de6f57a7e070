#include "demo/DemoForm.h"

using forms::ControlKind;
using forms::rgb;

DemoForm::DemoForm(forms::Application& app) : forms::Form(app, "frmDemo") {
  caption = "Forms runtime demonstration";
  border = forms::FormBorder::FixedDialog;
  backColor = rgb(255, 255, 255);
  clientWidth = 4800;
  clientHeight = 3600;
  startPosition = forms::StartPosition::CenterScreen;

  // Painted controls on the form, top first.
  auto& front = add(ControlKind::Shape, "shpFront", nullptr, 600, 480, 1500, 900);
  front.setFilled(true);
  front.setFillColor(rgb(0, 255, 0));
  auto& back = add(ControlKind::Shape, "shpBack", nullptr, 240, 240, 1500, 1200);
  back.setFilled(true);
  back.setFillColor(rgb(255, 0, 0));
  auto& covered = add(ControlKind::Label, "lblCovered", nullptr, 2400, 240, 900, 300);
  covered.setBackColor(rgb(0, 0, 255));
  covered.setCaption("hidden");
  auto& strip = add(ControlKind::Label, "lblOverPhoto", nullptr, 240, 1680, 900, 255);
  strip.setBackColor(rgb(255, 255, 255));
  strip.setFont(forms::Font{"Arial", 8.25, true, true});
  strip.setCaption("Photo");
  auto& title = add(ControlKind::Label, "lblTitle", nullptr, 240, 3240, 2400, 300);
  title.setBackStyle(forms::BackStyle::Transparent);
  title.setForeColor(rgb(0, 0, 128));
  title.setFont(forms::Font{"Arial", 12, true, false});
  title.setCaption("Every control");
  add(ControlKind::Image, "imgPhoto", nullptr, 240, 1560, 900, 1440).setPicture("PHOTO");

  // Windowed controls.
  auto& frame = add(ControlKind::Frame, "fraBox", nullptr, 2100, 120, 2400, 1200);
  frame.setBackColor(rgb(255, 255, 0));
  frame.setBorderStyle(forms::BorderStyle::FixedSingle);
  for (int i = 0; i < 2; ++i) {
    auto& opt = add(ControlKind::OptionButton, "optChoice", &frame, 1200, 240 + 360 * i, 1080, 255, i);
    opt.setCaption(i == 0 ? "One" : "Two");
    opt.setBackColor(rgb(255, 255, 0));
    opt.setValue(i == 0 ? 1 : 0);
  }
  auto& inFrame = add(ControlKind::Label, "lblInFrame", &frame, 120, 240, 1000, 255);
  inFrame.setBackStyle(forms::BackStyle::Transparent);
  inFrame.setCaption("In a frame");

  auto& pic = add(ControlKind::PictureBox, "picBox", nullptr, 3240, 1560, 1440, 900);
  pic.setBackColor(rgb(0, 255, 255));
  auto& chkIn = add(ControlKind::CheckBox, "chkInPicture", &pic, 120, 120, 1200, 255);
  chkIn.setCaption("&Inside");
  chkIn.setBackColor(rgb(0, 255, 255));

  auto& chk = add(ControlKind::CheckBox, "chkOption", nullptr, 1320, 1560, 1800, 255);
  chk.setCaption("A check box");
  chk.setBackColor(rgb(255, 255, 255));
  chk.setValue(1);
  auto& text = add(ControlKind::TextBox, "txtName", nullptr, 1320, 1920, 1800, 285);
  text.setText("typed");
  auto& list = add(ControlKind::ListBox, "lstItems", nullptr, 1320, 2280, 1800, 700);
  list.addItem("first");
  list.addItem("second");
  auto& apply = add(ControlKind::CommandButton, "cmdApply", nullptr, 3240, 3000, 735, 375);
  apply.setCaption("&Apply");
  apply.setTabIndex(1);
  auto& close = add(ControlKind::CommandButton, "cmdClose", nullptr, 4020, 3000, 735, 375);
  close.setCaption("Close");
  close.setCancel(true);
  close.setTabIndex(2);
  text.setTabIndex(0);
  add(ControlKind::Timer, "tmrCount", nullptr, 0, 0, 0, 0).setInterval(100);

  control("cmdApply").onClick = [this] { setCaption("Applied: " + control("txtName").text()); };
  control("cmdClose").onClick = [this] { unload(); };
  control("txtName").onChange = [this] { ++changes; };
  control("tmrCount").onTimer = [this] { ++ticks; };
}
