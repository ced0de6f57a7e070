#include "app/Module1.h"

#include "app/frmBackup.h"

namespace Module1 {

const char kTitle[] = "Corvane 16 bit Windows";
int CurrentStep = 0;

frmBackup& frmBackupInstance(forms::Application& app, platform::Platform& sys) {
  return app.defaultInstance<frmBackup>(sys);
}

frmBackup* OpenRepairWizard(forms::Application& app, platform::Platform& sys) {
  if (sys.processes.runsUnderWow64()) {
    app.msgBox(
        "This is a 64-bit version of Windows. It cannot run 16-bit programs and has no "
        "16-bit MS-DOS Subsystem to repair.\r\n\r\nNothing was changed.",
        forms::vbOKOnly | forms::vbInformation);
    return nullptr;
  }
  // Two repairs at once would expand onto the same files.
  if (!sys.processes.claimOnlyInstance("Corvane16bitRepairWizard")) {
    // The other may be still on its way to the screen.
    const std::uint64_t deadline = app.milliseconds() + 10000;
    while (!sys.processes.bringInstanceToFront() && app.milliseconds() < deadline)
      app.waitForMessages(100);
    return nullptr;
  }
  frmBackup& wizard = frmBackupInstance(app, sys);
  wizard.show(forms::Modality::Modeless);
  sys.processes.announceInstanceWindow(app.windowHandle(wizard));
  return &wizard;
}

void Main(forms::Application& app, platform::Platform& sys) {
  app.title = kTitle;
  app.yield(3);
  OpenRepairWizard(app, sys);
  app.yield(2);
}

}  // namespace Module1
