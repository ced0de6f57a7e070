#pragma once
// The chooser of the settings tool: back up or restore, then Start.
#include "forms/Forms.h"
#include "platform/Platform.h"
#include "settingsbackup/frmRestore.h"

class frmMain : public forms::Form {
 public:
  frmMain(forms::Application& app, platform::Platform& sys, BackupFileAccess access);

  // Event handlers.
  void Command4_Click();  // Start
  void Command3_Click();  // Cancel
  void Label4_Click();    // the tool's page on the maker's site

  forms::Control& optBackup;
  forms::Control& optRestore;
  forms::Control& Command4;
  forms::Control& Command3;
  forms::Control& Label4;

 private:
  platform::Platform& sys_;
  BackupFileAccess access_;
};

// The address Label4 opens: scheme, the maker's host and the tool's page.
std::string quillsafePageUrl();
