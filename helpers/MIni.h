#pragma once
// Reads the backup description file, a profile (INI) file.
#include <string>

namespace MIni {

// The value of `key` in `section` of the file, at most 254 characters; the empty
// text when the file, the section or the key is missing. Names are matched
// without regard to case. A relative file name is looked for in the Windows folder.
std::string ReadIniValue(const std::string& fileName, const std::string& section,
                         const std::string& key);

}  // namespace MIni
