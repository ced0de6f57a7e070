#include "app/Module1.h"

#include "app/frmBackup.h"

namespace Module1 {

const char kTitle[] = "Corvane 16 bit Windows";
int CurrentStep = 0;

frmBackup& frmBackupInstance(forms::Application& app, platform::Platform& sys) {
  return app.defaultInstance<frmBackup>(sys);
}

void Main(forms::Application& app, platform::Platform& sys) {
  app.title = kTitle;
  app.yield(3);
  frmBackupInstance(app, sys).show(forms::Modality::Modeless);
  app.yield(2);
}

}  // namespace Module1
