#include "settingsbackup/QuillsafeMain.h"

#include "settingsbackup/frmMain.h"

namespace Quillsafe {

frmMain& Main(forms::Application& app, platform::Platform& sys, BackupFileAccess access) {
  frmMain& chooser = app.defaultInstance<frmMain>(sys, std::move(access));
  chooser.show(forms::Modality::Modeless);
  return chooser;
}

}  // namespace Quillsafe
