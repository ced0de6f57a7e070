#include "fakes/FakeFileSystem.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

using platform::kAttrArchive;
using platform::kAttrDirectory;
using platform::kAttrHidden;
using platform::kAttrReadOnly;
using platform::kAttrSystem;

namespace {

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string withBackslashes(std::string s) {
  std::replace(s.begin(), s.end(), '/', '\\');
  return s;
}

bool hasWildcard(const std::string& s) { return s.find_first_of("*?") != std::string::npos; }

bool isDrive(const std::string& p) {
  return p.size() >= 2 && p[1] == ':' && std::isalpha(static_cast<unsigned char>(p[0]));
}

// Roots are "C:\" and "\\server\share".
bool isRoot(const std::string& full) {
  if (isDrive(full)) return full.size() == 3;
  return full.find('\\', full.find('\\', 2) + 1) == std::string::npos;
}

std::string rootOf(const std::string& full) {
  if (isDrive(full)) return full.substr(0, 3);
  return full.substr(0, full.find('\\', full.find('\\', 2) + 1));
}

std::string parentOf(const std::string& full) {
  const std::size_t slash = full.rfind('\\');
  if (isDrive(full) && slash == 2) return full.substr(0, 3);
  return full.substr(0, slash);
}

std::string nameOf(const std::string& full) {
  return isRoot(full) ? full : full.substr(full.rfind('\\') + 1);
}

std::string join(const std::string& folder, const std::string& name) {
  return folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

// "*" and "?" as the platform matches them, without regard to case.
bool matches(const std::string& pattern, const std::string& name) {
  const std::string p = pattern == "*.*" ? "*" : lower(pattern);
  const std::string n = lower(name);
  std::size_t pi = 0, ni = 0, star = std::string::npos, resume = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == '?' || p[pi] == n[ni])) {
      ++pi;
      ++ni;
    } else if (pi < p.size() && p[pi] == '*') {
      star = pi++;
      resume = ni;
    } else if (star != std::string::npos) {
      pi = star + 1;
      ni = ++resume;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}

}  // namespace

FakeFileSystem::FakeFileSystem() { put("C:\\", true); }

std::optional<std::string> FakeFileSystem::resolve(const std::string& input) const {
  if (input.empty() || hasWildcard(input)) return std::nullopt;
  std::string p = withBackslashes(input);
  std::string root;
  std::string rest;
  if (isDrive(p)) {
    root = p.substr(0, 2) + "\\";
    rest = p.substr(2);
    // "C:name" is relative to the current folder when that is on C:.
    if ((rest.empty() || rest[0] != '\\') && lower(rootOf(currentFolder_)) == lower(root)) {
      rest = currentFolder_.substr(2) + "\\" + rest;
    }
  } else if (p.compare(0, 2, "\\\\") == 0) {
    const std::size_t serverEnd = p.find('\\', 2);
    if (serverEnd == std::string::npos || serverEnd == 2) return std::nullopt;
    const std::size_t shareEnd = std::min(p.find('\\', serverEnd + 1), p.size());
    if (shareEnd == serverEnd + 1) return std::nullopt;
    root = p.substr(0, shareEnd);
    rest = p.substr(shareEnd);
  } else if (p[0] == '\\') {
    root = rootOf(currentFolder_);
    rest = p;
  } else {
    root = rootOf(currentFolder_);
    rest = currentFolder_.substr(root.size()) + "\\" + p;
  }

  std::vector<std::string> names;
  std::size_t pos = 0;
  while (pos <= rest.size()) {
    std::size_t end = rest.find('\\', pos);
    if (end == std::string::npos) end = rest.size();
    const std::string name = rest.substr(pos, end - pos);
    if (name == "..") {
      if (!names.empty()) names.pop_back();
    } else if (!name.empty() && name != ".") {
      names.push_back(name);
    }
    pos = end + 1;
  }
  std::string full = root;
  for (const auto& name : names) full = join(full, name);
  return full;
}

FakeFileSystem::Entry* FakeFileSystem::find(const std::string& path) {
  return const_cast<Entry*>(static_cast<const FakeFileSystem*>(this)->find(path));
}

