#pragma once
// An in-memory file system behind platform::FileSystemApi. Paths are compared
// without regard to case and keep the spelling they were created with; "/" counts
// as "\"; relative paths start in the current folder (C:\ until changed). Missing
// folders above an added file or folder are created with it.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystemApi.h"

class FakeFileSystem : public platform::FileSystemApi {
 public:
  struct Entry {
    std::string path;  // full path as spelled when created
    bool folder = false;
    std::uint64_t size = 0;
    std::uint32_t attributes = 0;
    std::uint64_t writeTime = 0;
    std::string dateText = "01/02/2003 04:05:06";
    bool locked = false;  // in use: cannot be deleted or removed
  };

  FakeFileSystem();

  // --- Setting up -------------------------------------------------------------
  void addFolder(const std::string& path, std::uint32_t attributes = platform::kAttrDirectory);
  void addFile(const std::string& path, std::uint64_t size = 0,
               std::uint32_t attributes = platform::kAttrArchive);
  void setCurrentFolder(const std::string& path);
  void setDecimalSeparator(const std::string& separator) { decimalSeparator_ = separator; }
  void setDateText(const std::string& path, const std::string& text);
  // The file or folder cannot be deleted or removed, as if another program held it.
  void lock(const std::string& path);
  // Copies report success but write at most this many bytes (a full disk).
  void limitCopiesTo(std::uint64_t bytes) { copyLimit_ = bytes; }

  // --- Looking at -------------------------------------------------------------
  const Entry* entry(const std::string& path) const;
  bool exists(const std::string& path) const { return entry(path) != nullptr; }
  // Full paths of everything below a folder, sorted, for comparing whole trees.
  std::vector<std::string> tree(const std::string& folder) const;
  int closeAllFilesCalls() const { return closeAllFilesCalls_; }

  // --- platform::FileSystemApi ---------------------------------------------------
  bool pathFileExists(const std::string& path) override;
  std::optional<std::uint64_t> lastWriteTime(const std::string& path) override;
  bool setLastWriteTime(const std::string& path, std::uint64_t fileTime) override;
  bool isFile(const std::string& path) override;
  std::vector<std::string> listDirectory(const std::string& pattern,
                                         std::uint32_t attributes) override;
  std::optional<std::uint64_t> fileLength(const std::string& path) override;
  std::optional<std::string> fileDateTime(const std::string& path) override;
  std::optional<std::uint32_t> fileAttributes(const std::string& path) override;
  bool setFileAttributes(const std::string& path, std::uint32_t attributes) override;
  bool deleteFiles(const std::string& pattern) override;
  bool copyFile(const std::string& source, const std::string& destination) override;
  bool createDirectory(const std::string& path) override;
  bool removeDirectory(const std::string& path) override;
  void closeAllFiles() override { ++closeAllFilesCalls_; }
  std::string decimalSeparator() override { return decimalSeparator_; }

 private:
  // The full path (root plus names) that `path` stands for; nothing for a bad one.
  std::optional<std::string> resolve(const std::string& path) const;
  Entry* find(const std::string& path);
  const Entry* find(const std::string& path) const;
  Entry& put(const std::string& fullPath, bool folder);
  std::vector<const Entry*> children(const std::string& fullFolderPath) const;

  std::map<std::string, Entry> entries_;  // by lower-case full path
  std::string currentFolder_ = "C:\\";
  std::string decimalSeparator_ = ".";
  std::optional<std::uint64_t> copyLimit_;
  int closeAllFilesCalls_ = 0;
};
