#include "helpers/MFile.h"

#include <windows.h>
#include <commdlg.h>

#include <vector>

#include "platform/win32/LateBound.h"

namespace MFile {

std::string ShowOpenFileDialog(const std::string& title, const std::string& filter,
                               std::string& defaultExtension) {
  PrepareOpenFileDialog(title, filter, defaultExtension);
  OpenFileRecord& record = FileDialogRecord;

  // The dialog writes into its own copy of the buffer, one NUL longer than it may
  // fill, which goes back into the record afterwards.
  std::vector<char> file(record.file.begin(), record.file.end());
  file.push_back('\0');

  OPENFILENAMEA dialog{};
  dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  dialog.hInstance = GetModuleHandleA(nullptr);
  dialog.lpstrFilter = record.filter.c_str();  // c_str adds the list's final NUL
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = record.maxFile;
  dialog.lpstrTitle = record.title.c_str();
  dialog.Flags = record.flags;
  dialog.lpstrDefExt = record.defaultExtension.c_str();
  // Cancel and dialog errors both leave the buffer as it was, which callers see.
  static platform::LateBound<decltype(&GetOpenFileNameA)> getOpenFileNameA("comdlg32.dll",
                                                                           "GetOpenFileNameA");
  if (const auto open = getOpenFileNameA.get()) open(&dialog);

  record.file.assign(file.data(), record.file.size());
  return record.file;
}

}  // namespace MFile
