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

// Sets the title, yields three times, creates and shows the wizard, yields twice
// more and returns; the caller then runs the message loop.
void Main(forms::Application& app, platform::Platform& sys);

}  // namespace Module1
