#pragma once
// The shell folder that the Word engine builds its template paths from.
#include <optional>
#include <string>

namespace Module1 {

// The current user's application-data folder, without a trailing backslash;
// nothing when the shell cannot name it.
std::optional<std::string> GetAppDataFolder();

}  // namespace Module1
