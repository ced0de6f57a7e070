#pragma once
// Reads, writes, enumerates, creates, deletes and tests registry keys and values
// below a predefined root, on this computer or on another one by name. Stateless:
// every call opens what it needs and closes it again before returning.
//
// Failures of the registry itself show in the results (false, "", an Empty value);
// the few numbered errors 11001..11008 are RuntimeErrors with source "clsRegistry".
#include <cstdint>
#include <string>
#include <variant>

// What GetValue read: nothing (missing value or key), text, a 32-bit number
// (REG_DWORD), a byte (REG_BINARY) or the 16-bit zero of a failed second read.
using RegistryValue =
    std::variant<std::monostate, std::string, std::int32_t, std::uint8_t, std::int16_t>;

// What SetValue writes: text, or a number converted to the existing value's type.
using RegistryData = std::variant<std::string, std::int64_t>;

class clsRegistry {
 public:
  // The predefined roots as the platform numbers them (32-bit handle values).
  static constexpr std::uint32_t kClassesRoot = 0x80000000;
  static constexpr std::uint32_t kCurrentUser = 0x80000001;
  static constexpr std::uint32_t kLocalMachine = 0x80000002;
  static constexpr std::uint32_t kUsers = 0x80000003;

  // Error numbers; 11002 is raised by no operation.
  static constexpr long kErrSetValue = 11001;
  static constexpr long kErrListSubKey = 11003;
  static constexpr long kErrDeleteValue = 11004;
  static constexpr long kErrCreateKey = 11005;
  static constexpr long kErrDeleteKey = 11006;
  static constexpr long kErrListSubValue = 11007;
  static constexpr long kErrKeyExists = 11008;

  // Writes Value in the type the value already has: REG_SZ when it is missing,
  // too long to read or text; REG_DWORD and REG_BINARY converted; any other type
  // is left alone. Raises 11001 when the key cannot be opened or Value does not
  // convert. True otherwise.
  bool SetValue(std::uint32_t PredefinedKey, std::string KeyName, const std::string& ValueName,
                const RegistryData& Value, const std::string& ComputerName = "") const;
  // Writes Value as REG_DWORD whatever the value was. Raises 11001 ("SetValue")
  // when the key cannot be opened; true otherwise, even if the write failed.
  bool SetDWordValue(std::uint32_t PredefinedKey, std::string KeyName, const std::string& ValueName,
                     std::int32_t Value, const std::string& ComputerName = "") const;
  // Empty for a missing key or value or data of more than 255 bytes. Binary data
  // gives its first four bytes as a number, which must fit a byte (overflow, 6).
  RegistryValue GetValue(std::uint32_t PredefinedKey, std::string KeyName,
                         const std::string& ValueName, const std::string& ComputerName = "") const;
  // The name of subkey number Index (from 0), "" past the end or on failure.
  std::string ListSubKey(std::uint32_t PredefinedKey, std::string KeyName, std::int32_t Index,
                         const std::string& ComputerName = "") const;
  bool DeleteValue(std::uint32_t PredefinedKey, std::string KeyName, const std::string& ValueName,
                   const std::string& ComputerName = "") const;
  // True also when the key exists already.
  bool CreateKey(std::uint32_t PredefinedKey, std::string KeyName,
                 const std::string& ComputerName = "") const;
  // Deletes the one key; fails for a key that has subkeys.
  bool DeleteKey(std::uint32_t PredefinedKey, std::string KeyName,
                 const std::string& ComputerName = "") const;
  // The name of value number Index (from 0), "" past the end or on failure.
  std::string ListSubValue(std::uint32_t PredefinedKey, std::string KeyName, std::int32_t Index,
                           const std::string& ComputerName = "") const;
  // True when the key can be opened for reading.
  bool KeyExists(std::uint32_t PredefinedKey, std::string KeyName,
                 const std::string& ComputerName = "") const;
};