const FakeFileSystem::Entry* FakeFileSystem::find(const std::string& path) const {
  const auto full = resolve(path);
  if (!full) return nullptr;
  const auto it = entries_.find(lower(*full));
  if (it == entries_.end()) return nullptr;
  // "file.txt\" names no file.
  const char last = path.back();
  if (!it->second.folder && (last == '\\' || last == '/')) return nullptr;
  return &it->second;
}

FakeFileSystem::Entry& FakeFileSystem::put(const std::string& full, bool folder) {
  const auto it = entries_.find(lower(full));
  if (it != entries_.end()) return it->second;
  if (!isRoot(full)) put(parentOf(full), true);
  Entry e;
  e.path = full;
  e.folder = folder;
  e.attributes = folder ? kAttrDirectory : kAttrArchive;
  return entries_.emplace(lower(full), e).first->second;
}

std::vector<const FakeFileSystem::Entry*> FakeFileSystem::children(
    const std::string& folder) const {
  std::vector<const Entry*> result;
  const std::string prefix = lower(folder.back() == '\\' ? folder : folder + "\\");
  for (auto it = entries_.lower_bound(prefix);
       it != entries_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
    if (it->first.find('\\', prefix.size()) == std::string::npos) result.push_back(&it->second);
  }
  return result;
}

void FakeFileSystem::addFolder(const std::string& path, std::uint32_t attributes) {
  const auto full = resolve(path);
  if (!full) throw std::invalid_argument("bad folder path: " + path);
  Entry& e = put(*full, true);
  e.folder = true;
  e.attributes = attributes | kAttrDirectory;
}

void FakeFileSystem::addFile(const std::string& path, std::uint64_t size,
                             std::uint32_t attributes) {
  const auto full = resolve(path);
  if (!full || isRoot(*full)) throw std::invalid_argument("bad file path: " + path);
  Entry& e = put(*full, false);
  e.folder = false;
  e.size = size;
  e.attributes = attributes & ~static_cast<std::uint32_t>(kAttrDirectory);
}

void FakeFileSystem::setCurrentFolder(const std::string& path) {
  const auto full = resolve(path);
  if (!full) throw std::invalid_argument("bad folder path: " + path);
  put(*full, true);
  currentFolder_ = *full;
}

void FakeFileSystem::setDateText(const std::string& path, const std::string& text) {
  if (Entry* e = find(path)) e->dateText = text;
}

void FakeFileSystem::lock(const std::string& path) {
  if (Entry* e = find(path)) e->locked = true;
}

const FakeFileSystem::Entry* FakeFileSystem::entry(const std::string& path) const {
  return find(path);
}

std::vector<std::string> FakeFileSystem::tree(const std::string& folder) const {
  std::vector<std::string> result;
  const auto full = resolve(folder);
  if (!full) return result;
  const std::string prefix = lower(join(*full, ""));
  for (auto it = entries_.lower_bound(prefix);
       it != entries_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
    result.push_back(it->second.path);
  }
  return result;
}

bool FakeFileSystem::pathFileExists(const std::string& path) { return find(path) != nullptr; }

std::optional<std::uint64_t> FakeFileSystem::lastWriteTime(const std::string& path) {
  const Entry* e = find(path);
  if (!e) return std::nullopt;
  return e->writeTime;
}

bool FakeFileSystem::setLastWriteTime(const std::string& path, std::uint64_t fileTime) {
  Entry* e = find(path);
  if (!e) return false;
  e->writeTime = fileTime;
  return true;
}

bool FakeFileSystem::isFile(const std::string& path) {
  const Entry* e = find(path);
  return e && !e->folder;
}

