#include "app/DriveStrings.h"

std::vector<std::string> splitDriveStrings(const std::string& buffer) {
  std::vector<std::string> roots;
  size_t start = 0;
  while (start < buffer.size()) {
    const size_t nul = buffer.find('\0', start);
    if (nul == std::string::npos) break;
    if (nul > start) roots.push_back(buffer.substr(start, nul - start));
    start = nul + 1;
  }
  return roots;
}
