#include "helpers/MFile.h"

namespace MFile {

OpenFileRecord FileDialogRecord;

void SetDialogFilter(const std::string& filter) {
  std::string& out = FileDialogRecord.filter;
  out.clear();
  for (const char c : filter) out += (c == '|') ? '\0' : c;
  out += '\0';
}

void PrepareOpenFileDialog(const std::string& title, const std::string& filter,
                           std::string& defaultExtension) {
  defaultExtension = ".BAK";
  FileDialogRecord.title = title;
  FileDialogRecord.defaultExtension = defaultExtension;
  SetDialogFilter(filter);
  FileDialogRecord.file = std::string(kFileBufferLength - 1, ' ') + '\0';
  FileDialogRecord.maxFile = kFileBufferLength;
  FileDialogRecord.flags = kHideReadOnly;
}

}  // namespace MFile
