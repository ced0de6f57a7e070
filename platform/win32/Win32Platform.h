#pragma once
// The Win32 implementations of the platform seam: direct calls of the named
// entry points.
#include <windows.h>

#include "platform/Platform.h"
#include "platform/win32/Handle.h"

namespace platform {

class Win32Drives : public DriveApi {
 public:
  std::uint32_t getLogicalDriveStrings(std::uint32_t bufferLength, char* buffer) override;
  std::uint32_t getDriveType(const std::string& root) override;
  std::optional<std::string> getVolumeLabel(const std::string& root) override;
};

class Win32Processes : public ProcessApi {
 public:
  std::string systemDirectory() override;
  std::string windowsDirectory() override;
  std::string applicationFolder() override;
  std::unique_ptr<RunningProcess> start(const std::string& application,
                                        const std::string& commandLine, int showCommand) override;
  bool runsUnderWow64() override;
  bool claimOnlyInstance(const std::string& name) override;
  void announceInstanceWindow(std::uintptr_t window) override;
  bool bringInstanceToFront() override;

 private:
  // A named mapping of one window handle: the claim, and where the holder's window is told.
  Handle instance_;
};

class Win32Shell : public ShellApi {
 public:
  std::optional<std::string> createScratchHtmlFile(const std::string& content) override;
  std::intptr_t findExecutable(const std::string& file, std::string& result) override;
  std::intptr_t shellExecute(std::uintptr_t ownerWindow, const std::string& operation,
                             const std::string& file, const std::string& parameters,
                             int showCommand) override;
};

}  // namespace platform
