#pragma once
// Fakes of the drive, process and shell calls, for the wizard's native tests.
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fakes/FakeFileSystem.h"
#include "platform/Platform.h"

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
    std::memcpy(buffer, all.data(), all.size());
    buffer[all.size()] = '\0';
    return static_cast<std::uint32_t>(all.size());
  }
  std::uint32_t getDriveType(const std::string& root) override {
    auto it = drives.find(root);
    return it == drives.end() ? platform::kDriveNoRootDir : it->second.type;
  }
  std::optional<std::string> getVolumeLabel(const std::string& root) override {
    auto it = drives.find(root);
    return it == drives.end() ? std::nullopt : it->second.label;
  }
};

// Started programs are recorded; each ends when the test says, or at once with
// the outcome `behaviour` gives it.
class FakeProcesses : public platform::ProcessApi {
 public:
  struct Started {
    std::string application;
    std::string commandLine;
    int showCommand;
  };
  struct State {
    std::optional<std::uint32_t> exitCode;
  };
  struct Process : platform::RunningProcess {
    explicit Process(std::shared_ptr<State> s) : state(std::move(s)) {}
    std::optional<std::uint32_t> exitCode() override { return state->exitCode; }
    void terminate() override {
      if (!state->exitCode) state->exitCode = 1;
    }
    std::shared_ptr<State> state;
  };

  std::vector<Started> started;
  std::string systemDir = "C:\\WINDOWS\\system32";
  std::string windowsDir = "C:\\WINDOWS";
  std::string programFolder = "C:\\Tools";
  bool wow64 = false;
  // Called for each start: returns false when the program cannot start; may set
  // the exit code (left empty, the program keeps running).
  std::function<bool(const Started&, State&)> behaviour = [](const Started&, State& s) {
    s.exitCode = 0;
    return true;
  };

  std::string systemDirectory() override { return systemDir; }
  std::string windowsDirectory() override { return windowsDir; }
  std::string applicationFolder() override { return programFolder; }
  bool runsUnderWow64() override { return wow64; }
  bool claimOnlyInstance(const std::string&) override { return true; }
  void announceInstanceWindow(std::uintptr_t) override {}
  bool bringInstanceToFront() override { return false; }
  std::unique_ptr<platform::RunningProcess> start(const std::string& application,
                                                  const std::string& commandLine,
                                                  int showCommand) override {
    started.push_back({application, commandLine, showCommand});
    auto state = std::make_shared<State>();
    if (!behaviour(started.back(), *state)) return nullptr;
    return std::make_unique<Process>(state);
  }
};

class FakeShell : public platform::ShellApi {
 public:
  explicit FakeShell(FakeFileSystem& fileSystem) : fileSystem(fileSystem) {}
  FakeFileSystem& fileSystem;  // where scratch pages are made, and deleted
  struct Execute {
    std::uintptr_t owner;
    std::string operation, file, parameters;
    int showCommand;
  };
  bool canCreateScratch = true;
  std::intptr_t findResult = 42;
  std::string browser = "C:\\Program Files\\Browser\\browser.exe";
  std::intptr_t executeResult = 42;
  std::map<std::string, std::string> files;  // scratch files made, by path
  int created = 0;
  std::vector<std::string> lookedUp;  // files asked about, with their content then
  std::vector<Execute> executed;

  std::optional<std::string> createScratchHtmlFile(const std::string& content) override {
    if (!canCreateScratch) return std::nullopt;
    const std::string path = "C:\\TEMP\\corva" + std::to_string(created++) + ".htm";
    files[path] = content;
    fileSystem.addFile(path, content.size());
    return path;
  }
  std::intptr_t findExecutable(const std::string& file, std::string& result) override {
    lookedUp.push_back(fileSystem.exists(file) ? files[file] : "<missing>");
    result = findResult > 32 ? browser : std::string();
    return findResult;
  }
  std::intptr_t shellExecute(std::uintptr_t owner, const std::string& operation,
                             const std::string& file, const std::string& parameters,
                             int showCommand) override {
    executed.push_back({owner, operation, file, parameters, showCommand});
    return executeResult;
  }
};

// All fakes together, handed to the forms as one platform.
struct FakeSystem {
  FakeDrives drives;
  FakeFileSystem files;
  FakeProcesses processes;
  FakeShell shell{files};
  platform::Platform platform{drives, files, processes, shell};
};
