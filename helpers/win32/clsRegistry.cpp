#include "helpers/clsRegistry.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>
#include <utility>

#include "helpers/RuntimeError.h"
#include "helpers/WholeNumber.h"
#include "platform/win32/Handle.h"

namespace {

const char* const kSource = "clsRegistry";
constexpr long kTypeMismatch = 13;

// Values and names are read into buffers of this many bytes or characters; what
// does not fit counts as not read.
constexpr DWORD kBufferSize = 255;

// Reading and testing need no more than read access, so a key the user may only
// read still counts as present.
constexpr REGSAM kReadAccess = KEY_READ;
constexpr REGSAM kWriteAccess = KEY_QUERY_VALUE | KEY_SET_VALUE;

[[noreturn]] void raise(long number, const char* description) {
  throw RuntimeError(number, kSource, description);
}

// Turns a run-time error of an operation into that operation's numbered error.
template <class Body>
auto raisingAs(long number, const char* description, Body&& body) -> decltype(body()) {
  try {
    return body();
  } catch (...) {
    raise(number, description);
  }
}

using KeyHandle = platform::RegistryKey;

// The root a call addresses: the predefined key itself (never closed), or its
// counterpart on another computer (closed with this object). A failed connection
// leaves no root, which the caller treats as a failed open.
class Root {
 public:
  Root(std::uint32_t predefinedKey, const std::string& computerName) {
    // The handle values are 32-bit and sign-extend to pointer width, as the
    // platform's own HKEY_CURRENT_USER does on 64-bit Windows.
    const HKEY predefined = reinterpret_cast<HKEY>(
        static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<std::int32_t>(predefinedKey))));
    if (computerName.empty()) {
      handle_ = predefined;
      return;
    }
    HKEY remote = nullptr;
    if (RegConnectRegistryA(computerName.c_str(), predefined, &remote) == ERROR_SUCCESS) {
      remote_ = KeyHandle(remote);
      handle_ = remote;
    }
  }
  HKEY get() const { return handle_; }

 private:
  KeyHandle remote_;
  HKEY handle_ = nullptr;
};

// One leading backslash is dropped; the registry refuses paths that start with one.
void dropLeadingBackslash(std::string& keyName) {
  if (!keyName.empty() && keyName.front() == '\\') keyName.erase(0, 1);
}

KeyHandle openKey(const Root& root, const std::string& keyName, REGSAM access) {
  if (!root.get()) return {};
  HKEY key = nullptr;
  if (RegOpenKeyExA(root.get(), keyName.c_str(), 0, access, &key) != ERROR_SUCCESS) return {};
  return KeyHandle(key);
}

// ---- Conversions of SetValue's Value ----------------------------------------

std::string toText(const RegistryData& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  return std::to_string(std::get<std::int64_t>(value));
}

// Value as a whole number; text that is none is a type mismatch.
std::int64_t toWholeNumber(const RegistryData& value) {
  if (const auto* number = std::get_if<std::int64_t>(&value)) return *number;
  const std::optional<std::int64_t> number = wholeNumber(std::get<std::string>(value));
  if (!number) raise(kTypeMismatch, "Type mismatch");
  return *number;
}

std::int64_t toNumberIn(const RegistryData& value, std::int64_t low, std::int64_t high) {
  const std::int64_t n = toWholeNumber(value);
  if (n < low || n > high) raise(errors::kOverflow, "Overflow");
  return n;
}

// The first four bytes of data as a little-endian 32-bit number; shorter data
// fills the low bytes only.
std::int32_t firstFourBytes(const BYTE* data, DWORD size) {
  std::uint32_t n = 0;
  std::memcpy(&n, data, std::min<DWORD>(size, 4));
  return static_cast<std::int32_t>(n);
}

}  // namespace

