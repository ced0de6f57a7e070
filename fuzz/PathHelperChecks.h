#pragma once
// The checks the fuzz target runs on every input, shared with the native test that
// replays the inputs the fuzzer once found. Each returns the first broken rule, or
// an empty text when all hold. RuntimeError is an allowed outcome of the helpers
// that raise it by design; any other exception passes to the caller as a finding.
#include <string>
#include <vector>

#include "app/DriveStrings.h"
#include "helpers/RuntimeError.h"
#include "helpers/clsFileSystem.h"

namespace fuzzchecks {

inline bool startsWith(const std::string& s, const std::string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}
inline bool endsWith(const std::string& s, const std::string& suffix) {
  return s.size() >= suffix.size() &&
         s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Runs `call`; a RuntimeError of the helper's own kind is allowed and ends the check.
template <typename F>
std::string allowingRuntimeError(const char* name, F&& call) {
  try {
    return call();
  } catch (const RuntimeError& e) {
    if (e.source() != "clsFileSystem" || e.number() != errors::kInvalidProcedureCall)
      return std::string(name) + ": unexpected RuntimeError " + e.what();
    return std::string();
  }
}

inline std::string checkPathHelpers(clsFileSystem& fs, const std::string& in) {
  const std::string ext = fs.GetFileExtension(in);
  if (ext != "Unknown" && (ext.size() > 4 || !endsWith(in, "." + ext)))
    return "GetFileExtension: not the text after a dot near the end";

  const std::string withPath = fs.GetFileBaseName(in, true);
  if (!startsWith(in, withPath)) return "GetFileBaseName(true): not a prefix";
  const std::string base = fs.GetFileBaseName(in, false);
  if (base.find_first_of(":\\") != std::string::npos || in.find(base) == std::string::npos)
    return "GetFileBaseName(false): not a name inside the input";

  std::string broken = allowingRuntimeError("GetFileName", [&] {
    const std::string name = fs.GetFileName(in);
    if (name.find('\\') != std::string::npos || !endsWith(in, "\\" + name))
      return std::string("GetFileName: not the text after the last backslash");
    return std::string();
  });
  if (!broken.empty()) return broken;

  const std::string path = fs.GetPath(in);
  if (path.empty() || path.back() != '\\' || (path != "\\" && !startsWith(in, path)))
    return "GetPath: not a prefix ending in a backslash";

  const std::string shorter = fs.sRemoveLastChar(in);
  if (shorter.size() != (in.empty() ? 0 : in.size() - 1) || !startsWith(in, shorter))
    return "sRemoveLastChar: not the input less its last character";

  broken = allowingRuntimeError("LastChar", [&] {
    const std::string last = fs.LastChar(in);
    if (last.size() != 1 || !endsWith(in, last)) return std::string("LastChar: wrong character");
    return std::string();
  });
  return broken;
}

// Roots are never empty and hold no NUL; written back each with its NUL they give
// the input up to its last NUL with the empty entries (runs of NULs) left out; so a
// buffer without empty entries, as Windows writes it, starts with them word for word.
inline std::string checkDriveStrings(const std::string& in) {
  const std::vector<std::string> roots = splitDriveStrings(in);
  std::string joined;
  for (const std::string& root : roots) {
    if (root.empty()) return "splitDriveStrings: an empty root";
    if (root.find('\0') != std::string::npos) return "splitDriveStrings: a NUL inside a root";
    joined += root;
    joined += '\0';
  }
  std::string expected;
  const std::size_t lastNul = in.rfind('\0');
  if (lastNul != std::string::npos) {
    for (std::size_t i = 0; i <= lastNul; ++i)
      if (in[i] != '\0' || (!expected.empty() && expected.back() != '\0')) expected += in[i];
  }
  if (joined != expected) return "splitDriveStrings: the roots are not the input's entries";
  return std::string();
}

}  // namespace fuzzchecks
