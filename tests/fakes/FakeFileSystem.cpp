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

std::string nameOf(const std::string& full) {
  return full.substr(full.rfind('\\') + 1);
}

std::string join(const std::string& folder, const std::string& name) {
  return folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

bool wild(const char* p, const char* n) {
  if (*p == '*') return wild(p + 1, n) || (*n && wild(p, n + 1));
  if (!*n) return !*p;
  return (*p == '?' || *p == *n) && wild(p + 1, n + 1);
}

// "*" and "?" as the platform matches them, without regard to case.
bool matches(const std::string& pattern, const std::string& name) {
  return wild(pattern == "*.*" ? "*" : lower(pattern).c_str(), lower(name).c_str());
}

}  // namespace

std::optional<std::string> FakeFileSystem::resolve(const std::string& input) const {
  if (input.empty() || input.find_first_of("*?") != std::string::npos) return std::nullopt;
  std::string p = input;
  const bool unc = p.compare(0, 2, "\\\\") == 0;
  if (!unc && !isDrive(p)) p = currentFolder_ + "\\" + p;
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

// A trailing "\" finds folders only.
FakeFileSystem::Entry* FakeFileSystem::find(const std::string& path) const {
  const auto full = resolve(path);
  const auto it = full ? entries_.find(lower(*full)) : entries_.end();
  if (it == entries_.end()) return nullptr;
  if (!it->second.folder && path.back() == '\\') return nullptr;
  return &it->second;
}

FakeFileSystem::Entry& FakeFileSystem::put(const std::string& full, bool folder) {
  const auto [it, added] = entries_.try_emplace(lower(full));
  if (added) {
    if (!isRoot(full)) put(parentOf(full), true);
    it->second = Entry{full, folder, 0, folder ? kAttrDirectory : kAttrArchive};
  }
  return it->second;
}

std::vector<FakeFileSystem::Entry*> FakeFileSystem::below(const std::string& folder,
                                                          bool deep) const {
  std::vector<Entry*> result;
  const std::string prefix = lower(join(folder, ""));
  for (auto it = entries_.lower_bound(prefix);
       it != entries_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
    if (deep || it->first.find('\\', prefix.size()) == std::string::npos)
      result.push_back(&it->second);
  }
  return result;
}

std::pair<const FakeFileSystem::Entry*, std::string> FakeFileSystem::split(
    const std::string& pattern) const {
  if (pattern.empty()) return {nullptr, ""};
  const std::string p = pattern.back() == '\\' ? pattern + "*" : pattern;
  const std::size_t cut = p.rfind('\\');
  const Entry* folder = find(cut == std::string::npos ? currentFolder_ : p.substr(0, cut + 1));
  return {folder && folder->folder ? folder : nullptr, p.substr(cut + 1)};
}

FakeFileSystem::Entry& FakeFileSystem::add(const std::string& path, bool folder) {
  const auto full = resolve(path);
  if (!full || (!folder && isRoot(*full))) throw std::invalid_argument("bad path: " + path);
  Entry& e = put(*full, folder);
  e.folder = folder;
  return e;
}

void FakeFileSystem::addFolder(const std::string& path, std::uint32_t attributes) {
  add(path, true).attributes = attributes | kAttrDirectory;
}

void FakeFileSystem::addFile(const std::string& path, std::uint64_t size,
                             std::uint32_t attributes) {
  Entry& e = add(path, false);
  e.size = size;
  e.attributes = attributes & ~static_cast<std::uint32_t>(kAttrDirectory);
}

void FakeFileSystem::setCurrentFolder(const std::string& path) {
  addFolder(path);
  currentFolder_ = *resolve(path);
}

std::vector<std::string> FakeFileSystem::tree(const std::string& folder) const {
  std::vector<std::string> paths;
  for (const Entry* e : below(resolve(folder).value_or("?"), true)) paths.push_back(e->path);
  return paths;
}

std::vector<std::string> FakeFileSystem::listDirectory(const std::string& pattern,
                                                       std::uint32_t attributes) {
  const auto [folder, namePattern] = split(pattern);
  std::vector<std::string> names;
  if (!folder) return names;
  // Hidden, system and folder entries only when asked for.
  const auto listed = [attributes](std::uint32_t a) {
    return (a & (kAttrHidden | kAttrSystem | kAttrDirectory) & ~attributes) == 0;
  };
  if (!isRoot(folder->path) && listed(kAttrDirectory)) {
    for (const char* dots : {".", ".."})
      if (matches(namePattern, dots)) names.push_back(dots);
  }
  for (const Entry* child : below(folder->path)) {
    const std::string name = nameOf(child->path);
    if (listed(child->attributes) && matches(namePattern, name)) names.push_back(name);
  }
  return names;
}

bool FakeFileSystem::setFileAttributes(const std::string& path, std::uint32_t attributes) {
  Entry* e = find(path);
  if (e) {
    e->attributes = (attributes & (kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive)) |
                    (e->folder ? std::uint32_t{kAttrDirectory} : 0u);
  }
  return e != nullptr;
}

bool FakeFileSystem::deleteFiles(const std::string& pattern) {
  const auto [folder, namePattern] = split(pattern);
  if (!folder) return false;
  std::vector<std::string> doomed;
  bool all = true;
  for (const Entry* child : below(folder->path)) {
    if (child->folder || !matches(namePattern, nameOf(child->path))) continue;
    if (child->locked || (child->attributes & kAttrReadOnly) != 0) {
      all = false;
    } else {
      doomed.push_back(lower(child->path));
    }
  }
  for (const auto& key : doomed) entries_.erase(key);
  return all && !doomed.empty();
}

bool FakeFileSystem::copyFile(const std::string& source, const std::string& destination) {
  const Entry* from = find(source);
  const auto to = resolve(destination);
  if (!from || from->folder || !to || isRoot(*to) || !find(join(parentOf(*to), ""))) return false;
  const Entry* existing = find(*to);
  if (existing && (existing == from || existing->folder || existing->locked ||
                   (existing->attributes & kAttrReadOnly) != 0))
    return false;
  Entry copy = *from;
  copy.locked = false;
  if (copyLimit_) copy.size = std::min(copy.size, *copyLimit_);
  Entry& target = put(*to, false);
  copy.path = target.path;
  target = copy;
  return true;
}

bool FakeFileSystem::createDirectory(const std::string& path) {
  const auto full = resolve(path);
  if (!full || find(*full) || isRoot(*full) || !find(join(parentOf(*full), ""))) return false;
  put(*full, true);
  return true;
}

bool FakeFileSystem::removeDirectory(const std::string& path) {
  const Entry* e = find(path);
  if (!e || !e->folder || e->locked || isRoot(e->path) || (e->attributes & kAttrReadOnly) != 0 ||
      !below(e->path).empty())
    return false;
  entries_.erase(lower(e->path));
  return true;
}
