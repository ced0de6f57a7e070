#include "helpers/Module1Shell.h"

#include <windows.h>
#include <shlobj.h>

#include "helpers/win32/ShellItemList.h"
#include "platform/win32/LateBound.h"

std::optional<std::string> Module1::GetAppDataFolder() {
  static platform::LateBound<decltype(&SHGetSpecialFolderLocation)> specialFolderLocation(
      "shell32.dll", "SHGetSpecialFolderLocation");
  static platform::LateBound<decltype(&SHGetPathFromIDListA)> pathFromIdList(
      "shell32.dll", "SHGetPathFromIDListA");
  const auto locate = specialFolderLocation.get();
  const auto pathOf = pathFromIdList.get();
  LPITEMIDLIST raw = nullptr;
  if (!locate || !pathOf || locate(nullptr, CSIDL_APPDATA, &raw) != S_OK) return std::nullopt;
  const ShellItemList list(raw);
  // The shell writes up to MAX_PATH characters with the terminator; a zeroed
  // buffer of that size takes any path whole.
  char path[MAX_PATH + 1] = {};
  pathOf(list.get(), path);
  return std::string(path);
}
