#pragma once
// Starting programs by command line (CreateProcessA) and watching them end.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace platform {

// A started program. Owns its process handle; nothing is waited for on destruction.
class RunningProcess {
 public:
  virtual ~RunningProcess() = default;
  // The exit code once the program has ended, nothing while it runs.
  virtual std::optional<std::uint32_t> exitCode() = 0;
  // Ends a program that is still running, and waits a little for it to go.
  virtual void terminate() = 0;
};

class ProcessApi {
 public:
  virtual ~ProcessApi() = default;
  // GetSystemDirectoryA, e.g. "C:\WINDOWS\system32" (no trailing backslash).
  virtual std::string systemDirectory() = 0;
  // GetWindowsDirectoryA, e.g. "C:\WINDOWS" (no trailing backslash).
  virtual std::string windowsDirectory() = 0;
  // The folder of the running program's file, without a trailing backslash
  // except at a drive root ("C:\Tools", "C:\").
  virtual std::string applicationFolder() = 0;
  // Starts `application` (a full path, never searched for) with `commandLine` as its
  // command line and the given window show state. Returns nullptr when it cannot start.
  virtual std::unique_ptr<RunningProcess> start(const std::string& application,
                                                const std::string& commandLine,
                                                int showCommand) = 0;

  // True when this 32-bit program runs on 64-bit Windows, where there is no
  // 16-bit subsystem and the system folder is redirected. False where the system
  // cannot tell (Windows XP before SP2 has no 64-bit twin).
  virtual bool runsUnderWow64() = 0;
  // The one running instance named `name` in this logon session: true for the first
  // process to claim it, which holds it until it ends. The holder announces its
  // window once shown; another process can then bring that window to the front
  // (false when there is none yet).
  virtual bool claimOnlyInstance(const std::string& name) = 0;
  virtual void announceInstanceWindow(std::uintptr_t window) = 0;
  virtual bool bringInstanceToFront() = 0;
};

}  // namespace platform
