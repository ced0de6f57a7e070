#pragma once
// Plain registry calls for the tests' own set-up and checks, so that these never
// depend on the classes under test.
#include <windows.h>
#include <shlwapi.h>

#include <map>
#include <optional>
#include <string>
#include <utility>

namespace regtest {

using Stored = std::pair<DWORD, std::string>;  // a value's type and bytes

inline bool makeKey(HKEY root, const std::string& key, DWORD options = 0) {
  HKEY h = nullptr;
  if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, options, KEY_ALL_ACCESS, nullptr, &h,
                      nullptr) != ERROR_SUCCESS)
    return false;
  RegCloseKey(h);
  return true;
}

inline bool keyExists(HKEY root, const std::string& key) {
  HKEY h = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  RegCloseKey(h);
  return true;
}

// Writes a value of any type; the key is made as needed.
inline bool put(HKEY root, const std::string& key, const std::string& name, DWORD type,
                const std::string& data) {
  return SHSetValueA(root, key.c_str(), name.c_str(), type, data.data(),
                     static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}
inline bool putText(HKEY root, const std::string& key, const std::string& name,
                    const std::string& text) {
  return put(root, key, name, REG_SZ, text + '\0');
}

inline std::optional<Stored> value(HKEY root, const std::string& key, const std::string& name) {
  HKEY h = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return std::nullopt;
  char data[4096];
  DWORD type = REG_NONE, size = sizeof data;
  const LONG result =
      RegQueryValueExA(h, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(h);
  if (result != ERROR_SUCCESS) return std::nullopt;
  return Stored(type, std::string(data, size));
}

// Every value of a key, by name.
inline std::map<std::string, Stored> values(HKEY root, const std::string& key) {
  std::map<std::string, Stored> all;
  HKEY h = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return all;
  for (DWORD i = 0;; ++i) {
    char name[16384], data[4096];
    DWORD nameLength = sizeof name, dataLength = sizeof data, type = 0;
    if (RegEnumValueA(h, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data),
                      &dataLength) != ERROR_SUCCESS)
      break;
    all[name] = Stored(type, std::string(data, dataLength));
  }
  RegCloseKey(h);
  return all;
}

}  // namespace regtest
