#include "helpers/KeptCopy.h"

namespace {
// The largest file compared; the files kept are a few kilobytes.
constexpr std::size_t kLargestCompared = 16u << 20;
}  // namespace

bool sameContent(platform::FileSystemApi& files, const std::string& a, const std::string& b) {
  const auto first = files.readFile(a, kLargestCompared + 1);
  const auto second = files.readFile(b, kLargestCompared + 1);
  return first && second && first->size() <= kLargestCompared && *first == *second;
}

std::optional<std::string> keepCopy(platform::FileSystemApi& files, const std::string& path) {
  for (int n = 1; n < 10000; ++n) {
    const std::string copy = path + ".before-repair-" + std::to_string(n);
    if (files.pathFileExists(copy)) continue;
    if (!files.copyFile(path, copy)) return std::nullopt;
    if (sameContent(files, path, copy)) return copy;
    // A copy that is not whole is no copy: it goes, and the file stays unreplaced.
    files.deleteFiles(copy);
    return std::nullopt;
  }
  return std::nullopt;
}

bool putBack(platform::FileSystemApi& files, const std::string& path,
             const std::optional<std::string>& keptCopy) {
  if (keptCopy)
    return sameContent(files, path, *keptCopy) ||
           (files.copyFile(*keptCopy, path) && sameContent(files, path, *keptCopy));
  return !files.pathFileExists(path) || files.deleteFiles(path);
}