bool clsRegistry::SetValue(std::uint32_t PredefinedKey, std::string KeyName,
                           const std::string& ValueName, const RegistryData& Value,
                           const std::string& ComputerName) const {
  return raisingAs(kErrSetValue, "SetValue", [&] {
    dropLeadingBackslash(KeyName);
    const Root root(PredefinedKey, ComputerName);
    const KeyHandle key = openKey(root, KeyName, kWriteAccess);
    if (!key) raise(kErrSetValue, "SetValue");

    BYTE buffer[kBufferSize];
    DWORD type = REG_NONE;
    DWORD size = kBufferSize;
    const bool known = RegQueryValueExA(key.get(), ValueName.c_str(), nullptr, &type, buffer,
                                        &size) == ERROR_SUCCESS;

    if (!known || type == REG_SZ) {
      const std::string text = toText(Value);
      RegSetValueExA(key.get(), ValueName.c_str(), 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>(text.size() + 1));
    } else if (type == REG_DWORD) {
      const auto number =
          static_cast<std::int32_t>(toNumberIn(Value, std::numeric_limits<std::int32_t>::min(),
                                               std::numeric_limits<std::int32_t>::max()));
      // The value keeps its stored size, but never reaches past the number.
      RegSetValueExA(key.get(), ValueName.c_str(), 0, REG_DWORD,
                     reinterpret_cast<const BYTE*>(&number), std::min<DWORD>(size, 4));
    } else if (type == REG_BINARY) {
      // Binary values take the decimal text of a byte, terminator included.
      const std::string text = std::to_string(toNumberIn(Value, 0, 255));
      RegSetValueExA(key.get(), ValueName.c_str(), 0, REG_BINARY,
                     reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>(text.size() + 1));
    }
    // Expandable and multi-strings, and every other type, stay as they are.
    return true;
  });
}

bool clsRegistry::SetDWordValue(std::uint32_t PredefinedKey, std::string KeyName,
                                const std::string& ValueName, std::int32_t Value,
                                const std::string& ComputerName) const {
  dropLeadingBackslash(KeyName);
  const Root root(PredefinedKey, ComputerName);
  const KeyHandle key = openKey(root, KeyName, kWriteAccess);
  if (!key) raise(kErrSetValue, "SetValue");
  RegSetValueExA(key.get(), ValueName.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&Value),
                 sizeof Value);
  return true;
}

RegistryValue clsRegistry::GetValue(std::uint32_t PredefinedKey, std::string KeyName,
                                    const std::string& ValueName,
                                    const std::string& ComputerName) const {
  dropLeadingBackslash(KeyName);
  const Root root(PredefinedKey, ComputerName);
  const KeyHandle key = openKey(root, KeyName, kReadAccess);
  if (!key) return {};

  BYTE buffer[kBufferSize];
  DWORD type = REG_NONE;
  DWORD size = kBufferSize;
  if (RegQueryValueExA(key.get(), ValueName.c_str(), nullptr, &type, buffer, &size) !=
      ERROR_SUCCESS)
    return {};

  // The second read takes the size the first one reported, so the result is what
  // the value holds at that moment.
  DWORD again = size;
  const bool reread = RegQueryValueExA(key.get(), ValueName.c_str(), nullptr, nullptr, buffer,
                                       &again) == ERROR_SUCCESS;
  switch (type) {
    case REG_DWORD:
      if (!reread) return std::int16_t{0};
      return firstFourBytes(buffer, again);
    case REG_BINARY: {
      if (!reread) return std::int16_t{0};
      const std::int32_t n = firstFourBytes(buffer, again);
      if (n < 0 || n > 255) throw RuntimeError(errors::kOverflow, kSource, "Overflow");
      return static_cast<std::uint8_t>(n);
    }
    default:
      // Text without its terminator; data of no bytes at all is the empty text.
      if (!reread || again == 0) return std::string();
      return std::string(reinterpret_cast<const char*>(buffer), again - 1);
  }
}

