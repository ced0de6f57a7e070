#include "fakes/FakeFileSystem.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

using namespace platform;

namespace {

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool isDrive(const std::string& p) {
  return p.size() >= 2 && p[1] == ':' && std::isalpha(static_cast<unsigned char>(p[0]));
}

// Roots are "C:\" and "\\server\share".
bool isRoot(const std::string& full) {
  return isDrive(full) ? full.size() == 3 : std::count(full.begin(), full.end(), '\\') == 3;
}

std::string parentOf(const std::string& full) {
  const std::size_t slash = full.rfind('\\');
  return full.substr(0, isDrive(full) && slash == 2 ? 3 : slash);
}

std::string join(const std::string& folder, const std::string& name) {
  return folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

// "*" and "?" as the platform matches them, without regard to case.
bool wild(const char* p, const char* n) {
  if (*p == '*') return wild(p + 1, n) || (*n && wild(p, n + 1));
  if (!*n) return !*p;
  return (*p == '?' || *p == *n) && wild(p + 1, n + 1);
}

}  // namespace

std::optional<std::string> FakeFileSystem::resolve(const std::string& input) const {
  if (input.empty() || input.find_first_of("*?") != std::string::npos) return std::nullopt;
  std::string p = input;
  const bool unc = p.compare(0, 2, "\\\\") == 0;
  if (!unc && !isDrive(p)) p = "C:\\" + p;
  std::vector<std::string> names;
  for (std::size_t pos = 2; pos <= p.size();) {
    const std::size_t end = std::min(p.find('\\', pos), p.size());
    if (end > pos && p.compare(pos, end - pos, ".") != 0) names.push_back(p.substr(pos, end - pos));
    pos = end + 1;
  }
  if (unc && names.size() < 2) return std::nullopt;
  std::string full = unc ? "\\\\" + names[0] + "\\" + names[1] : p.substr(0, 2) + "\\";
  for (std::size_t i = unc ? 2 : 0; i < names.size(); ++i) full = join(full, names[i]);
  return full;
}

FakeFileSystem::Entry* FakeFileSystem::find(const std::string& path) const {
  const auto full = resolve(path);
  const auto it = full ? entries_.find(lower(*full)) : entries_.end();
  return it == entries_.end() ? nullptr : &it->second;
}

FakeFileSystem::Entry& FakeFileSystem::put(const std::string& full, bool folder) {
  const auto [it, added] = entries_.try_emplace(lower(full));
  if (added) {
    if (!isRoot(full)) put(parentOf(full), true);
    it->second = Entry{full, folder, 0, folder ? kAttrDirectory : kAttrArchive};
  }
  return it->second;
}

void FakeFileSystem::addFolder(const std::string& path, std::uint32_t attributes) {
  Entry& e = put(resolve(path).value(), true);
  e.folder = true;
  e.attributes = attributes | kAttrDirectory;
}

void FakeFileSystem::addFile(const std::string& path, std::uint64_t size,
                             std::uint32_t attributes) {
  const auto full = resolve(path);
  if (!full || isRoot(*full)) throw std::invalid_argument("bad path: " + path);
  Entry& e = put(*full, false);
  e = Entry{e.path, false, size, attributes & ~static_cast<std::uint32_t>(kAttrDirectory)};
}

std::vector<FakeFileSystem::Entry*> FakeFileSystem::matching(const std::string& pattern) const {
  std::vector<Entry*> found;
  const std::size_t cut = pattern.rfind('\\');
  const Entry* folder = find(cut == std::string::npos ? "C:\\" : pattern.substr(0, cut + 1));
  if (!folder || !folder->folder) return found;
  const std::string prefix = lower(join(folder->path, ""));
  const std::string name = lower(pattern.substr(cut + 1));
  for (auto it = entries_.lower_bound(prefix);
       it != entries_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
    const std::string rest = it->first.substr(prefix.size());
    if (rest.find('\\') == std::string::npos && wild(name.c_str(), rest.c_str()))
      found.push_back(&it->second);
  }
  return found;
}

std::vector<std::string> FakeFileSystem::listDirectory(const std::string& pattern,
                                                       std::uint32_t attributes) {
  std::vector<std::string> names;
  for (const Entry* e : matching(pattern))
    if (!e->folder || (attributes & kAttrDirectory))
      names.push_back(e->path.substr(e->path.rfind('\\') + 1));
  return names;
}

bool FakeFileSystem::deleteFiles(const std::string& pattern) {
  bool any = false, all = true;
  for (const Entry* e : matching(pattern)) {
    if (e->folder) continue;
    any = true;
    if (e->attributes & kAttrReadOnly)
      all = false;
    else
      entries_.erase(lower(e->path));
  }
  return any && all;
}

bool FakeFileSystem::copyFile(const std::string& source, const std::string& destination) {
  const Entry* from = find(source);
  const auto to = resolve(destination);
  if (!from || from->folder || !to || !find(parentOf(*to)) || find(*to) == from) return false;
  Entry copy = *from;
  if (copyLimit_) copy.size = std::min(copy.size, *copyLimit_);
  Entry& target = put(*to, false);
  copy.path = target.path;
  target = copy;
  return true;
}

bool FakeFileSystem::createDirectory(const std::string& path) {
  const auto full = resolve(path);
  if (!full || find(*full) || !find(parentOf(*full))) return false;
  put(*full, true);
  return true;
}
