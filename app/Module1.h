#pragma once
// Start-up and the program-wide state of the repair wizard.
#include "forms/Forms.h"
#include "platform/Platform.h"

class frmBackup;

namespace Module1 {

// The title of the repair tool's message boxes.
extern const char kTitle[];

// The number of the wizard page the user is on, 0 to 5.
extern int CurrentStep;

// The wizard form's shared instance, created on first use.
frmBackup& frmBackupInstance(forms::Application& app, platform::Platform& sys);

// Creates and shows the wizard, where a repair can be made: on 64-bit Windows
// (no 16-bit subsystem) the user is told so instead, and while another process has
// the wizard open that one comes to the front. Null when no wizard was shown.
frmBackup* OpenRepairWizard(forms::Application& app, platform::Platform& sys);

// Sets the title, yields three times, opens the wizard, yields twice more and returns; the caller
// then runs the message loop (which ends at once when no wizard was shown).
void Main(forms::Application& app, platform::Platform& sys);

}  // namespace Module1
