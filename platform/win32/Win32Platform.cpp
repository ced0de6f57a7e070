#include "platform/win32/Win32Platform.h"

#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "platform/win32/Handle.h"
#include "platform/win32/LateBound.h"

namespace platform {

// --- Drives -------------------------------------------------------------------------

std::uint32_t Win32Drives::getLogicalDriveStrings(std::uint32_t bufferLength, char* buffer) {
  return GetLogicalDriveStringsA(bufferLength, buffer);
}

std::uint32_t Win32Drives::getDriveType(const std::string& root) {
  return GetDriveTypeA(root.c_str());
}

std::optional<std::string> Win32Drives::getVolumeLabel(const std::string& root) {
  char name[128] = {};
  char fileSystem[128] = {};
  DWORD serial = 0, maxComponent = 0, flags = 0;
  if (!GetVolumeInformationA(root.c_str(), name, 127, &serial, &maxComponent, &flags, fileSystem,
                             127))
    return std::nullopt;
  name[127] = '\0';
  return std::string(name);
}

// --- Processes ----------------------------------------------------------------------

namespace {
class Win32RunningProcess : public RunningProcess {
 public:
  explicit Win32RunningProcess(HANDLE process) : process_(process) {}
  std::optional<std::uint32_t> exitCode() override {
    DWORD code = 0;
    if (WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0) return std::nullopt;
    if (!GetExitCodeProcess(process_.get(), &code)) return std::nullopt;
    return code;
  }
  void terminate() override {
    if (TerminateProcess(process_.get(), 1)) WaitForSingleObject(process_.get(), 5000);
  }

 private:
  Handle process_;
};

// The folder GetSystemDirectoryA or GetWindowsDirectoryA names, without a
// trailing backslash; `fallback` when the call fails.
std::string systemFolder(decltype(&GetSystemDirectoryA) get, const char* fallback) {
  char path[MAX_PATH + 1] = {};
  const UINT n = get(path, MAX_PATH);
  if (n == 0 || n > MAX_PATH) return fallback;
  std::string dir(path, n);
  if (!dir.empty() && dir.back() == '\\') dir.pop_back();
  return dir;
}
}  // namespace

std::string Win32Processes::systemDirectory() {
  return systemFolder(GetSystemDirectoryA, "C:\\WINDOWS\\system32");
}

std::string Win32Processes::windowsDirectory() {
  return systemFolder(GetWindowsDirectoryA, "C:\\WINDOWS");
}

std::string Win32Processes::applicationFolder() {
  char path[MAX_PATH + 1] = {};
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, n < MAX_PATH ? n : 0);
  folder.erase(std::min(folder.find_last_of('\\'), folder.size()));
  // A drive root keeps its backslash: "C:" alone would mean that drive's current folder.
  if (folder.size() == 2 && folder[1] == ':') folder += '\\';
  return folder;
}

std::unique_ptr<RunningProcess> Win32Processes::start(const std::string& application,
                                                      const std::string& commandLine,
                                                      int showCommand) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = static_cast<WORD>(showCommand);
  PROCESS_INFORMATION pi{};
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  if (!CreateProcessA(application.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &si, &pi))
    return nullptr;
  CloseHandle(pi.hThread);
  return std::make_unique<Win32RunningProcess>(pi.hProcess);
}

bool Win32Processes::runsUnderWow64() {
  // Looked up, not imported: kernel32 has it from XP SP2 on.
  static LateBound<BOOL(WINAPI*)(HANDLE, PBOOL)> isWow64Process("kernel32.dll", "IsWow64Process");
  const auto ask = isWow64Process.get();
  BOOL wow64 = FALSE;
  return ask && ask(GetCurrentProcess(), &wow64) && wow64;
}

namespace {
// The window handle kept in the instance mapping, read or written through a view.
template <typename F>
bool withInstanceWindow(HANDLE mapping, F&& use) {
  if (!mapping) return false;
  void* view = MapViewOfFile(mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(std::uint64_t));
  if (!view) return false;
  use(*static_cast<volatile std::uint64_t*>(view));
  UnmapViewOfFile(view);
  return true;
}
}  // namespace

bool Win32Processes::claimOnlyInstance(const std::string& name) {
  const std::string local = "Local\\" + name;
  Handle mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                    sizeof(std::uint64_t), local.c_str()));
  const bool taken = GetLastError() == ERROR_ALREADY_EXISTS;
  instance_ = std::move(mapping);
  // Without the mapping nothing can be told apart: this one runs.
  return !instance_ || !taken;
}

void Win32Processes::announceInstanceWindow(std::uintptr_t window) {
  withInstanceWindow(instance_.get(), [&](volatile std::uint64_t& held) { held = window; });
}

bool Win32Processes::bringInstanceToFront() {
  std::uint64_t held = 0;
  withInstanceWindow(instance_.get(), [&](volatile std::uint64_t& h) { held = h; });
  const HWND window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(held));
  if (!window || !IsWindow(window)) return false;
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  SetForegroundWindow(window);
  return true;
}

// --- Shell ----------------------------------------------------------------------------

std::optional<std::string> Win32Shell::createScratchHtmlFile(const std::string& content) {
  char folder[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathA(MAX_PATH, folder);
  if (n == 0 || n > MAX_PATH) return std::nullopt;
  // A unique name of our own, made with CREATE_NEW so no existing file is touched.
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    char name[64];
    wsprintfA(name, "corva%08lX%02X.htm", GetTickCount() ^ GetCurrentProcessId(), attempt);
    const std::string path = std::string(folder) + name;
    Handle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_TEMPORARY, nullptr));
    if (!file) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      return std::nullopt;
    }
    DWORD written = 0;
    const bool ok = WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()),
                              &written, nullptr) &&
                    written == content.size();
    file.reset();
    if (!ok) {
      DeleteFileA(path.c_str());
      return std::nullopt;
    }
    return path;
  }
  return std::nullopt;
}

std::intptr_t Win32Shell::findExecutable(const std::string& file, std::string& result) {
  char buffer[MAX_PATH + 1];
  std::fill(buffer, buffer + sizeof buffer, ' ');
  buffer[MAX_PATH] = '\0';
  static LateBound<decltype(&FindExecutableA)> findExecutableA("shell32.dll", "FindExecutableA");
  const auto find = findExecutableA.get();
  const HINSTANCE r =
      find ? find(file.c_str(), nullptr, buffer) : reinterpret_cast<HINSTANCE>(SE_ERR_DLLNOTFOUND);
  buffer[MAX_PATH] = '\0';
  result.assign(buffer);  // up to the first NUL
  return reinterpret_cast<std::intptr_t>(r);
}

std::intptr_t Win32Shell::shellExecute(std::uintptr_t ownerWindow, const std::string& operation,
                                       const std::string& file, const std::string& parameters,
                                       int showCommand) {
  static LateBound<decltype(&ShellExecuteA)> shellExecuteA("shell32.dll", "ShellExecuteA");
  const auto execute = shellExecuteA.get();
  if (!execute) return SE_ERR_DLLNOTFOUND;
  // The shell may hand the file to an extension, a COM object: COM is started on
  // this thread first, once, and left running for the life of the program.
  static LateBound<decltype(&CoInitialize)> coInitialize("ole32.dll", "CoInitialize");
  static const bool comStarted = [] {
    if (const auto start = coInitialize.get()) start(nullptr);
    return true;
  }();
  (void)comStarted;
  return reinterpret_cast<std::intptr_t>(execute(reinterpret_cast<HWND>(ownerWindow),
                                                 operation.c_str(), file.c_str(),
                                                 parameters.c_str(), nullptr, showCommand));
}

}  // namespace platform
