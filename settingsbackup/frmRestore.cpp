#include "settingsbackup/frmRestore.h"

#include <cctype>
#include <optional>

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

using wizard::kSilver;
using wizard::page;

const Font kArial825{"Arial", 8.25, false, false};
const Font kSans975{"MS Sans Serif", 9.75, false, false};

// The "Step n" headings, on the label's own colour.
Look stepHeading(const char* text) {
  return wizard::stepHeading(text, forms::kSysButtonFace);
}

// The buttons as Next and Back leave each page; nothing where they stay as they are.
const struct {
  std::optional<wizard::Buttons> next, back;
} kButtonsLeaving[] = {
    {wizard::kCancelNext, std::nullopt},
    {wizard::kBackCancelNext, wizard::kCancelNext},  // a failed check stays with Back
    {wizard::kCancelOnly, wizard::kBackCancelNext},
    {wizard::kCancelOnly, wizard::kCancelOnly},
    {wizard::kFinishOnly, wizard::kCancelOnly},
    {std::nullopt, std::nullopt},
};

void decoration(forms::Form& f, Control& in, const char* name, int left, int top) {
  forms::outline(f, name, &in, left, top, 255, 255, 4);
}

void layOut(forms::Form& f) {
  // The form's own controls, in stacking order.
  Control& page0 = page(f, 0, 2160, 0, 6375, 3855, forms::kWhite);
  Control& page4 = page(f, 4, 2160, -360, 6375, 3855, kSilver);
  Control& page3 = page(f, 3, 2160, 0, 6375, 3855, kSilver);
  Control& page2 = page(f, 2, 2160, 0, 6375, 3855, kSilver);
  Control& page1 = page(f, 1, 2160, 0, 6375, 3855, kSilver);
  wizard::layOutButtons(f, {7320, 3840, 5010, 6000});
  Control& picWiz = f.add(ControlKind::PictureBox, "picWiz", nullptr, 0, 0, 2175, 3975);
  picWiz.setBackColor(wizard::kBlue);
  Control& page5 = page(f, 5, 2160, 0, 6375, 3855, forms::kWhite);
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
    : wizard::WizardForm(app, "frmRestore", layOut),
      text1(control("text1")),
      files_(files),
      access_(std::move(access)) {
  border = forms::FormBorder::FixedDialog;
  backColor = wizard::kLightGrey;
  clientWidth = 8490;
  control("btnSelect").onClick = [this] { btnSelect_Click(); };
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

void frmRestore::setButtonsLeaving(bool next) {
  if (RestoreStep < 0 || RestoreStep > 5) return;
  const auto& buttons =
      next ? kButtonsLeaving[RestoreStep].next : kButtonsLeaving[RestoreStep].back;
  if (buttons) setButtons(*buttons);
}

void frmRestore::cmdNext_Click() {
  setButtonsLeaving(true);
  ++RestoreStep;
  if (RestoreStep == 2 && !BackupFilePasses()) {
    RestoreStep = 1;
    return;
  }
  const int last = shpSteps.count() - 1;
  if (RestoreStep >= last) RestoreStep = last;
  showPage(RestoreStep - 1, RestoreStep);
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
  setButtonsLeaving(false);
  --RestoreStep;
  if (RestoreStep < 1) RestoreStep = 0;
  showPage(RestoreStep + 1, RestoreStep);
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
