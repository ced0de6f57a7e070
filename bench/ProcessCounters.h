#pragma once
// What another process of the same Wine prefix costs: its GDI and USER objects,
// kernel handles, private memory and CPU time.
//
// Wine 8 answers several of the usual calls for another process with nothing
// usable (measured here): GetGuiResources gives 0 with ERROR_CALL_NOT_IMPLEMENTED,
// GetProcessHandleCount 0, GetProcessMemoryInfo a PrivateUsage of 0 and
// GetProcessTimes the caller's own times. Each reading therefore falls back to
// what Wine does keep: the process's GDI handle table (read from its memory), its
// windows, the handle count of NtQuerySystemInformation and, for memory and CPU,
// the Linux process behind it (/proc, seen through drive Z:).
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace counters {

namespace detail {

template <typename Function>
Function ntdll(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), name)));
}

inline std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

inline std::optional<std::string> readWholeFile(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string data;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got) data.append(buffer, got);
  CloseHandle(h);
  return data;
}

// The GDI handle table entry as Wine and Windows lay it out (24 bytes on x64).
struct GdiEntry {
  std::uint64_t object;
  std::uint32_t owner;
  std::uint16_t unique;  // low 7 bits: the kind of object
  std::uint8_t type;
  std::uint8_t flags;
  std::uint64_t userPointer;
};
static_assert(sizeof(GdiEntry) == 24, "GDI handle table entry");
constexpr std::size_t kGdiMaxHandles = 0x10000;
// Where the PEB of a 64-bit process points to its table.
constexpr std::size_t kPebGdiSharedHandleTable = 0xF8;

struct BasicInformation {
  LONG_PTR exitStatus;
  void* pebBaseAddress;
  ULONG_PTR affinityMask;
  LONG_PTR basePriority;
  ULONG_PTR uniqueProcessId;
  ULONG_PTR parentProcessId;
};

}  // namespace detail

// The entries in use of the process's GDI handle table, counted by kind (the
// object type's high word: 0x01 device context, 0x04 region, 0x05 bitmap, 0x0a
// font, 0x10 brush, 0x30 pen...). Under Wine the table is the process's own; read
// only for 64-bit processes, whose layout is the one above.
inline std::optional<std::map<int, long>> gdiObjectsByKind(HANDLE process) {
#ifndef _WIN64
  return std::nullopt;
#endif
  using Query = LONG(WINAPI*)(HANDLE, ULONG, void*, ULONG, ULONG*);
  auto query = detail::ntdll<Query>("NtQueryInformationProcess");
  if (!query) return std::nullopt;
  detail::BasicInformation basic{};
  if (query(process, 0, &basic, sizeof basic, nullptr) != 0 || !basic.pebBaseAddress)
    return std::nullopt;
  void* table = nullptr;
  SIZE_T got = 0;
  if (!ReadProcessMemory(
          process, static_cast<char*>(basic.pebBaseAddress) + detail::kPebGdiSharedHandleTable,
          &table, sizeof table, &got) ||
      !table)
    return std::nullopt;
  std::vector<detail::GdiEntry> entries(detail::kGdiMaxHandles);
  if (!ReadProcessMemory(process, table, entries.data(), entries.size() * sizeof entries[0], &got))
    return std::nullopt;
  std::map<int, long> kinds;
  for (const detail::GdiEntry& e : entries)
    if (e.type != 0) ++kinds[e.unique & 0x7f];
  return kinds;
}

// GDI objects in use by the process: GetGuiResources where it works, else its
// GDI handle table.
inline std::optional<long> gdiObjects(HANDLE process) {
  const DWORD n = GetGuiResources(process, GR_GDIOBJECTS);
  if (n != 0) return static_cast<long>(n);
  const auto kinds = gdiObjectsByKind(process);
  if (!kinds) return std::nullopt;
  long total = 0;
  for (const auto& kind : *kinds) total += kind.second;
  return total;
}

namespace detail {
struct WindowCount {
  DWORD pid;
  long count;
};
inline BOOL CALLBACK countChild(HWND, LPARAM lp) {
  ++reinterpret_cast<WindowCount*>(lp)->count;
  return TRUE;
}
inline BOOL CALLBACK countTopLevel(HWND hwnd, LPARAM lp) {
  auto* c = reinterpret_cast<WindowCount*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == c->pid) {
    ++c->count;
    EnumChildWindows(hwnd, countChild, lp);
  }
  return TRUE;
}
}  // namespace detail

// USER objects of the process: GetGuiResources where it works, else its windows,
// top-level and child (menus, cursors and hooks are not seen that way).
inline long userObjects(HANDLE process, DWORD pid) {
  const DWORD n = GetGuiResources(process, GR_USEROBJECTS);
  if (n != 0) return static_cast<long>(n);
  detail::WindowCount c{pid, 0};
  EnumWindows(detail::countTopLevel, reinterpret_cast<LPARAM>(&c));
  return c.count;
}

