#pragma once
// The system's own drives, files, processes and shell together, handed to the
// forms as one platform.
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Platform.h"

namespace platform {

struct Win32System {
  Win32Drives drives;
  Win32FileSystem files;
  Win32Processes processes;
  Win32Shell shell;
  Platform platform{drives, files, processes, shell};
};

}  // namespace platform
