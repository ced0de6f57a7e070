#pragma once
// The restore wizard: six stacked pages beside the side bar, the choice and check
// of a backup description file, and the (empty) restore.
#include <functional>
#include <string>

#include "forms/Forms.h"
#include "platform/FileSystemApi.h"
#include "wizard/Wizard.h"

// The helper routines the file page calls: the open-file dialog and the profile
// reader. The programs hand in MFile's and MIni's; tests may hand in their own.
struct BackupFileAccess {
  std::function<std::string(const std::string& title, const std::string& filter,
                            std::string& defaultExtension)>
      ShowOpenFileDialog;
  std::function<std::string(const std::string& fileName, const std::string& section,
                            const std::string& key)>
      ReadIniValue;
};

class frmRestore : public wizard::WizardForm {
 public:
  frmRestore(forms::Application& app, platform::FileSystemApi& files, BackupFileAccess access);

  // Event handlers.
  void Form_Load() override;
  void btnSelect_Click();
  void cmdNext_Click() override;
  void cmdBack_Click() override;
  void cmdCancel_Click() override;
  void cmdFinish_Click() override;

  // The page in front, 0 to 5.
  int RestoreStep = 0;

  // How long each of the progress pages 3 and 4 stays in front once its part of
  // the restore is done, so a person can read it.
  static constexpr int kProgressPageMs = 400;

  forms::Control& text1;

 private:
  // The checks of the chosen file, each failure told in its message box.
  bool BackupFilePasses();
  // Sets the buttons as Next (or Back) leaves the page in front.
  void setButtonsLeaving(bool next);

  platform::FileSystemApi& files_;
  BackupFileAccess access_;
};
