#pragma once
// The file calls of kernel32 and shlwapi behind clsFileSystem and the repair check.
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

class FileSystemApi {
 public:
  virtual ~FileSystemApi() = default;
  // PathFileExistsA: files and folders both count.
  virtual bool pathFileExists(const std::string& path) = 0;
  // Last-write time of a file in 100 ns units since 1601 (FILETIME), nothing when
  // the file cannot be opened.
  virtual std::optional<std::uint64_t> lastWriteTime(const std::string& path) = 0;
  virtual bool setLastWriteTime(const std::string& path, std::uint64_t fileTime) = 0;
  // True for an existing path that is a file, not a folder.
  virtual bool isFile(const std::string& path) = 0;
};

}  // namespace platform
