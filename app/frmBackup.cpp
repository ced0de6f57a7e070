#include "app/frmBackup.h"

#include <cctype>
#include <cmath>

#include "app/DriveStrings.h"
#include "app/Module1.h"
#include "forms/Layout.h"
#include "helpers/CompressedFile.h"
#include "helpers/KeptCopy.h"
#include "helpers/OpenWebPage.h"
#include "helpers/ReentryGuard.h"
#include "helpers/WholeNumber.h"
#include "helpers/clsFileSystem.h"

using forms::Alignment;
using forms::BackStyle;
using forms::bold;
using forms::centred;
using forms::checkBox;
using forms::Control;
using forms::ControlKind;
using forms::Font;
using forms::image;
using forms::label;
using forms::Look;
using forms::shape;
using forms::transparentText;

const RepairCommand kRepairCommands[3] = {
    {"i386\\config.nt_", "c:\\windows\\system32\\CONFIG.NT", "CONFIG.NT"},
    {"i386\\autoexec.nt_", "c:\\windows\\system32\\AUTOEXEC.NT", "AUTOEXEC.NT"},
    {"i386\\command.co_", "c:\\windows\\system32\\COMMAND.NT", "COMMAND.NT"},
};

std::string repairCommandLine(const std::string& cdRoot, const RepairCommand& command) {
  return std::string("expand ") + cdRoot + command.source + " " + command.target;
}

