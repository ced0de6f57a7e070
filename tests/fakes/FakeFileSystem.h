#pragma once
// An in-memory file system behind platform::FileSystemApi, for the forms' native
// tests and what real files cannot show (a copy cut short, a share). Entries are
// found by their path as given, without regard to case: no wildcards, no relative
// resolution. A folder needs its parent only when made through createDirectory.
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
  struct Entry {
    bool folder = false;
    std::uint64_t size = 0;
    std::uint32_t attributes = 0;
    std::uint64_t writeTime = 0;
    std::string content;
  };

  void addFolder(const std::string& path, std::uint32_t attributes = 0) {
    entries_[key(path)] = Entry{true, 0, attributes | platform::kAttrDirectory, 0, {}};
  }
  void addFile(const std::string& path, std::uint64_t size = 0,
               std::uint32_t attributes = platform::kAttrArchive) {
    entries_[key(path)] = Entry{false, size, attributes, 0, {}};
  }
  void writeFile(const std::string& path, const std::string& content) {
    entries_[key(path)] = Entry{false, content.size(), platform::kAttrArchive, 0, content};
  }
  // Copies report success but write at most this many bytes (a full disk).
  void limitCopiesTo(std::uint64_t bytes) { copyLimit_ = bytes; }
  bool exists(const std::string& path) const { return find(path) != nullptr; }

  // --- platform::FileSystemApi ---------------------------------------------------
  bool pathFileExists(const std::string& p) override { return exists(p); }
  bool isFile(const std::string& p) override { return exists(p) && !find(p)->folder; }
  std::optional<std::uint64_t> lastWriteTime(const std::string& p) override {
    return field(p, &Entry::writeTime);
  }

  // The name of the one entry a path names; folders only when asked for.
  std::vector<std::string> listDirectory(const std::string& p, std::uint32_t attributes) override {
    const Entry* e = find(p);
    if (!e || (e->folder && !(attributes & platform::kAttrDirectory))) return {};
    return {p.substr(p.rfind('\\') + 1)};
  }
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
  bool deleteFiles(const std::string& p) override {
    const Entry* e = find(p);
    return e && !e->folder && !(e->attributes & platform::kAttrReadOnly) && entries_.erase(key(p));
  }
  std::optional<std::string> readFile(const std::string& p, std::size_t limit) override {
    return isFile(p) ? std::optional<std::string>(find(p)->content.substr(0, limit)) : std::nullopt;
  }
  bool copyFile(const std::string& source, const std::string& destination) override {
    const Entry* from = find(source);
    if (!from || from->folder || key(source) == key(destination)) return false;
    Entry copy = *from;
    if (copyLimit_ && copy.size > *copyLimit_) {
      copy.size = *copyLimit_;
      copy.content.resize(std::min<std::size_t>(copy.content.size(), *copyLimit_));
    }
    entries_[key(destination)] = copy;
    return true;
  }
  bool createDirectory(const std::string& p) override {
    const std::string parent = p.substr(0, p.rfind('\\'));
    if (exists(p) || !exists(parent)) return false;
    addFolder(p);
    return true;
  }
  bool removeDirectory(const std::string&) override { return false; }
  void closeAllFiles() override {}
  std::string decimalSeparator() override { return "."; }

 private:
  static std::string key(std::string path) {
    for (char& c : path) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return path;
  }
  Entry* find(const std::string& path) const {
    const auto it = entries_.find(key(path));
    return it == entries_.end() ? nullptr : &it->second;
  }
  template <class T>
  std::optional<T> field(const std::string& path, T Entry::*member) const {
    const Entry* e = find(path);
    return e ? std::optional<T>(e->*member) : std::nullopt;
  }

  mutable std::map<std::string, Entry> entries_;  // by lower-case path
  std::optional<std::uint64_t> copyLimit_;
};
