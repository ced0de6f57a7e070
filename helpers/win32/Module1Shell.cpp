#include "helpers/Module1Shell.h"

#include <windows.h>
#include <shlobj.h>

#include <memory>

namespace {

struct ShellMemoryDeleter {
  void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};

}  // namespace

std::optional<std::string> Module1::GetAppDataFolder() {
  LPITEMIDLIST raw = nullptr;
  if (SHGetSpecialFolderLocation(nullptr, CSIDL_APPDATA, &raw) != S_OK) return std::nullopt;
  const std::unique_ptr<ITEMIDLIST, ShellMemoryDeleter> list(raw);
  // The shell writes up to MAX_PATH characters with the terminator; a zeroed
  // buffer of that size takes any path whole.
  char path[MAX_PATH + 1] = {};
  SHGetPathFromIDListA(list.get(), path);
  return std::string(path);
}
