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
};

}  // namespace platform
