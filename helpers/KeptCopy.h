#pragma once
// Copies of files the program is about to replace, kept beside them until the user
// deletes them, and the way back to a kept copy.
#include <optional>
#include <string>

#include "platform/FileSystemApi.h"

// Copies `path` to "<path>.before-repair-<n>" in the same folder, n the first
// number not taken, so no earlier copy is ever replaced; the copy is compared byte
// for byte with the file. Its path, or nothing when no whole copy could be made.
std::optional<std::string> keepCopy(platform::FileSystemApi& files, const std::string& path);

// True when both files can be read and hold the same bytes.
bool sameContent(platform::FileSystemApi& files, const std::string& a, const std::string& b);

// Puts `path` back as it was: its kept copy again, or no file where there was none.
// True when that is so afterwards.
bool putBack(platform::FileSystemApi& files, const std::string& path,
             const std::optional<std::string>& keptCopy);
