#pragma once
// The open-file dialog with which the user picks a backup description file.
#include <cstddef>
#include <cstdint>
#include <string>

namespace MFile {

// The fields of the dialog's record that this module sets. Everything else
// (owner, custom filter, filter index, file title, initial folder, hook) stays
// zero: no owner, the first filter chosen, the platform's default folder.
struct OpenFileRecord {
  std::string title;
  // Description and pattern pairs, each part ended by a NUL; the dialog gets it
  // with one more NUL, which ends the list.
  std::string filter;
  std::string defaultExtension;
  // The file buffer: 259 blanks and a NUL before the dialog, the chosen path
  // ended by a NUL after it.
  std::string file;
  std::uint32_t maxFile = 0;
  std::uint32_t flags = 0;
};

// One record shared by every call and never cleared between calls.
extern OpenFileRecord FileDialogRecord;

constexpr std::uint32_t kHideReadOnly = 4;  // OFN_HIDEREADONLY
constexpr std::size_t kFileBufferLength = 260;

// "Backup files BAK|*.BAK" becomes "Backup files BAK", NUL, "*.BAK", NUL.
void SetDialogFilter(const std::string& filter);

// Fills the record for the dialog. The default extension is always ".BAK", and
// the caller's variable holds it afterwards.
void PrepareOpenFileDialog(const std::string& title, const std::string& filter,
                           std::string& defaultExtension);

// Shows the dialog and returns the whole file buffer, whether or not the user
// confirmed: the chosen path is its text up to the first NUL, and a cancelled
// dialog leaves the 259 blanks.
std::string ShowOpenFileDialog(const std::string& title, const std::string& filter,
                               std::string& defaultExtension);

}  // namespace MFile
