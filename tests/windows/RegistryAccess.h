#pragma once
// Plain registry calls for the tests' own set-up and checks, so that these never
// depend on the classes under test.
#include <shlwapi.h>
#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <utility>

namespace regtest {

using Stored = std::pair<DWORD, std::string>;  // a value's type and bytes

inline bool makeKey(HKEY root, const std::string& key, DWORD options = 0) {
  HKEY h = nullptr;
  return RegCreateKeyExA(root, key.c_str(), 0, nullptr, options, KEY_ALL_ACCESS, nullptr, &h,
                         nullptr) == ERROR_SUCCESS &&
         RegCloseKey(h) == ERROR_SUCCESS;
}

inline bool keyExists(HKEY root, const std::string& key) {
  HKEY h = nullptr;
  return RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) == ERROR_SUCCESS &&
         RegCloseKey(h) == ERROR_SUCCESS;
}

// Writes a value of any type; the key is made as needed.
inline bool put(HKEY root, const std::string& key, const std::string& name, DWORD type,
                const std::string& data) {
  return SHSetValueA(root, key.c_str(), name.c_str(), type, data.data(),
                     static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

// Every value of a key, by name; a value too long for the buffer is left out.
inline std::map<std::string, Stored> values(HKEY root, const std::string& key) {
  std::map<std::string, Stored> all;
  HKEY h = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return all;
  for (DWORD i = 0;; ++i) {
    char name[16384], data[4096];
    DWORD nameLength = sizeof name, dataLength = sizeof data, type = 0;
    const LONG result = RegEnumValueA(h, i, name, &nameLength, nullptr, &type,
                                      reinterpret_cast<BYTE*>(data), &dataLength);
    if (result == ERROR_SUCCESS) all[name] = Stored(type, std::string(data, dataLength));
    if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA) break;
  }
  RegCloseKey(h);
  return all;
}

inline std::optional<Stored> value(HKEY root, const std::string& key, const std::string& name) {
  const auto all = values(root, key);
  return all.count(name) ? std::optional<Stored>(all.at(name)) : std::nullopt;
}

}  // namespace regtest
