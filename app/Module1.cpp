#include "app/Module1.h"

#include "app/frmBackup.h"

namespace Module1 {

int CurrentStep = 0;

namespace {
std::unique_ptr<frmBackup>& instance() {
  static std::unique_ptr<frmBackup> form;
  return form;
}
}  // namespace

frmBackup& frmBackupInstance(forms::Application& app, platform::Platform& sys) {
  auto& form = instance();
  if (!form) form = std::make_unique<frmBackup>(app, sys);
  return *form;
}

void resetForms() {
  instance().reset();
  CurrentStep = 0;
}

void Main(forms::Application& app, platform::Platform& sys) {
  for (int i = 0; i < 3; ++i) app.doEvents();
  frmBackupInstance(app, sys).show(forms::Modality::Modeless);
  for (int i = 0; i < 2; ++i) app.doEvents();
}

}  // namespace Module1
