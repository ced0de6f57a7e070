#include "app/Module1.h"

#include "app/frmBackup.h"

namespace Module1 {

int CurrentStep = 0;

frmBackup& frmBackupInstance(forms::Application& app, platform::Platform& sys) {
  return app.defaultInstance<frmBackup>(sys);
}

void Main(forms::Application& app, platform::Platform& sys) {
  for (int i = 0; i < 3; ++i) app.doEvents();
  frmBackupInstance(app, sys).show(forms::Modality::Modeless);
  for (int i = 0; i < 2; ++i) app.doEvents();
}

}  // namespace Module1