namespace {

using wizard::kBlue;
using wizard::kLightGrey;
using wizard::kSilver;
using wizard::page;

const Font kArial675{"Arial", 6.75, false, false};
const Font kArial825{"Arial", 8.25, false, false};

Look stepHeading(const char* text) {
  return wizard::stepHeading(text, forms::kWhite);
}

// Builds every control of the wizard, each container's controls top first.
void layOut(forms::Form& f) {
  const std::string host = kMakerWebHost;

  // The form's own controls, in stacking order.
  Control& page0 = page(f, 0, -1680, 0, 8535, 3855, kLightGrey);
  Control& page1 = page(f, 1, 0, 0, 6495, 3855, kLightGrey);
  Control& page2 = page(f, 2, 0, 0, 6495, 3975, kLightGrey);
  Control& page3 = page(f, 3, 0, -120, 6495, 3855, kLightGrey);
  Control& page4 = page(f, 4, -120, 0, 6615, 3855, kLightGrey);
  wizard::layOutButtons(f, {5280, 1200, 3120, 4200});
  Control& page5 = page(f, 5, 0, 0, 6495, 3855, forms::kWhite);
  shape(f, "Shape1", nullptr, 2040, 3600, 6375, 135);

  // Page 0: welcome.
  label(f, "lblHead", &page0, 1560, 0, 6735, 495,
        forms::banner("Corvane", Font{"Arial", 18, false, false}, kBlue));
  image(f, "Image3", &page0, 1680, 480, 1710, 1290, "PHOTO");
  image(f, "Image1", &page0, 4320, 2280, 1815, 495, "LOGO");
  label(f, "Label20", &page0, 3720, 1800, 3855, 135,
        transparentText("Learn more about Corvane 16-bit MS-DOS Subsystem", kArial675));
  // The links follow the buttons in tab order: the focus starts on Cancel, and the
  // cycle runs in reading order.
  label(f, "Label8", &page0, 3720, 2040, 3615, 255,
        forms::link(host + "/corvfx16bit.htm", kArial825))
      .setTabIndex(4);
  label(f, "Label18", &page0, 3720, 3000, 3135, 255,
        transparentText("Check out our other solutions and products at:", kArial675));
  label(f, "Label17", &page0, 4200, 3240, 2415, 255, forms::link(host, kArial675)).setTabIndex(5);
  label(f, "Label16", &page0, 3840, 960, 3375, 375,
        centred(transparentText("Repair 16 bit MS-DOS Subsystem", bold(kArial675))));
  label(f, "Label15", &page0, 4200, 2760, 2295, 255,
        transparentText("Created by Quarnby Rodi", bold(kArial825)));
  label(f, "Label13", &page0, 3360, 435, 4815, 1335, forms::panel(forms::kWhite));
  label(f, "Label12", &page0, 5520, 3600, 1815, 255,
        transparentText("Click Next to begin fix", kArial675));

  // Page 1: insert the CD.
  Control& fraStatus = f.add(ControlKind::Frame, "fraStatus", &page1, 2040, 840, 3075, 645);
  fraStatus.setBackColor(kSilver);
  fraStatus.setBorderStyle(forms::BorderStyle::FixedSingle);
  Control& timer = f.add(ControlKind::Timer, "tmrCheck", &fraStatus, 0, 0, 0, 0);
  (void)timer;
  Look status = centred(transparentText("Checking for CD...", kArial675));
  status.autoSize = true;
  label(f, "lblStatus", &fraStatus, 840, 300, 1200, 180, status);
  checkBox(f, "chkCD", &page1, 0, 1110, 1485, 225, "CD to check for:", 0, Font{}, false);
  Control& txtCD = f.add(ControlKind::TextBox, "txtCD", &page1, 1560, 1080, 2355, 285);
  txtCD.setVisible(false);
  f.add(ControlKind::ListBox, "lstDrives", &page1, 3960, 1080, 2355, 1425).setVisible(false);
  Control& txtTimeout = f.add(ControlKind::TextBox, "txtTimeout", &page1, 1560, 1380, 1125, 285);
  txtTimeout.setText("500");
  txtTimeout.setVisible(false);
  checkBox(f, "Check1", &page1, 1560, 2640, 2895, 255, "Check1", 1, kArial825, false);
  checkBox(f, "chkSGML", &page1, 1560, 2880, 2895, 255, "SGML and XML customizations", 1, kArial825,
           false);
  Look timeoutLabel;
  timeoutLabel.text = "Timer timeout:";
  timeoutLabel.back = BackStyle::Opaque;
  timeoutLabel.autoSize = true;
  timeoutLabel.visible = false;
  label(f, "lblTimeout", &page1, 270, 1440, 990, 195, timeoutLabel);
  label(f, "lblWordtype", &page1, 1320, 480, 4455, 255, forms::panel(forms::kWhite));
  label(f, "Label11", &page1, 1680, 3600, 4455, 255,
        transparentText("Click Next to continue or Cancel to quit", kArial825));
  label(f, "Label10", &page1, 360, 240, 6015, 495,
        centred(transparentText("Please insert your Windows XP Operating System CD", kArial825)));
  label(f, "Label2", &page1, 240, 120, 675, 240, stepHeading("Step 1"));

  // Page 2: ready to repair.
  label(f, "lblStarting", &page2, 240, 2280, 6015, 375, transparentText("", kArial675));
  label(f, "lblRegsrv", &page2, 120, 1320, 6015, 375, transparentText("", kArial675));
  Look next2;
  next2.text = "Click Next to continue";
  next2.back = BackStyle::Opaque;
  next2.visible = false;
  label(f, "lblNext2", &page2, 2760, 3480, 1815, 255, next2);
  label(
      f, "Label14", &page2, 360, 480, 5175, 495,
      centred(transparentText("Ready to start repairing the 16-bit MS-DOS Subsystem", kArial825)));
  label(f, "Label3", &page2, 240, 120, 675, 240, stepHeading("Step 2"));

  // Page 3.
  Look next3;
  next3.text = "Now ready to repair found issues, click next to  continue...";
  next3.font = Font{"Arial", 9, false, false};
  next3.back = BackStyle::Opaque;
  next3.visible = false;
  label(f, "lblNext3", &page3, 600, 3480, 5295, 255, next3);
  label(f, "Label4", &page3, 240, 120, 675, 240, stepHeading("Step 3"));

  // Page 4.
  label(f, "lblNext4", &page4, 1440, 3360, 4455, 255,
        transparentText("Click Next to continue or Cancel to quit", kArial825));
  label(f, "Label5", &page4, 120, 120, 675, 240, stepHeading("Step 4"));

  // Page 5: finished.
  Control& picWiz = f.add(ControlKind::PictureBox, "picWiz", &page5, 0, 1560, 2175, 3975);
  picWiz.setBackColor(kBlue);
  picWiz.setVisible(false);
  Control& visit = checkBox(f, "chkVisitSite", &page5, 2520, 2880, 3015, 255,
                            "Check out our other solutions and products ", 1, kArial675, true);
  visit.setBackColor(kLightGrey);
  visit.setTabIndex(5);
  image(f, "Image4", &page5, 480, 840, 1470, 1290, "PHOTO");
  label(f, "Label6", &page5, 2880, 2520, 2415, 255, forms::link(host, kArial675)).setTabIndex(4);
  image(f, "Image2", &page5, 3120, 1440, 1575, 495, "LOGO");
  label(f, "Label21", &page5, 2400, 1080, 3855, 495,
        transparentText("has been fixed! Please try your 16 bit application now. ", kArial675));
  label(f, "Label9", &page5, 2400, 840, 3375, 255,
        transparentText("Corvane 16-bit MS-DOS Subsystem", kArial675));
  label(f, "Label19", &page5, 2880, 2040, 2295, 255,
        transparentText("Created by Quarnby Rodi", bold(kArial825)));
  label(f, "Label1", &page5, 2520, 2280, 3135, 255,
        transparentText("Check out our other solutions and products at:", kArial675));
  label(
      f, "Label7", &page5, -120, 0, 6615, 735,
      forms::banner("Corvane 16-bit MS-DOS Subsystem", Font{"Arial", 14.25, false, false}, kBlue));
  shape(f, "Shape8", &page5, 120, 120, 255, 255);
  shape(f, "Shape6", &page5, 480, 120, 255, 255);

  // The side bar inside page 5 (hidden, kept current all the same).
  wizard::layOutSideBar(f, picWiz);
}

// Runs one statement, ignoring any error it raises (the handlers that go on after
// a failing statement). The catching is written once; each statement only adds
// the call that runs it.
void ignoringErrorsIn(void (*run)(void*), void* statement) {
  try {
    run(statement);
  } catch (const forms::ProcessEnded&) {
    throw;
  } catch (...) {
  }
}

template <typename F>
void ignoringErrors(F&& statement) {
  ignoringErrorsIn([](void* s) { (*static_cast<std::remove_reference_t<F>*>(s))(); }, &statement);
}

std::string upper(const std::string& s) {
  std::string r = s;
  for (char& c : r) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return r;
}

}  // namespace