namespace {
// The name one enumeration call writes into the 255-character buffer; empty when
// the key is not open or the call fails (an index past the end among them).
template <typename Enumerate>
std::string enumeratedName(const KeyHandle& key, Enumerate enumerate) {
  if (!key) return std::string();
  char name[kBufferSize];
  DWORD length = kBufferSize;
  if (enumerate(key.get(), name, &length) != ERROR_SUCCESS) return std::string();
  return std::string(name, length);
}
}  // namespace

std::string clsRegistry::ListSubKey(std::uint32_t PredefinedKey, std::string KeyName,
                                    std::int32_t Index, const std::string& ComputerName) const {
  return raisingAs(kErrListSubKey, "ListSubKey", [&] {
    dropLeadingBackslash(KeyName);
    const Root root(PredefinedKey, ComputerName);
    return enumeratedName(openKey(root, KeyName, kReadAccess),
                          [&](HKEY key, char* name, DWORD* length) {
                            return RegEnumKeyExA(key, static_cast<DWORD>(Index), name, length,
                                                 nullptr, nullptr, nullptr, nullptr);
                          });
  });
}

bool clsRegistry::DeleteValue(std::uint32_t PredefinedKey, std::string KeyName,
                              const std::string& ValueName, const std::string& ComputerName) const {
  return raisingAs(kErrDeleteValue, "DeleteValue", [&] {
    dropLeadingBackslash(KeyName);
    const Root root(PredefinedKey, ComputerName);
    const KeyHandle key = openKey(root, KeyName, kWriteAccess);
    if (!key) return false;
    return RegDeleteValueA(key.get(), ValueName.c_str()) == ERROR_SUCCESS;
  });
}

bool clsRegistry::CreateKey(std::uint32_t PredefinedKey, std::string KeyName,
                            const std::string& ComputerName) const {
  return raisingAs(kErrCreateKey, "CreateKey", [&] {
    dropLeadingBackslash(KeyName);
    const Root root(PredefinedKey, ComputerName);
    if (!root.get()) return false;
    SECURITY_ATTRIBUTES security{};
    HKEY created = nullptr;
    // The new key is closed at once, so read access is all its handle needs.
    if (RegCreateKeyExA(root.get(), KeyName.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        kReadAccess, &security, &created, nullptr) != ERROR_SUCCESS)
      return false;
    const KeyHandle key(created);
    return true;
  });
}

bool clsRegistry::DeleteKey(std::uint32_t PredefinedKey, std::string KeyName,
                            const std::string& ComputerName) const {
  return raisingAs(kErrDeleteKey, "DeleteKey", [&] {
    dropLeadingBackslash(KeyName);
    const Root root(PredefinedKey, ComputerName);
    if (!root.get()) return false;
    return RegDeleteKeyA(root.get(), KeyName.c_str()) == ERROR_SUCCESS;
  });
}

std::string clsRegistry::ListSubValue(std::uint32_t PredefinedKey, std::string KeyName,
                                      std::int32_t Index, const std::string& ComputerName) const {
  return raisingAs(kErrListSubValue, "ListSubValue", [&] {
    dropLeadingBackslash(KeyName);
    const Root root(PredefinedKey, ComputerName);
    return enumeratedName(openKey(root, KeyName, kReadAccess),
                          [&](HKEY key, char* name, DWORD* length) {
                            return RegEnumValueA(key, static_cast<DWORD>(Index), name, length,
                                                 nullptr, nullptr, nullptr, nullptr);
                          });
  });
}

bool clsRegistry::KeyExists(std::uint32_t PredefinedKey, std::string KeyName,
                            const std::string& ComputerName) const {
  return raisingAs(kErrKeyExists, "KeyExists", [&] {
    dropLeadingBackslash(KeyName);
    const Root root(PredefinedKey, ComputerName);
    return static_cast<bool>(openKey(root, KeyName, kReadAccess));
  });
}
