#pragma once
// The Windows calls the system makes, grouped as the platform offers them. The
// Win32 implementation calls the named entry points; native tests hand in fakes.
#include "platform/DriveApi.h"
#include "platform/FileSystemApi.h"
#include "platform/ProcessApi.h"
#include "platform/ShellApi.h"

namespace platform {

struct Platform {
  DriveApi& drives;
  FileSystemApi& files;
  ProcessApi& processes;
  ShellApi& shell;
};

}  // namespace platform