frmBackup::frmBackup(forms::Application& app, platform::Platform& sys)
    : wizard::WizardForm(app, "frmBackup", layOut),
      lblStatus(control("lblStatus")),
      chkCD(control("chkCD")),
      txtCD(control("txtCD")),
      txtTimeout(control("txtTimeout")),
      lstDrives(control("lstDrives")),
      tmrCheck(control("tmrCheck")),
      chkVisitSite(control("chkVisitSite")),
      sys_(sys) {
  border = forms::FormBorder::FixedToolWindow;
  backColor = forms::kWhite;
  clientWidth = 6435;
  accessibleName = control("lblHead").caption();
  for (const char* name : {"Image1", "Image2"}) control(name).setDescription("Corvane logo");
  for (const char* name : {"Image3", "Image4"}) control(name).setDescription("Wrench and screen");

  control("Label8").onClick = [this] { Label8_Click(); };
  control("Label17").onClick = [this] { Label17_Click(); };
  control("Label6").onClick = [this] { Label6_Click(); };
  chkCD.onClick = [this] { chkCD_Click(); };
  txtTimeout.onChange = [this] { txtTimeout_Change(); };
  tmrCheck.onTimer = [this] { tmrCheck_Timer(); };
}

// --- Load and the page machine --------------------------------------------------

void frmBackup::Form_Load() {
  Module1::CurrentStep = 0;
  ignoringErrors([&] {
    const double left = (app().screenWidth() - static_cast<double>(width())) / 2.0;
    const double top = (app().screenHeight() - static_cast<double>(height())) / 2.0;
    setPosition(static_cast<forms::Twips>(std::nearbyint(left)),
                static_cast<forms::Twips>(std::nearbyint(top)));
  });
  ignoringErrors([&] { lblStatus.setCaption("Checking for CD..."); });
  ignoringErrors([&] { chkCD.setValue(0); });
  ignoringErrors([&] { chkCD_Click(); });
  ignoringErrors([&] { txtTimeout.setText("1000"); });
  ignoringErrors([&] { txtTimeout_Change(); });
  // The drives are first looked at on page 1: they are listed once the wizard is on
  // the screen, long before the detection's first tick.
  whenIdle([this] { ignoringErrors([&] { FillDriveList(); }); });
  ignoringErrors([&] { tmrCheck_Timer(); });
}

