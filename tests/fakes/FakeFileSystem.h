#pragma once
// An in-memory file system behind platform::FileSystemApi. Paths are compared
// without regard to case and keep the spelling they were created with; relative
// paths start in the current folder (C:\ until changed). Missing folders above an
// added file or folder are created with it.
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

  FakeFileSystem() { put("C:\\", true); }

  void addFolder(const std::string& path, std::uint32_t attributes = platform::kAttrDirectory);
  void addFile(const std::string& path, std::uint64_t size = 0,
               std::uint32_t attributes = platform::kAttrArchive);
  void setCurrentFolder(const std::string& path);
  void setDecimalSeparator(const std::string& separator) { decimalSeparator_ = separator; }
  // The file cannot be deleted, as if another program held it.
  void lock(const std::string& path) { find(path)->locked = true; }
  // Copies report success but write at most this many bytes (a full disk).
  void limitCopiesTo(std::uint64_t bytes) { copyLimit_ = bytes; }

  bool exists(const std::string& path) const { return find(path) != nullptr; }
  // Full paths of everything below a folder, sorted, for comparing whole trees.
  std::vector<std::string> tree(const std::string& folder) const;

  // --- platform::FileSystemApi ---------------------------------------------------
  bool pathFileExists(const std::string& p) override { return exists(p); }
  bool isFile(const std::string& p) override { return exists(p) && !find(p)->folder; }
  std::optional<std::uint64_t> lastWriteTime(const std::string& p) override {
    return field(p, &Entry::writeTime);
  }
  bool setLastWriteTime(const std::string& p, std::uint64_t fileTime) override {
    return exists(p) && (find(p)->writeTime = fileTime, true);
  }
  std::vector<std::string> listDirectory(const std::string& pattern,
                                         std::uint32_t attributes) override;
  std::optional<std::uint64_t> fileLength(const std::string& p) override {
    return field(p, &Entry::size);
  }
  std::optional<std::string> fileDateTime(const std::string& p) override {
    return field(p, &Entry::dateText);
  }
  std::optional<std::uint32_t> fileAttributes(const std::string& p) override {
    return field(p, &Entry::attributes);
  }
  bool setFileAttributes(const std::string& path, std::uint32_t attributes) override;
  bool deleteFiles(const std::string& pattern) override;
  bool copyFile(const std::string& source, const std::string& destination) override;
  bool createDirectory(const std::string& path) override;
  bool removeDirectory(const std::string& path) override;
  void closeAllFiles() override {}
  std::string decimalSeparator() override { return decimalSeparator_; }

 private:
  template <class T>
  std::optional<T> field(const std::string& path, T Entry::*member) const {
    const Entry* e = find(path);
    return e ? std::optional<T>(e->*member) : std::nullopt;
  }
  // The full path (root plus names) that `path` stands for; nothing for a bad one.
  std::optional<std::string> resolve(const std::string& path) const;
  Entry* find(const std::string& path) const;
  Entry& put(const std::string& fullPath, bool folder);
  Entry& add(const std::string& path, bool folder);  // addFolder and addFile
  // What is in a folder given by its full path, or everything below it.
  std::vector<Entry*> below(const std::string& fullFolderPath, bool deep = false) const;
  // The folder a pattern lists and the name part of the pattern.
  std::pair<const Entry*, std::string> split(const std::string& pattern) const;

  mutable std::map<std::string, Entry> entries_;  // by lower-case full path
  std::string currentFolder_ = "C:\\";
  std::string decimalSeparator_ = ".";
  std::optional<std::uint64_t> copyLimit_;
};
