#include "helpers/BrowseForBackupFolder.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "helpers/BackupLocation.h"
#include "helpers/win32/ShellItemList.h"
#include "platform/win32/LateBound.h"

namespace {

const char* const kCaption = "Quillsafe Folder";
const char* const kPrompt = "Select or create a new folder to backup to:";
const char* const kStartFolder = "c:\\test";

int CALLBACK onBrowseEvent(HWND dialog, UINT message, LPARAM, LPARAM) {
  if (message == BFFM_INITIALIZED) {
    SetWindowTextA(dialog, kCaption);
    SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(kStartFolder));
  }
  return 0;
}

// The dialog that offers "Make New Folder" runs on COM; undo only what we started.
class ComApartment {
 public:
  ComApartment() : result_(CoInitialize(nullptr)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  HRESULT result_;
};

}  // namespace

void BrowseForBackupFolder() {
  static platform::LateBound<decltype(&SHBrowseForFolderA)> browseForFolder("shell32.dll",
                                                                            "SHBrowseForFolderA");
  static platform::LateBound<decltype(&SHGetPathFromIDListA)> pathFromIdList(
      "shell32.dll", "SHGetPathFromIDListA");
  const auto browseFor = browseForFolder.get();
  const auto pathOf = pathFromIdList.get();
  if (!browseFor || !pathOf) return;  // as if cancelled: the location stays as it was
  const ComApartment com;
  char displayName[MAX_PATH] = {};
  BROWSEINFOA browse{};
  browse.pszDisplayName = displayName;
  browse.lpszTitle = kPrompt;
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  browse.lpfn = onBrowseEvent;
  const ShellItemList chosen(browseFor(&browse));
  if (!chosen) return;

  char path[MAX_PATH + 1] = {};
  // Only file-system folders can be confirmed, so this names one.
  if (pathOf(chosen.get(), path)) BackupLocation = path;
}
