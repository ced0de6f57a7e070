#pragma once
// The repair wizard: six stacked pages, four buttons, the CD detection and the repair.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "forms/Forms.h"
#include "platform/Platform.h"
#include "wizard/Wizard.h"

class frmBackup : public wizard::WizardForm {
 public:
  frmBackup(forms::Application& app, platform::Platform& sys);

  // Event handlers.
  void Form_Load() override;
  void cmdNext_Click() override;
  void cmdBack_Click() override;
  void cmdCancel_Click() override;
  void cmdFinish_Click() override;
  void Label8_Click();
  void Label17_Click();
  void Label6_Click();
  void tmrCheck_Timer();
  void chkCD_Click();
  void txtTimeout_Change();

  // CD detection.
  void FillDriveList();
  // The volume label of a drive root, nothing when the volume cannot be read.
  std::optional<std::string> GetVolumeLabel(const std::string& root);

  // What a repair left undone: the file no copy of which could be kept (then
  // nothing was started), or the files not written, each put back as it was.
  struct RepairResult {
    std::string unsaved;
    std::vector<std::string> unwritten;
  };
  // Keeps a copy of each file there is, starts the expand commands whose source
  // states what it expands to, waits for them (keeping the window alive) and checks
  // each file written against that.
  RepairResult RunRepairCommands();

  // The root of the drive on which the Windows XP CD was last found, e.g. "D:\".
  std::string CdRootPath;
  int CdDriveCount = 0;
  // Element k (1 to CdDriveCount) holds the letter of the k-th CD-ROM drive.
  std::vector<std::string> CdDriveLetters{std::string()};

  // Longest wait for the repair commands, in milliseconds.
  static constexpr int kRepairTimeoutMs = 60000;

  // Controls the handlers use, beside the wizard's own.
  forms::Control& lblStatus;
  forms::Control& chkCD;
  forms::Control& txtCD;
  forms::Control& txtTimeout;
  forms::Control& lstDrives;
  forms::Control& tmrCheck;
  forms::Control& chkVisitSite;

 private:
  platform::Platform& sys_;
  bool handlingNext_ = false;
  bool inTick_ = false;  // a detection tick is running (it yields)
  bool repairRunning_ = false;
  bool cancelAfterRepair_ = false;
};

// The three repair commands: source on the CD below its root, the target written.
struct RepairCommand {
  const char* source;  // below CdRootPath, e.g. "i386\config.nt_"
  const char* target;  // e.g. "c:\windows\system32\CONFIG.NT"
  const char* name;    // e.g. "CONFIG.NT"
};
extern const RepairCommand kRepairCommands[3];

// "expand " + cdRoot + source + " " + target, exactly as the repair starts it.
std::string repairCommandLine(const std::string& cdRoot, const RepairCommand& command);
