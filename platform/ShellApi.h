#pragma once
// The shell calls of the web page launcher and its scratch file.
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

class ShellApi {
 public:
  virtual ~ShellApi() = default;
  // Creates a new, uniquely named file ending in ".htm" in the user's temporary
  // folder holding `content`; returns its path, nothing when it cannot be created.
  // It is deleted as any other file, through the file system.
  virtual std::optional<std::string> createScratchHtmlFile(const std::string& content) = 0;
  // FindExecutableA(file, no directory, result): result gets the buffer's text up to
  // its first NUL (the buffer holds MAX_PATH characters and the terminator).
  virtual std::intptr_t findExecutable(const std::string& file, std::string& result) = 0;
  // ShellExecuteA(owner, operation, file, parameters, no directory, showCommand).
  virtual std::intptr_t shellExecute(std::uintptr_t ownerWindow, const std::string& operation,
                                     const std::string& file, const std::string& parameters,
                                     int showCommand) = 0;
};

}  // namespace platform
