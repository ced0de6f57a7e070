#pragma once
// The file calls of kernel32 and shlwapi behind clsFileSystem and the repair check.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// File attribute bits as the platform numbers them.
enum FileAttribute : std::uint32_t {
  kAttrNormal = 0,
  kAttrReadOnly = 1,
  kAttrHidden = 2,
  kAttrSystem = 4,
  kAttrVolume = 8,
  kAttrDirectory = 16,
  kAttrArchive = 32,
  kAttrAlias = 64,
};

class FileSystemApi {
 public:
  virtual ~FileSystemApi() = default;
  // PathFileExistsA: files and folders both count.
  virtual bool pathFileExists(const std::string& path) = 0;
  // Last-write time of a file in 100 ns units since 1601 (FILETIME), nothing when
  // the file cannot be opened.
  virtual std::optional<std::uint64_t> lastWriteTime(const std::string& path) = 0;
  // True for an existing path that is a file, not a folder.
  virtual bool isFile(const std::string& path) = 0;

  // The bare names matching `pattern` ("*" and "?" allowed; a pattern ending in "\"
  // lists that folder), in the order the platform gives them. An entry with the
  // hidden, system or folder attribute is listed only when `attributes` asks for
  // it; read-only and archive files always are. Folders include "." and "..".
  // Empty when nothing matches or the pattern is bad.
  virtual std::vector<std::string> listDirectory(const std::string& pattern,
                                                 std::uint32_t attributes) = 0;
  // Length in bytes; nothing when it cannot be read (missing, pattern, bad name).
  virtual std::optional<std::uint64_t> fileLength(const std::string& path) = 0;
  // Last-write date and time in the user's short date and time format.
  virtual std::optional<std::string> fileDateTime(const std::string& path) = 0;
  // The FileAttribute bits of a file or folder; nothing when they cannot be read.
  virtual std::optional<std::uint32_t> fileAttributes(const std::string& path) = 0;
  // Replaces the attributes (kAttrNormal clears them all).
  virtual bool setFileAttributes(const std::string& path, std::uint32_t attributes) = 0;
  // Deletes one file, or every file (no folder) matching a pattern. False when
  // nothing matched or any match could not be deleted; the others are still gone.
  virtual bool deleteFiles(const std::string& pattern) = 0;
  // The first `limit` bytes of a file (all of a shorter one); nothing when it
  // cannot be opened and read.
  virtual std::optional<std::string> readFile(const std::string& path, std::size_t limit) = 0;
  // Copies a file, replacing an existing destination file.
  virtual bool copyFile(const std::string& source, const std::string& destination) = 0;
  // Creates one folder; its parent must exist.
  virtual bool createDirectory(const std::string& path) = 0;
  // Removes one empty folder.
  virtual bool removeDirectory(const std::string& path) = 0;
  // Closes every file the program holds open by number.
  virtual void closeAllFiles() = 0;
  // The user's decimal separator, e.g. "." or ",".
  virtual std::string decimalSeparator() = 0;
};

}  // namespace platform