// Kernel handles of the process, from the system's process list.
inline std::optional<long> kernelHandles(DWORD pid) {
  using Query = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
  auto query = detail::ntdll<Query>("NtQuerySystemInformation");
  if (!query) return std::nullopt;
  std::vector<char> buffer(1 << 20);
  ULONG needed = 0;
  for (int attempt = 0; attempt < 4; ++attempt) {
    const LONG status = query(5 /* SystemProcessInformation */, buffer.data(),
                              static_cast<ULONG>(buffer.size()), &needed);
    if (status == 0) break;
    if (attempt == 3) return std::nullopt;
    buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 65536));
  }
  // The fixed head of SYSTEM_PROCESS_INFORMATION up to HandleCount.
  struct Head {
    ULONG nextEntryOffset;
    ULONG numberOfThreads;
    LARGE_INTEGER reserved[3];
    LARGE_INTEGER createTime, userTime, kernelTime;
    USHORT nameLength, nameMaximumLength;
    PWSTR nameBuffer;
    LONG basePriority;
    HANDLE uniqueProcessId;
    HANDLE inheritedFromUniqueProcessId;
    ULONG handleCount;
  };
  for (std::size_t at = 0;;) {
    const auto* head = reinterpret_cast<const Head*>(buffer.data() + at);
    if (reinterpret_cast<ULONG_PTR>(head->uniqueProcessId) == pid)
      return static_cast<long>(head->handleCount);
    if (!head->nextEntryOffset) return std::nullopt;
    at += head->nextEntryOffset;
  }
}

// The Linux process behind a Wine process of this prefix, found by its command
// line (Wine shows the Windows one there) and its WINEPREFIX; the newest if several.
class LinuxProcess {
 public:
  static std::optional<LinuxProcess> find(const std::string& exeName) {
    const std::string wanted = detail::lower(exeName);
    char prefix[MAX_PATH] = {};
    GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
    const std::string prefixEntry = std::string("WINEPREFIX=") + prefix + '\0';
    std::optional<LinuxProcess> best;
    unsigned long long bestStart = 0;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA("Z:\\proc\\*", &fd);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    do {
      if (!std::isdigit(static_cast<unsigned char>(fd.cFileName[0]))) continue;
      const std::string dir = std::string("Z:\\proc\\") + fd.cFileName;
      const auto cmdline = detail::readWholeFile(dir + "\\cmdline");
      if (!cmdline || detail::lower(*cmdline).find(wanted) == std::string::npos) continue;
      if (prefix[0]) {
        const auto environment = detail::readWholeFile(dir + "\\environ");
        if (!environment || environment->find(prefixEntry) == std::string::npos) continue;
      }
      LinuxProcess p(fd.cFileName);
      const auto fields = p.statFields();
      if (fields.size() < 22) continue;
      const unsigned long long start = std::strtoull(fields[21].c_str(), nullptr, 10);
      if (!best || start > bestStart) {
        best = p;
        bestStart = start;
      }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return best;
  }

  const std::string& pid() const { return pid_; }

  // User plus system time of all its threads, in seconds (10 ms resolution).
  std::optional<double> cpuSeconds() const {
    const auto fields = statFields();
    if (fields.size() < 15) return std::nullopt;
    const double ticks =
        std::strtod(fields[13].c_str(), nullptr) + std::strtod(fields[14].c_str(), nullptr);
    return ticks / 100.0;  // USER_HZ
  }

  // A line of /proc/<pid>/status in kB: "VmData" (private writable memory, what
  // Windows counts as private bytes), "RssAnon", "VmRSS".
  std::optional<long> statusKb(const std::string& key) const {
    const auto status = detail::readWholeFile("Z:\\proc\\" + pid_ + "\\status");
    if (!status) return std::nullopt;
    const std::size_t at = status->find("\n" + key + ":");
    if (at == std::string::npos) return std::nullopt;
    return std::strtol(status->c_str() + at + key.size() + 2, nullptr, 10);
  }

 private:
  explicit LinuxProcess(std::string pid) : pid_(std::move(pid)) {}

  // The fields of /proc/<pid>/stat, the name in brackets counted as one.
  std::vector<std::string> statFields() const {
    std::vector<std::string> fields;
    const auto stat = detail::readWholeFile("Z:\\proc\\" + pid_ + "\\stat");
    if (!stat) return fields;
    const std::size_t close = stat->rfind(')');
    if (close == std::string::npos) return fields;
    fields.push_back(stat->substr(0, stat->find(' ')));
    fields.push_back("name");
    std::size_t at = close + 2;
    while (at < stat->size()) {
      std::size_t end = stat->find(' ', at);
      if (end == std::string::npos) end = stat->size();
      fields.push_back(stat->substr(at, end - at));
      at = end + 1;
    }
    return fields;
  }

  std::string pid_;
};

}  // namespace counters
