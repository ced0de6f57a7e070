#include "settingsbackup/frmRestore.h"

#include <cctype>

#include "app/WizardSideBar.h"
#include "forms/Layout.h"
#include "helpers/BackupLocation.h"
#include "helpers/clsFileSystem.h"
#include "settingsbackup/clsRestore.h"

using forms::Control;
using forms::ControlKind;
using forms::Font;
using forms::label;
using forms::Look;
using forms::transparentText;

namespace {

constexpr forms::Color kLightGrey = forms::rgb(224, 224, 224);
constexpr forms::Color kSilver = forms::rgb(192, 192, 192);
constexpr forms::Color kBlue = forms::rgb(0, 0, 255);

const Font kArial825{"Arial", 8.25, false, false};
const Font kSans975{"MS Sans Serif", 9.75, false, false};

// The "Step n" headings: bold, as large as their text, on the label's own colour.
Look stepHeading(const std::string& text) {
  Look look;
  look.text = text;
  look.font = forms::bold(kSans975);
  look.back = forms::BackStyle::Opaque;
  look.autoSize = true;
  return look;
}

Control& button(forms::Form& f, const std::string& name, int left, const std::string& caption,
                bool enabled, int tabIndex) {
  return forms::commandButton(f, name, nullptr, left, 4080, 975, 375, caption, tabIndex, enabled);
}

void decoration(forms::Form& f, Control& in, const char* name, int left, int top) {
  forms::outline(f, name, &in, left, top, 255, 255, 4);
}

void layOut(forms::Form& f) {
  // The form's own controls, in stacking order.
  Control& page0 = forms::page(f, "fraSteps", 0, 2160, 0, 6375, 3855, forms::kWhite);
  Control& page4 = forms::page(f, "fraSteps", 4, 2160, -360, 6375, 3855, kSilver);
  Control& page3 = forms::page(f, "fraSteps", 3, 2160, 0, 6375, 3855, kSilver);
  Control& page2 = forms::page(f, "fraSteps", 2, 2160, 0, 6375, 3855, kSilver);
  Control& page1 = forms::page(f, "fraSteps", 1, 2160, 0, 6375, 3855, kSilver);
  button(f, "cmdFinish", 7320, "&Finish", false, 3);
  button(f, "cmdCancel", 3840, "Cancel", true, 0).setCancel(true);
  button(f, "cmdBack", 5010, "< &Back", false, 1);
  button(f, "cmdNext", 6000, "&Next >", true, 2);
  Control& picWiz = f.add(ControlKind::PictureBox, "picWiz", nullptr, 0, 0, 2175, 3975);
  picWiz.setBackColor(kBlue);
  Control& page5 = forms::page(f, "fraSteps", 5, 2160, 0, 6375, 3855, forms::kWhite);
  Control& shape1 = forms::shape(f, "Shape1", nullptr, 2160, 3840, 6375, 135);
  shape1.setFilled(true);
  shape1.setFillColor(forms::kBlack);

  // Page 0: welcome.
  decoration(f, page0, "Shape5", 5040, 2640);
  decoration(f, page0, "Shape4", 5040, 2280);
  decoration(f, page0, "Shape3", 5040, 1920);
  label(f, "Label1", &page0, 1080, 720, 4695, 495,
        transparentText("This wizard will restore your WordPerfect Customized settings", kSans975));
  label(f, "lblHead", &page0, 0, 0, 5895, 495,
        forms::banner("Welcome to Quillsafe Restore", Font{"MS Sans Serif", 18, false, false},
                      forms::kBlack));

  // Page 1: the backup description file.
  forms::commandButton(f, "btnSelect", &page1, 4560, 960, 1215, 375, "Select", 5);
  f.add(ControlKind::TextBox, "text1", &page1, 960, 960, 3375, 375).setTabIndex(4);
  label(f, "Label8", &page1, 960, 480, 3495, 375,
        transparentText("Please select Quillsafe to restore", kArial825));
  label(f, "Label2", &page1, 240, 120, 675, 240, stepHeading("Step 1"));

  // Pages 2 to 4: progress.
  label(f, "Label11", &page2, 1680, 1320, 3975, 255,
        transparentText("Restoring customized settings...", kArial825));
  label(f, "Label3", &page2, 240, 120, 675, 240, stepHeading("Step 2"));
  label(f, "Label10", &page3, 1200, 1080, 3015, 255,
        transparentText("Restoring customized folders...", kArial825));
  label(f, "Label4", &page3, 240, 120, 675, 240, stepHeading("Step 3"));
  label(f, "Label9", &page4, 1560, 1800, 3975, 255,
        transparentText("Restoring customized files...", kArial825));
  label(f, "Label5", &page4, 240, 120, 675, 240, stepHeading("Step 4"));

  // Page 5: done.
  label(f, "Label13", &page5, 3840, 3360, 2295, 375,
        transparentText("Click Finish to close program", kArial825));
  label(f, "Label12", &page5, 1560, 1560, 4695, 495,
        forms::centred(transparentText("WordPerfect customization have been successfully restored.",
                                       kArial825)));
  label(f, "Label7", &page5, 1200, 240, 4935, 615,
        forms::banner("Quillsafe Restore", Font{"Arial", 24, false, false}, forms::kBlack));
  Look congratulations = transparentText("Congratulations!", kSans975);
  congratulations.alignment = forms::Alignment::Right;
  label(f, "Label6", &page5, 2640, 1200, 1815, 255, congratulations);
  decoration(f, page5, "Shape8", 120, 120);
  decoration(f, page5, "Shape7", 120, 480);
  decoration(f, page5, "Shape6", 480, 120);

  wizard::layOutSideBar(f, picWiz);
}

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

frmRestore::frmRestore(forms::Application& app, platform::FileSystemApi& files,
                       BackupFileAccess access)
    : forms::Form(app, "frmRestore"),
      text1((layOut(*this), control("text1"))),
      cmdNext(control("cmdNext")),
      cmdBack(control("cmdBack")),
      cmdCancel(control("cmdCancel")),
      cmdFinish(control("cmdFinish")),
      fraSteps(controlArray("fraSteps")),
      shpSteps(controlArray("shpSteps")),
      lblSteps(controlArray("lblSteps")),
      files_(files),
      access_(std::move(access)) {
  caption.clear();
  border = forms::FormBorder::FixedDialog;
  showInTaskbar = false;
  backColor = kLightGrey;
  clientWidth = 8490;
  clientHeight = 4590;
  startPosition = forms::StartPosition::WindowsDefault;

  onLoad = [this] { Form_Load(); };
  control("btnSelect").onClick = [this] { btnSelect_Click(); };
  cmdNext.onClick = [this] { cmdNext_Click(); };
  cmdBack.onClick = [this] { cmdBack_Click(); };
  cmdCancel.onClick = [this] { cmdCancel_Click(); };
  cmdFinish.onClick = [this] { cmdFinish_Click(); };
}

void frmRestore::Form_Load() {
  RestoreStep = 0;
}

void frmRestore::btnSelect_Click() {
  std::string defaultExtension = "*.*";
  const std::string chosen =
      access_.ShowOpenFileDialog("Open", "Backup files BAK|*.BAK", defaultExtension);
  // A text box keeps what comes before the first NUL.
  text1.setText(chosen.substr(0, chosen.find('\0')));
}

void frmRestore::setButtons(bool back, bool cancel, bool finish, bool next) {
  cmdBack.setEnabled(back);
  cmdCancel.setEnabled(cancel);
  cmdFinish.setEnabled(finish);
  cmdNext.setEnabled(next);
}

void frmRestore::cmdNext_Click() {
  switch (RestoreStep) {
    case 0:
      setButtons(false, true, false, true);
      break;
    case 1:
      setButtons(true, true, false, true);
      break;
    case 2:
      setButtons(false, true, false, false);
      break;
    case 3:
      setButtons(false, true, false, false);
      break;
    case 4:
      setButtons(false, false, true, false);
      break;
    default:
      break;
  }
  ++RestoreStep;
  if (RestoreStep == 2 && !BackupFilePasses()) {
    RestoreStep = 1;
    return;
  }
  const int last = shpSteps.count() - 1;
  if (RestoreStep >= last) RestoreStep = last;
  ShowStepIndicator(RestoreStep - 1, RestoreStep);
  fraSteps(RestoreStep).zOrder(0);
  if (RestoreStep == 2) clsRestore().Restore();

  // The progress pages have no button that leads on: each goes on by itself once
  // its part of the restore is done, after it has been seen.
  if (RestoreStep == 3 || RestoreStep == 4) {
    const int step = RestoreStep;
    app().waitUntil([] { return false; }, kProgressPageMs);
    if (RestoreStep == step && app().windowHandle(*this)) cmdNext_Click();
  }
}

void frmRestore::cmdBack_Click() {
  switch (RestoreStep) {
    case 1:
      setButtons(false, true, false, true);
      break;
    case 2:
      setButtons(true, true, false, true);
      break;
    case 3:
    case 4:
      setButtons(false, true, false, false);
      break;
    default:
      break;
  }
  --RestoreStep;
  if (RestoreStep < 1) RestoreStep = 0;
  ShowStepIndicator(RestoreStep + 1, RestoreStep);
  fraSteps(RestoreStep).zOrder(0);
}

void frmRestore::cmdCancel_Click() {
  app().endProcess();
}

void frmRestore::cmdFinish_Click() {
  app().endProcess();
}

bool frmRestore::BackupFilePasses() {
  const std::string fileName = text1.text();
  if (fileName.empty()) {
    app().msgBox("Please select a file", forms::vbOKOnly);
    return false;
  }
  clsFileSystem fileSystem(files_, app());
  if (!fileSystem.FileExist(fileName)) {
    app().msgBox("File does not exist,Please select a file", forms::vbOKOnly);
    text1.setText("");
    return false;
  }
  if (lower(fileSystem.GetFileExtension(fileName)) != "bak") {
    app().msgBox("Please select a file that has the .BAK extension", forms::vbOKOnly);
    text1.setText("");
    return false;
  }
  // The profile reader looks for a bare name in the Windows folder; the file that
  // was found is the one in the current folder.
  const bool bare = fileName.find_first_of("\\/") == std::string::npos;
  const std::string profile = bare ? ".\\" + fileName : fileName;
  if (access_.ReadIniValue(profile, "Backup", "Version") != "WP12") {
    app().msgBox("This is Not a WordPefect 12 backup, please select a WordPerfect 12 backup",
                 forms::vbOKOnly);
    return false;
  }
  BackupLocation = access_.ReadIniValue(profile, "Backup", "Backup_Location");
  return true;
}

void frmRestore::ShowStepIndicator(int previousStep, int newStep) {
  wizard::ShowStepIndicator(shpSteps, lblSteps, previousStep, newStep);
}
