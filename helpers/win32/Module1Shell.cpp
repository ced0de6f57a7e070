#include "helpers/Module1Shell.h"

#include <windows.h>
#include <shlobj.h>

#include <memory>

#include "platform/win32/LateBound.h"

namespace {

struct ShellMemoryDeleter {
  void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};

}  // namespace

std::optional<std::string> Module1::GetAppDataFolder() {
  static platform::LateBound<decltype(&SHGetSpecialFolderLocation)> specialFolderLocation(
      "shell32.dll", "SHGetSpecialFolderLocation");
  static platform::LateBound<decltype(&SHGetPathFromIDListA)> pathFromIdList(
      "shell32.dll", "SHGetPathFromIDListA");
  const auto locate = specialFolderLocation.get();
  const auto pathOf = pathFromIdList.get();
  LPITEMIDLIST raw = nullptr;
  if (!locate || !pathOf || locate(nullptr, CSIDL_APPDATA, &raw) != S_OK) return std::nullopt;
  const std::unique_ptr<ITEMIDLIST, ShellMemoryDeleter> list(raw);
  // The shell writes up to MAX_PATH characters with the terminator; a zeroed
  // buffer of that size takes any path whole.
  char path[MAX_PATH + 1] = {};
  pathOf(list.get(), path);
  return std::string(path);
}
