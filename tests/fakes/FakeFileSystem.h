#pragma once
// An in-memory file system behind platform::FileSystemApi, for the forms' native
// tests and the cases real files cannot show. Paths are compared without regard to
// case and keep the spelling they were created with; relative paths start in C:\.
// Missing folders above an added file or folder are created with it.
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
  };

  FakeFileSystem() { put("C:\\", true); }

  void addFolder(const std::string& path, std::uint32_t attributes = platform::kAttrDirectory);
  void addFile(const std::string& path, std::uint64_t size = 0,
               std::uint32_t attributes = platform::kAttrArchive);
  // Copies report success but write at most this many bytes (a full disk).
  void limitCopiesTo(std::uint64_t bytes) { copyLimit_ = bytes; }
  bool exists(const std::string& path) const { return find(path) != nullptr; }

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
  std::optional<std::string> fileDateTime(const std::string&) override { return std::nullopt; }
  std::optional<std::uint32_t> fileAttributes(const std::string& p) override {
    return field(p, &Entry::attributes);
  }
  bool setFileAttributes(const std::string& p, std::uint32_t attributes) override {
    return exists(p) && (find(p)->attributes = attributes, true);
  }
  bool deleteFiles(const std::string& pattern) override;
  bool copyFile(const std::string& source, const std::string& destination) override;
  bool createDirectory(const std::string& path) override;
  bool removeDirectory(const std::string&) override { return false; }
  void closeAllFiles() override {}
  std::string decimalSeparator() override { return "."; }

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
  // The entries of the folder a pattern lists that its name part matches.
  std::vector<Entry*> matching(const std::string& pattern) const;

  mutable std::map<std::string, Entry> entries_;  // by lower-case full path
  std::optional<std::uint64_t> copyLimit_;
};