void frmBackup::cmdNext_Click() {
  // A click that arrives inside the yields of another is dropped: the repair
  // must run once, and only from page 2.
  if (handlingNext_) return;
  const ReentryGuard guard(handlingNext_);

  int& step = Module1::CurrentStep;
  if (step == 1) {
    // The click was taken while the detection had found the CD; a tick inside the
    // yields below that finds the drive briefly unreadable must not undo that.
    if (CdRootPath.empty()) return;
    app().yield(3);
  }
  if (step == 2) {
    setButtons(wizard::kCancelOnly);
    app().yield(3);
    const RepairResult result = RunRepairCommands();
    if (!result.unsaved.empty() || !result.unwritten.empty()) {
      if (!result.unsaved.empty()) {
        app().msgBox("The 16-bit MS-DOS Subsystem was not repaired: a copy of " + result.unsaved +
                         " could not be saved beside it, so nothing was changed.\r\n\r\n"
                         "Please run this program as an administrator, then click Next to "
                         "try again.",
                     forms::vbOKOnly | forms::vbExclamation);
      } else {
        std::string names;
        const std::vector<std::string>& failed = result.unwritten;
        for (size_t i = 0; i < failed.size(); ++i)
          names += (i == 0 ? "" : (i + 1 == failed.size() ? " and " : ", ")) + failed[i];
        app().msgBox(
            "The 16-bit MS-DOS Subsystem could not be repaired: " + names +
                " could not be written.\r\n\r\nPlease check that the Windows XP CD is in the "
                "drive and run this program as an administrator, then click Next to "
                "try again.",
            forms::vbOKOnly | forms::vbExclamation);
      }
      setButtons(wizard::kCancelNext);
      cmdNext.setFocus();  // in front again, ready to try once more
      return;
    }
    step = 4;
    setButtons(wizard::kFinishOnly);
  }
  if (step == 3) setButtons(wizard::kCancelOnly);

  app().yield(3);
  ++step;
  const int last = shpSteps.count() - 1;
  const int previous = step - 1;
  if (step >= last) step = last;
  // Until the detection finds the CD there is nothing to repair from.
  if (step == 1) cmdNext.setEnabled(false);
  if (step == 2) setButtons(wizard::kCancelNext);
  showPage(previous, step);
  // The expand windows took the focus: the wizard comes back to the front.
  if (step == 5) cmdFinish.setFocus();
}

void frmBackup::cmdBack_Click() {
  int& step = Module1::CurrentStep;
  if (step == 1) setButtons(wizard::kCancelNext);
  if (step == 3 || step == 4) setButtons(wizard::kCancelOnly);
  --step;
  if (step <= 0) {
    step = 0;
    cmdBack.setEnabled(false);
  }
  showPage(step + 1, step);
  cmdNext.setEnabled(true);
}

void frmBackup::cmdCancel_Click() {
  // While expand runs, the program ends once each file written is checked and a
  // bad one put back: never with a system file half repaired.
  if (repairRunning_) {
    cancelAfterRepair_ = true;
    return;
  }
  app().endProcess();
}

// --- The repair -------------------------------------------------------------------

frmBackup::RepairResult frmBackup::RunRepairCommands() {
  // The system folder's own expand is named explicitly: a bare name would be
  // searched for beside this program and in the current folder first.
  const std::string expand = sys_.processes.systemDirectory() + "\\expand.exe";
  struct Run {
    const RepairCommand& command;
    std::optional<std::string> keptCopy;
    std::unique_ptr<platform::RunningProcess> process;
    std::optional<std::uint64_t> length;  // what the source expands to
  };
  RepairResult result;
  // Nothing is replaced before every file there is has a whole copy beside it.
  std::vector<Run> runs;
  for (const RepairCommand& command : kRepairCommands) {
    Run run{command, std::nullopt, nullptr, std::nullopt};
    if (sys_.files.pathFileExists(command.target)) {
      run.keptCopy = keepCopy(sys_.files, command.target);
      if (!run.keptCopy) {
        result.unsaved = command.name;
        return result;
      }
    }
    runs.push_back(std::move(run));
  }

  repairRunning_ = true;
  // A source that states no length would be copied as it is, damage and all: it is
  // not expanded, and its file is left as it is.
  for (Run& run : runs) {
    const auto header =
        sys_.files.readFile(CdRootPath + run.command.source, kCompressedHeaderBytes);
    run.length = header ? expandedLength(*header) : std::nullopt;
    if (run.length && *run.length > 0)
      run.process = sys_.processes.start(expand, repairCommandLine(CdRootPath, run.command), 2);
  }
  app().waitUntil(
      [&] {
        for (Run& run : runs)
          if (run.process && !run.process->exitCode()) return false;
        return true;
      },
      kRepairTimeoutMs);

  // Written means whole: as long as the source says. Anything else is put back.
  for (Run& run : runs) {
    const auto code = run.process ? run.process->exitCode() : std::nullopt;
    if (run.process && !code) run.process->terminate();
    const RepairCommand& c = run.command;
    if (code && *code == 0 && sys_.files.isFile(c.target) &&
        sys_.files.fileLength(c.target) == run.length)
      continue;
    result.unwritten.push_back(c.name);
    if (run.process) putBack(sys_.files, c.target, run.keptCopy);
  }
  repairRunning_ = false;
  if (cancelAfterRepair_) app().endProcess();
  return result;
}

