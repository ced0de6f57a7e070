#pragma once
// Splits the answer of GetLogicalDriveStringsA ("C:\<NUL>D:\<NUL>...") into roots.
#include <string>
#include <vector>

// Each root is the text before a NUL; empty entries are skipped and text after the
// last NUL (an unterminated tail) is not a drive.
std::vector<std::string> splitDriveStrings(const std::string& buffer);
