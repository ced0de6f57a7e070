#include "settingsbackup/frmMain.h"

#include "app/Module1.h"
#include "forms/Layout.h"
#include "helpers/OpenWebPage.h"

using forms::Control;
using forms::ControlKind;

namespace {

const forms::Font kArial825{"Arial", 8.25, false, false};

forms::Look text(const char* caption) {
  return forms::plainText(caption, kArial825);
}

Control& option(forms::Form& f, const char* name, Control* in, int l, int t, int w, int h,
                const char* caption, int tabIndex) {
  Control& c = f.add(ControlKind::OptionButton, name, in, l, t, w, h);
  c.setCaption(caption);
  c.setFont(kArial825);
  c.setTabIndex(tabIndex);
  return c;
}

void layOut(forms::Form& f) {
  Control& frame1 = f.add(ControlKind::Frame, "Frame1", nullptr, 120, 0, 6135, 3255);
  frame1.setBorderStyle(forms::BorderStyle::FixedSingle);
  frame1.setFont(kArial825);
  frame1.setTabIndex(0);
  forms::label(f, "Label4", nullptr, 240, 3480, 3015, 255,
               forms::link(std::string(kMakerWebHost) + "/quillbk12.htm", kArial825))
      .setTabIndex(7);
  Control& start = forms::commandButton(f, "Command4", nullptr, 3480, 3360, 1215, 375, "Start", 5);
  Control& cancel =
      forms::commandButton(f, "Command3", nullptr, 4920, 3360, 1335, 375, "Cancel", 1);
  start.setFont(kArial825);
  cancel.setFont(kArial825);
  forms::label(f, "Label1", nullptr, 3360, 5400, 135, 15, text("Label1")).setTabIndex(2);

  forms::label(f, "Label2", &frame1, 720, 480, 4335, 255,
               forms::centred(text("Welcome to Quillsafe ")))
      .setTabIndex(6);
  forms::label(f, "Label3", &frame1, 840, 720, 4335, 255,
               forms::centred(text("For WordPerfect 12")))
      .setTabIndex(8);
  option(f, "optBackup", &frame1, 960, 1200, 4575, 375,
         "Backup WordPerfect customized settings and files", 3)
      .setValue(1);
  option(f, "optRestore", &frame1, 960, 1680, 4095, 375,
         "Restore WordPerfect customized settings and files", 4);
}

}  // namespace

std::string quillsafePageUrl() {
  return std::string("http://") + kMakerWebHost + "/quillbk12.htm";
}

frmMain::frmMain(forms::Application& app, platform::Platform& sys, BackupFileAccess access)
    : forms::Form(app, "frmMain"),
      optBackup((layOut(*this), control("optBackup"))),
      optRestore(control("optRestore")),
      Command4(control("Command4")),
      Command3(control("Command3")),
      Label4(control("Label4")),
      sys_(sys),
      access_(std::move(access)) {
  caption = "Quillsafe";
  border = forms::FormBorder::FixedSingle;
  minButton = false;
  maxButton = false;
  clientWidth = 6345;
  clientHeight = 3855;
  startPosition = forms::StartPosition::WindowsDefault;

  Command4.onClick = [this] { Command4_Click(); };
  Command3.onClick = [this] { Command3_Click(); };
  Label4.onClick = [this] { Label4_Click(); };
}

void frmMain::Command4_Click() {
  if (optBackup.value() != 0) {
    hide();
    // Where no wizard opens (64-bit Windows, or one open already), nothing is left to do.
    if (!Module1::OpenRepairWizard(app(), sys_)) app().endProcess();
    return;
  }
  hide();
  app().defaultInstance<frmRestore>(sys_.files, access_).show(forms::Modality::Modal);
}

void frmMain::Command3_Click() {
  app().endProcess();
}

void frmMain::Label4_Click() {
  OpenWebPage(app(), sys_, app().windowHandle(*this), quillsafePageUrl(), true);
}