std::vector<std::string> FakeFileSystem::listDirectory(const std::string& pattern,
                                                       std::uint32_t attributes) {
  std::vector<std::string> names;
  if (pattern.empty()) return names;
  std::string p = withBackslashes(pattern);
  if (p.back() == '\\' || p.back() == ':') p += "*";
  const std::size_t split = p.find_last_of("\\:");
  const std::string folderPart = split == std::string::npos ? "" : p.substr(0, split + 1);
  const std::string namePattern = p.substr(split == std::string::npos ? 0 : split + 1);

  const Entry* folder = folderPart.empty() ? find(currentFolder_) : find(folderPart);
  if (!folder || !folder->folder) return names;

  // Hidden, system and folder entries only when asked for.
  const std::uint32_t guarded = kAttrHidden | kAttrSystem | kAttrDirectory;
  auto listed = [&](std::uint32_t entryAttributes) {
    return (entryAttributes & guarded & ~attributes) == 0;
  };
  if (!isRoot(folder->path)) {
    for (const char* dots : {".", ".."}) {
      if (listed(kAttrDirectory) && matches(namePattern, dots)) names.push_back(dots);
    }
  }
  for (const Entry* child : children(folder->path)) {
    const std::string name = nameOf(child->path);
    if (listed(child->attributes) && matches(namePattern, name)) names.push_back(name);
  }
  return names;
}

std::optional<std::uint64_t> FakeFileSystem::fileLength(const std::string& path) {
  const Entry* e = find(path);
  if (!e) return std::nullopt;
  return e->folder ? 0 : e->size;
}

std::optional<std::string> FakeFileSystem::fileDateTime(const std::string& path) {
  const Entry* e = find(path);
  if (!e) return std::nullopt;
  return e->dateText;
}

std::optional<std::uint32_t> FakeFileSystem::fileAttributes(const std::string& path) {
  const Entry* e = find(path);
  if (!e) return std::nullopt;
  return e->attributes;
}

bool FakeFileSystem::setFileAttributes(const std::string& path, std::uint32_t attributes) {
  Entry* e = find(path);
  if (!e) return false;
  e->attributes = (attributes & (kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive)) |
                  (e->folder ? std::uint32_t{kAttrDirectory} : 0u);
  return true;
}

bool FakeFileSystem::deleteFiles(const std::string& pattern) {
  auto deletable = [](const Entry& e) {
    return !e.folder && !e.locked && (e.attributes & kAttrReadOnly) == 0;
  };
  const std::string p = withBackslashes(pattern);
  const std::size_t split = p.find_last_of("\\:");
  const std::string namePattern = p.substr(split == std::string::npos ? 0 : split + 1);
  if (!hasWildcard(namePattern)) {
    const Entry* e = find(pattern);
    if (!e || !deletable(*e)) return false;
    entries_.erase(lower(e->path));
    return true;
  }
  const std::string folderPart = split == std::string::npos ? "" : p.substr(0, split + 1);
  const Entry* folder = folderPart.empty() ? find(currentFolder_) : find(folderPart);
  if (!folder || !folder->folder) return false;
  std::vector<std::string> doomed;
  bool all = true;
  for (const Entry* child : children(folder->path)) {
    if (child->folder || !matches(namePattern, nameOf(child->path))) continue;
    if (deletable(*child)) {
      doomed.push_back(lower(child->path));
    } else {
      all = false;
    }
  }
  for (const auto& key : doomed) entries_.erase(key);
  return all && !doomed.empty();
}

bool FakeFileSystem::copyFile(const std::string& source, const std::string& destination) {
  const Entry* from = find(source);
  const auto to = resolve(destination);
  if (!from || from->folder || !to || isRoot(*to)) return false;
  const Entry* parent = find(parentOf(*to));
  if (!parent || !parent->folder) return false;
  if (const Entry* existing = find(*to)) {
    if (existing == from || existing->folder || existing->locked ||
        (existing->attributes & kAttrReadOnly) != 0) {
      return false;
    }
  }
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
  if (!full || find(*full) || isRoot(*full)) return false;
  const Entry* parent = find(parentOf(*full));
  if (!parent || !parent->folder) return false;
  put(*full, true);
  return true;
}

bool FakeFileSystem::removeDirectory(const std::string& path) {
  const Entry* e = find(path);
  if (!e || !e->folder || e->locked || isRoot(e->path) ||
      (e->attributes & kAttrReadOnly) != 0 || !children(e->path).empty()) {
    return false;
  }
  entries_.erase(lower(e->path));
  return true;
}
