#pragma once
// The file calls of clsFileSystem and the repair check, made through kernel32 and
// shlwapi with their ANSI entry points.
#include "platform/FileSystemApi.h"

namespace platform {

class Win32FileSystem : public FileSystemApi {
 public:
  bool pathFileExists(const std::string& path) override;
  std::optional<std::uint64_t> lastWriteTime(const std::string& path) override;
  bool isFile(const std::string& path) override;
  std::vector<std::string> listDirectory(const std::string& pattern,
                                         std::uint32_t attributes) override;
  std::optional<std::uint64_t> fileLength(const std::string& path) override;
  std::optional<std::string> fileDateTime(const std::string& path) override;
  std::optional<std::uint32_t> fileAttributes(const std::string& path) override;
  bool setFileAttributes(const std::string& path, std::uint32_t attributes) override;
  bool deleteFiles(const std::string& pattern) override;
  std::optional<std::string> readFile(const std::string& path, std::size_t limit) override;
  bool copyFile(const std::string& source, const std::string& destination) override;
  bool createDirectory(const std::string& path) override;
  bool removeDirectory(const std::string& path) override;
  void closeAllFiles() override;
  std::string decimalSeparator() override;
};

}  // namespace platform
