#include "settingsbackup/QuillsafeMain.h"

#include "settingsbackup/frmMain.h"

namespace Quillsafe {

frmMain& Main(forms::Application& app, platform::Platform& sys, BackupFileAccess access) {
  // Built with the repair tool, the tool has always carried its title.
  app.title = "Corvane 16 bit Windows";
  frmMain& chooser = app.defaultInstance<frmMain>(sys, std::move(access));
  chooser.show(forms::Modality::Modeless);
  return chooser;
}

}  // namespace Quillsafe
