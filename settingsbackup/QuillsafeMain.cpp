#include "settingsbackup/QuillsafeMain.h"

#include "app/Module1.h"
#include "settingsbackup/frmMain.h"

namespace Quillsafe {

frmMain& Main(forms::Application& app, platform::Platform& sys, BackupFileAccess access) {
  // The tool shares the repair wizard's title, as it shares the wizard.
  app.title = Module1::kTitle;
  frmMain& chooser = app.defaultInstance<frmMain>(sys, std::move(access));
  chooser.show(forms::Modality::Modeless);
  return chooser;
}

}  // namespace Quillsafe
