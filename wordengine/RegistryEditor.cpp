#include "wordengine/RegistryEditor.h"

#include <optional>
#include <utility>

#include "helpers/RuntimeError.h"

namespace RegistryEditor {
namespace {

std::unique_ptr<platform::RunningProcess> start(const WordServices& services,
                                                const std::string& application,
                                                const std::string& commandLine, int showCommand) {
  auto process = services.sys.processes.start(application, commandLine, showCommand);
  if (!process) throw RuntimeError(errors::kFileNotFound, "", "File not found: " + application);
  return process;
}

// What identifies one version of a file: its length and last-write time.
std::optional<std::pair<std::uint64_t, std::uint64_t>> stamp(platform::FileSystemApi& files,
                                                             const std::string& path) {
  if (!files.isFile(path)) return std::nullopt;
  return std::make_pair(files.fileLength(path).value_or(0), files.lastWriteTime(path).value_or(0));
}

}  // namespace

std::string ExportCommandLine(const std::string& file, const std::string& key) {
  return "C:\\Windows\\Regedit.exe /e \"" + file + "\" \"" + key + "\"";
}

void Run(const WordServices& services, const std::string& application,
         const std::string& commandLine, int showCommand) {
  start(services, application, commandLine, showCommand);
}

bool RunAndWait(const WordServices& services, const std::string& commandLine) {
  // The system's own editor by its full path: a bare "regedit" would be searched
  // for beside this program and in the current folder first.
  const std::string regedit = services.sys.processes.windowsDirectory() + "\\regedit.exe";
  auto process = start(services, regedit, commandLine, kMinimised);
  return services.app.waitUntil([&] { return process->exitCode().has_value(); }, kTimeoutMs);
}

void Export(const WordServices& services, const std::string& commandLine, const std::string& file) {
  platform::FileSystemApi& files = services.sys.files;
  const auto before = stamp(files, file);
  const bool finished = RunAndWait(services, commandLine);
  const auto after = stamp(files, file);
  // The editor reports a key it cannot open only in its own window and leaves
  // an earlier file as it was.
  if (!finished || !after || after == before)
    throw RuntimeError(errors::kPathFileAccessError, "",
                       "The registry was not exported to " + file);
}

}  // namespace RegistryEditor
