#include "app/clsBackup.h"

#include "app/Module1.h"
#include "app/frmBackup.h"
#include "wordengine/RegistryEditor.h"
#include "wordengine/clsWD10.h"
#include "wordengine/clsWD11.h"
#include "wordengine/clsWDNone.h"

void clsBackup::Backup() {
  CurrentWD.reset(new clsWDNone(services_));
  if (Module1::CurrentStep == 2) {
    const clsRegistry registry;
    if (registry.KeyExists(clsRegistry::kCurrentUser,
                           "Software\\Microsoft\\Office\\10.0\\Word\\Options", ""))
      CurrentWD.reset(new clsWD10(services_));
    // Checked second, so with both versions present Word 2003 is the one used.
    if (registry.KeyExists(clsRegistry::kCurrentUser,
                           "Software\\Microsoft\\Office\\11.0\\Word\\Options", ""))
      CurrentWD.reset(new clsWD11(services_));
    services_.app.yield(3);
    const std::shared_ptr<clsWD> wd = CurrentWD;
    wd->Execute();
    services_.app.yield(3);
  }
  services_.app.yield(3);
  if (Module1::CurrentStep == 4)
    Module1::frmBackupInstance(services_.app, services_.sys).cmdNext_Click();
}

void clsBackup::RegBackup(std::string& strRegfile, std::string& strReg) {
  RegistryEditor::Export(services_,
                         "C:\\Windows\\Regedit.exe /e \"" + strRegfile + "\" \"" + strReg + "\"",
                         strRegfile);
}

RegistryValue clsBackup::GetDefaultWP() {
  return clsRegistry().GetValue(clsRegistry::kLocalMachine,
                                "SOFTWARE\\Classes\\WordPerfect.Document\\CurVer", "", "");
}
