#pragma once
// For native tests: clsRegistry's reads, tests and deletions against an in-memory
// registry, and the application-data folder the shell would name.
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "helpers/clsRegistry.h"

namespace fakes {

// Keys by root and lower-case name; each holds its values by lower-case name.
using RegistryKeys =
    std::map<std::pair<std::uint32_t, std::string>, std::map<std::string, RegistryValue>>;
extern RegistryKeys registry;
void setRegistryValue(std::uint32_t root, const std::string& key, const std::string& name,
                      const std::string& text);

extern std::optional<std::string> appDataFolder;

}  // namespace fakes
