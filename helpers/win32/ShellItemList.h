#pragma once
// An item list the shell allocated (SHBrowseForFolderA, SHGetSpecialFolderLocation):
// the task allocator frees it.
#include <shlobj.h>

#include <memory>

struct ShellMemoryDeleter {
  void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};
using ShellItemList = std::unique_ptr<ITEMIDLIST, ShellMemoryDeleter>;
