#pragma once
// Starting programs for the engine: Word without waiting, the system's registry
// editor waited for, so an export is complete before anything may remove what
// it saved.
#include <string>

#include "wordengine/clsWD.h"

namespace RegistryEditor {

// Window states of the started programs.
constexpr int kNormal = 1;     // SW_SHOWNORMAL
constexpr int kMinimised = 2;  // SW_SHOWMINIMIZED

// The longest wait for one run of the registry editor.
constexpr int kTimeoutMs = 30000;

// Starts `application` with `commandLine` and returns at once. Raises
// RuntimeError 53 when it cannot be started.
void Run(const WordServices& services, const std::string& application,
         const std::string& commandLine, int showCommand);

// Runs the Windows folder's regedit.exe (whatever program name the command line
// spells) minimised and waits for it, yielding, up to kTimeoutMs. False when it
// is still running then.
bool RunAndWait(const WordServices& services, const std::string& commandLine);

// "C:\Windows\Regedit.exe /e " Q file Q " " Q key Q: the export of one key.
std::string ExportCommandLine(const std::string& file, const std::string& key);

// An export: runs the command line, then raises RuntimeError 75 unless the
// editor finished and left a new `file`.
void Export(const WordServices& services, const std::string& commandLine, const std::string& file);

}  // namespace RegistryEditor
