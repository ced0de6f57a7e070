#pragma once
// Fakes of the drive, process and shell calls, for the wizards' native tests.
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

// Started programs are recorded. `behaviour` says whether one starts and may give its
// exit code, now or later; without one it keeps running.
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
    void terminate() override {
      if (!*exit) *exit = 1;
    }
    std::shared_ptr<ExitCode> exit;
  };

  std::vector<Started> started;
  bool wow64 = false;
  std::function<bool(const Started&, ExitCode&)> behaviour = [](const Started&, ExitCode& e) {
    e = 0;
    return true;
  };

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
    if (!behaviour(started.back(), *exit)) return nullptr;
    return std::make_unique<Process>(exit);
  }
};

// A scratch page is made unless the test says no; FindExecutable names the browser
// when it answers above 32. Each ShellExecute is kept as "operation file parameters
// show", with the last owner window.
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

// All fakes together, handed to the forms as one platform.
struct FakeSystem {
  FakeDrives drives;
  FakeFileSystem files;
  FakeProcesses processes;
  FakeShell shell;
  platform::Platform platform{drives, files, processes, shell};
};
