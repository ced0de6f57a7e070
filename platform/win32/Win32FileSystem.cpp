#include "platform/win32/Win32FileSystem.h"

#include <shlwapi.h>
#include <windows.h>

#include <algorithm>
#include <utility>

#include "platform/win32/Handle.h"
#include "platform/win32/LateBound.h"

namespace platform {
namespace {

bool hasWildcard(const std::string& s) {
  return s.find_first_of("*?") != std::string::npos;
}

// The folder part of a path or pattern, with its final separator ("" for a bare name).
std::string folderOf(const std::string& path) {
  const std::size_t split = path.find_last_of("\\/:");
  return split == std::string::npos ? std::string() : path.substr(0, split + 1);
}

// Every entry the platform matches to `pattern`, in its order.
std::vector<WIN32_FIND_DATAA> findAll(const std::string& pattern) {
  std::vector<WIN32_FIND_DATAA> found;
  WIN32_FIND_DATAA data;
  FindHandle search(FindFirstFileA(pattern.c_str(), &data));
  if (!search) return found;
  do {
    found.push_back(data);
  } while (FindNextFileA(search.get(), &data));
  return found;
}

// Size and times of one file or folder; wildcards name none.
bool standardData(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
  if (path.empty() || hasWildcard(path)) return false;
  return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) != 0;
}

// The bits the program has names for; FILE_ATTRIBUTE_NORMAL and newer bits
// (compressed, not indexed...) drop out, so a plain file reads 0.
constexpr DWORD kNamedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                   FILE_ATTRIBUTE_SYSTEM | 0x8 /* volume label */ |
                                   FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE;
constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                      FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

using DateOrTimeFormat = int(WINAPI*)(LCID, DWORD, const SYSTEMTIME*, LPCSTR, LPSTR, int);

std::string formatted(DateOrTimeFormat format, DWORD flags, const SYSTEMTIME& when) {
  const int needed = format(LOCALE_USER_DEFAULT, flags, &when, nullptr, nullptr, 0);
  if (needed <= 0) return std::string();
  std::string text(static_cast<std::size_t>(needed), '\0');
  const int written = format(LOCALE_USER_DEFAULT, flags, &when, nullptr, text.data(), needed);
  if (written <= 0) return std::string();
  text.resize(static_cast<std::size_t>(written) - 1);
  return text;
}

}  // namespace

bool Win32FileSystem::pathFileExists(const std::string& path) {
  static LateBound<decltype(&PathFileExistsA)> pathFileExistsA("shlwapi.dll", "PathFileExistsA");
  if (const auto exists = pathFileExistsA.get()) return exists(path.c_str()) == TRUE;
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<std::uint64_t> Win32FileSystem::lastWriteTime(const std::string& path) {
  Handle file(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  FILETIME written;
  if (!file || !GetFileTime(file.get(), nullptr, nullptr, &written)) return std::nullopt;
  return (static_cast<std::uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
}

bool Win32FileSystem::isFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::vector<std::string> Win32FileSystem::listDirectory(const std::string& pattern,
                                                        std::uint32_t attributes) {
  std::vector<std::string> names;
  if (pattern.empty()) return names;
  std::string query = pattern;
  const char last = query.back();
  if (last == '\\' || last == '/' || last == ':') query += '*';
  const DWORD guarded = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
  for (const auto& entry : findAll(query)) {
    if ((entry.dwFileAttributes & guarded & ~attributes) == 0) names.push_back(entry.cFileName);
  }
  return names;
}

std::optional<std::uint64_t> Win32FileSystem::fileLength(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!standardData(path, data)) return std::nullopt;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::optional<std::string> Win32FileSystem::fileDateTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  SYSTEMTIME utc;
  SYSTEMTIME local;
  // The offset in force on that date, not today's.
  if (!standardData(path, data) || !FileTimeToSystemTime(&data.ftLastWriteTime, &utc) ||
      !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
    return std::nullopt;
  }
  const std::string date = formatted(GetDateFormatA, DATE_SHORTDATE, local);
  const std::string time = formatted(GetTimeFormatA, 0, local);
  if (date.empty() || time.empty()) return std::nullopt;
  return date + " " + time;
}

std::optional<std::uint32_t> Win32FileSystem::fileAttributes(const std::string& path) {
  if (path.empty() || hasWildcard(path)) return std::nullopt;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return attributes & kNamedAttributes;
}

bool Win32FileSystem::setFileAttributes(const std::string& path, std::uint32_t attributes) {
  const DWORD value = attributes & kSettableAttributes;
  return SetFileAttributesA(path.c_str(), value == 0 ? FILE_ATTRIBUTE_NORMAL : value) != 0;
}

bool Win32FileSystem::deleteFiles(const std::string& pattern) {
  if (pattern.empty()) return false;
  const std::string folder = folderOf(pattern);
  if (!hasWildcard(pattern.substr(folder.size()))) return DeleteFileA(pattern.c_str()) != 0;
  // Names first: deleting while the search runs may skip entries.
  std::vector<std::string> matched;
  for (const auto& entry : findAll(pattern)) {
    const bool folder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!folder) matched.push_back(entry.cFileName);
  }
  bool all = !matched.empty();
  for (const auto& name : matched) {
    if (!DeleteFileA((folder + name).c_str())) all = false;
  }
  return all;
}

std::optional<std::string> Win32FileSystem::readFile(const std::string& path, std::size_t limit) {
  Handle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string data;
  char buffer[16384];
  while (data.size() < limit) {
    const DWORD wanted =
        static_cast<DWORD>(std::min<std::size_t>(sizeof buffer, limit - data.size()));
    DWORD got = 0;
    if (!ReadFile(file.get(), buffer, wanted, &got, nullptr)) return std::nullopt;
    if (got == 0) break;
    data.append(buffer, got);
  }
  return data;
}

bool Win32FileSystem::copyFile(const std::string& source, const std::string& destination) {
  return CopyFileA(source.c_str(), destination.c_str(), FALSE) != 0;
}

bool Win32FileSystem::createDirectory(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

bool Win32FileSystem::removeDirectory(const std::string& path) {
  return RemoveDirectoryA(path.c_str()) != 0;
}

void Win32FileSystem::closeAllFiles() {
  // Every file the program writes is opened and closed within one call by an
  // owning object, so no numbered file is ever left open here.
}

std::string Win32FileSystem::decimalSeparator() {
  char separator[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof separator) <= 0) {
    return ".";
  }
  return separator;
}

}  // namespace platform
