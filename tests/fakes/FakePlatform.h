#pragma once
// Fakes of the file system, drive, process and shell calls, for the native tests.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

// Entries by their path as given, whatever its case: no wildcards, no relative paths.
class FakeFileSystem : public platform::FileSystemApi {
 public:
  void addFolder(const std::string& p) { entries_[key(p)] = {true, 0}; }
  void addFile(const std::string& p, std::uint64_t size = 0) { entries_[key(p)] = {false, size}; }
  void writeFile(const std::string& p, const std::string& s) {
    entries_[key(p)] = {false, s.size(), s};
  }
  // Copies report success but write at most this many bytes (a full disk).
  void limitCopiesTo(std::uint64_t bytes) { copyLimit_ = bytes; }

  bool pathFileExists(const std::string& p) override { return find(p) != nullptr; }
  bool isFile(const std::string& p) override { return find(p) && !find(p)->folder; }
  std::optional<std::uint64_t> lastWriteTime(const std::string& p) override {
    return find(p) ? std::optional<std::uint64_t>(0) : std::nullopt;
  }
  // The name of the one entry a path names; folders only when asked for.
  std::vector<std::string> listDirectory(const std::string& p, std::uint32_t attributes) override {
    const Entry* e = find(p);
    if (!e || (e->folder && !(attributes & platform::kAttrDirectory))) return {};
    return {p.substr(p.rfind('\\') + 1)};
  }
  std::optional<std::uint64_t> fileLength(const std::string& p) override {
    return find(p) ? std::optional<std::uint64_t>(find(p)->size) : std::nullopt;
  }
  std::optional<std::string> fileDateTime(const std::string&) override { return std::nullopt; }
  std::optional<std::uint32_t> fileAttributes(const std::string& p) override {
    if (!find(p)) return std::nullopt;
    return find(p)->folder ? platform::kAttrDirectory : platform::kAttrArchive;
  }
  bool setFileAttributes(const std::string& p, std::uint32_t) override { return find(p); }
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
    if (find(p) || !find(p.substr(0, p.rfind('\\')))) return false;
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

// Drives by root ("D:\"): a type and, for a readable disc, a volume label.
class FakeDrives : public platform::DriveApi {
 public:
  struct Drive {
    std::uint32_t type = platform::kDriveFixed;
    std::optional<std::string> label;  // nothing: no disc in the drive
  };
  std::map<std::string, Drive> drives;  // ordered by letter, as the system lists them
  bool failListing = false;

  void add(char letter, std::uint32_t type, std::optional<std::string> label = std::string()) {
    drives[std::string(1, letter) + ":\\"] = Drive{type, std::move(label)};
  }

  std::uint32_t getLogicalDriveStrings(std::uint32_t bufferLength, char* buffer) override {
    if (failListing) return 0;
    std::string all;
    for (const auto& d : drives) all += d.first + '\0';
    if (all.size() + 1 > bufferLength) return static_cast<std::uint32_t>(all.size() + 1);
    std::memcpy(buffer, all.c_str(), all.size() + 1);
    return static_cast<std::uint32_t>(all.size());
  }
  std::uint32_t getDriveType(const std::string& root) override {
    return drives.count(root) ? drives[root].type : platform::kDriveNoRootDir;
  }
  std::optional<std::string> getVolumeLabel(const std::string& root) override {
    return drives.count(root) ? drives[root].label : std::nullopt;
  }
};

// Started programs are kept; `behaviour` decides if one starts and when it ends (or never).
class FakeProcesses : public platform::ProcessApi {
 public:
  using ExitCode = std::optional<std::uint32_t>;
  struct Started {
    std::string application, commandLine;
    int showCommand;
  };
  struct Process : platform::RunningProcess {
    explicit Process(std::shared_ptr<ExitCode> e) : exit(std::move(e)) {}
    ExitCode exitCode() override { return *exit; }
    void terminate() override { *exit = exit->value_or(1); }
    std::shared_ptr<ExitCode> exit;
  };

  std::vector<Started> started;
  bool wow64 = false;
  std::function<bool(const Started&, ExitCode&)> behaviour;

  std::string systemDirectory() override { return "C:\\WINDOWS\\system32"; }
  std::string windowsDirectory() override { return "C:\\WINDOWS"; }
  std::string applicationFolder() override { return "C:\\Tools"; }
  bool runsUnderWow64() override { return wow64; }
  bool claimOnlyInstance(const std::string&) override { return true; }
  void announceInstanceWindow(std::uintptr_t) override {}
  bool bringInstanceToFront() override { return false; }
  std::unique_ptr<platform::RunningProcess> start(const std::string& application,
                                                  const std::string& commandLine,
                                                  int showCommand) override {
    started.push_back({application, commandLine, showCommand});
    auto exit = std::make_shared<ExitCode>();
    if (behaviour && !behaviour(started.back(), *exit)) return nullptr;
    return std::make_unique<Process>(exit);
  }
};

// FindExecutable finds the browser above 32; each ShellExecute is kept, and its owner.
class FakeShell : public platform::ShellApi {
 public:
  bool canCreateScratch = true;
  std::intptr_t findResult = 42;
  std::string browser = "C:\\b.exe";
  std::intptr_t executeResult = 42;
  std::vector<std::string> executed;
  std::uintptr_t owner = 0;

  std::optional<std::string> createScratchHtmlFile(const std::string&) override {
    return canCreateScratch ? std::optional<std::string>("C:\\TEMP\\corva.htm") : std::nullopt;
  }
  std::intptr_t findExecutable(const std::string&, std::string& result) override {
    result = findResult > 32 ? browser : std::string();
    return findResult;
  }
  std::intptr_t shellExecute(std::uintptr_t owner, const std::string& operation,
                             const std::string& file, const std::string& parameters,
                             int showCommand) override {
    executed.push_back(operation + " " + file + " " + parameters + " " +
                       std::to_string(showCommand));
    this->owner = owner;
    return executeResult;
  }
};

struct FakeSystem {
  FakeDrives drives;
  FakeFileSystem files;
  FakeProcesses processes;
  FakeShell shell;
  platform::Platform platform{drives, files, processes, shell};
};