// --- CD detection ------------------------------------------------------------------

void frmBackup::FillDriveList() {
  ignoringErrors([&] { lstDrives.clear(); });
  CdDriveCount = 0;
  CdDriveLetters.assign(1, std::string());

  // Ask for the size first; drives may come and go between the calls, so retry.
  std::string buffer;
  std::uint32_t length = sys_.drives.getLogicalDriveStrings(0, nullptr);
  std::uint32_t written = 0;
  for (int attempt = 0; attempt < 4 && length > 0; ++attempt) {
    buffer.assign(length + 1, ' ');
    written = sys_.drives.getLogicalDriveStrings(length + 1, &buffer[0]);
    if (written <= length) break;
    length = written;
    written = 0;
  }
  if (written == 0 || written > length) return;
  buffer.resize(written);

  for (const std::string& drive : splitDriveStrings(buffer)) {
    if (sys_.drives.getDriveType(drive) != platform::kDriveCdRom) continue;
    ++CdDriveCount;
    const std::string letter = upper(drive.substr(0, 1));
    CdDriveLetters.push_back(letter);
    ignoringErrors([&] { lstDrives.addItem(letter + ":\\ - [none]"); });
  }
}

std::optional<std::string> frmBackup::GetVolumeLabel(const std::string& root) {
  return sys_.drives.getVolumeLabel(root);
}

void frmBackup::tmrCheck_Timer() {
  if (Module1::CurrentStep != 1) return;
  // The tick yields; a tick that arrived inside those yields would run again
  // on the same stack and, with a short interval, recurse until it overflows.
  if (inTick_) return;
  const ReentryGuard guard(inTick_);
  for (int k = 1; k <= CdDriveCount; ++k) {
    const std::string root = CdDriveLetters[static_cast<size_t>(k)] + ":\\";
    std::optional<std::string> volume;
    ignoringErrors([&] { volume = GetVolumeLabel(root); });
    if (!volume) {
      ignoringErrors([&] { lstDrives.setList(k - 1, root + " - [none]"); });
      ignoringErrors([&] { lblStatus.setCaption("Checking for XP CD..."); });
      ignoringErrors([&] { setButtons(wizard::kCancelOnly); });
      continue;
    }
    ignoringErrors([&] { lstDrives.setList(k - 1, root + " - [" + *volume + "]"); });
    bool found = false;
    ignoringErrors([&] { found = clsFileSystem(sys_.files, app()).FileExist(root + "i386"); });
    if (found) {
      CdRootPath = root;
      ignoringErrors([&] { setButtons(wizard::kCancelNext); });
      ignoringErrors([&] { app().yield(3); });
      ignoringErrors([&] { lblStatus.setCaption("Found XP CD on " + root); });
      return;
    }
    // Back is never enabled in this wizard.
    ignoringErrors([&] { setButtons(wizard::kCancelOnly); });
    ignoringErrors([&] { app().yield(3); });
    ignoringErrors([&] { lblStatus.setCaption("Checking for XP CD..."); });
  }
}

void frmBackup::chkCD_Click() {
  ignoringErrors([&] {
    const bool on = chkCD.value() != 0;
    txtCD.setEnabled(on);
    txtCD.setBackColor(on ? forms::kSysWindowBackground : forms::kSysButtonFace);
  });
}

void frmBackup::txtTimeout_Change() {
  ignoringErrors([&] {
    if (const auto ms = wholeNumber(txtTimeout.text())) tmrCheck.setInterval(*ms);
  });
}

// --- Links and Finish ---------------------------------------------------------------

void frmBackup::Label8_Click() {
  OpenWebPage(app(), sys_, app().windowHandle(*this), std::string(kMakerWebHost) + "/16bit.htm",
              false);
  app().endProcess();
}

void frmBackup::Label17_Click() {
  OpenWebPage(app(), sys_, app().windowHandle(*this), kMakerWebHost, true);
}

void frmBackup::Label6_Click() {
  Label17_Click();
}

void frmBackup::cmdFinish_Click() {
  if (chkVisitSite.value() == 1)
    OpenWebPage(app(), sys_, app().windowHandle(*this), kMakerWebHost, true);
  app().endProcess();
}
