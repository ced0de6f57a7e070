#pragma once
// An in-memory file system behind platform::FileSystemApi, for the forms' native tests
// and what real files cannot show (a copy cut short, a share). Entries are found by
// their path as given, whatever its case: no wildcards, no relative resolution.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystemApi.h"

class FakeFileSystem : public platform::FileSystemApi {
 public:
  void addFolder(const std::string& p) { entries_[key(p)] = {true, 0}; }
  void addFile(const std::string& p, std::uint64_t size = 0) { entries_[key(p)] = {false, size}; }
  void writeFile(const std::string& p, const std::string& s) {
    entries_[key(p)] = {false, s.size(), s};
  }
  // Copies report success but write at most this many bytes (a full disk).
  void limitCopiesTo(std::uint64_t bytes) { copyLimit_ = bytes; }
  bool exists(const std::string& path) const { return find(path) != nullptr; }

  bool pathFileExists(const std::string& p) override { return exists(p); }
  bool isFile(const std::string& p) override { return exists(p) && !find(p)->folder; }
  std::optional<std::uint64_t> lastWriteTime(const std::string& p) override {
    return exists(p) ? std::optional<std::uint64_t>(0) : std::nullopt;
  }
  // The name of the one entry a path names; folders only when asked for.
  std::vector<std::string> listDirectory(const std::string& p, std::uint32_t attributes) override {
    const Entry* e = find(p);
    if (!e || (e->folder && !(attributes & platform::kAttrDirectory))) return {};
    return {p.substr(p.rfind('\\') + 1)};
  }
  std::optional<std::uint64_t> fileLength(const std::string& p) override {
    return exists(p) ? std::optional<std::uint64_t>(find(p)->size) : std::nullopt;
  }
  std::optional<std::string> fileDateTime(const std::string&) override { return std::nullopt; }
  std::optional<std::uint32_t> fileAttributes(const std::string& p) override {
    if (!exists(p)) return std::nullopt;
    return find(p)->folder ? platform::kAttrDirectory : platform::kAttrArchive;
  }
  bool setFileAttributes(const std::string& p, std::uint32_t) override { return exists(p); }
  bool deleteFiles(const std::string& p) override { return isFile(p) && entries_.erase(key(p)); }
  std::optional<std::string> readFile(const std::string& p, std::size_t limit) override {
    return isFile(p) ? std::optional<std::string>(find(p)->content.substr(0, limit)) : std::nullopt;
  }
  bool copyFile(const std::string& source, const std::string& destination) override {
    if (!isFile(source) || key(source) == key(destination)) return false;
    Entry copy = *find(source);
    if (copyLimit_ && copy.size > *copyLimit_) {
      copy.size = *copyLimit_;
      copy.content.resize(std::min<std::size_t>(copy.content.size(), *copyLimit_));
    }
    entries_[key(destination)] = copy;
    return true;
  }
  // A folder needs its parent only when made here.
  bool createDirectory(const std::string& p) override {
    if (exists(p) || !exists(p.substr(0, p.rfind('\\')))) return false;
    addFolder(p);
    return true;
  }
  bool removeDirectory(const std::string&) override { return false; }
  void closeAllFiles() override {}
  std::string decimalSeparator() override { return "."; }

 private:
  struct Entry {
    bool folder;
    std::uint64_t size;
    std::string content = {};
  };
  static std::string key(std::string path) {
    for (char& c : path) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return path;
  }
  Entry* find(const std::string& path) const {
    const auto it = entries_.find(key(path));
    return it == entries_.end() ? nullptr : &it->second;
  }

  mutable std::map<std::string, Entry> entries_;  // by lower-case path
  std::optional<std::uint64_t> copyLimit_;
};
