#pragma once
// Start-up of the settings tool: the title, then the chooser, shown modeless; the
// caller then runs the message loop.
#include "forms/Forms.h"
#include "platform/Platform.h"
#include "settingsbackup/frmRestore.h"

class frmMain;

namespace Quillsafe {

frmMain& Main(forms::Application& app, platform::Platform& sys, BackupFileAccess access);

}  // namespace Quillsafe
