#include "fakes/FakeRegistry.h"

#include <algorithm>
#include <cctype>

#include "helpers/Module1Shell.h"

namespace fakes {

RegistryKeys registry;
std::optional<std::string> appDataFolder;

namespace {
std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}
}  // namespace

void setRegistryValue(std::uint32_t root, const std::string& key, const std::string& name,
                      const std::string& text) {
  registry[{root, lower(key)}][lower(name)] = text;
}

}  // namespace fakes

bool clsRegistry::KeyExists(std::uint32_t root, std::string key, const std::string&) const {
  return fakes::registry.count({root, fakes::lower(key)}) != 0;
}

RegistryValue clsRegistry::GetValue(std::uint32_t root, std::string key, const std::string& name,
                                    const std::string&) const {
  auto k = fakes::registry.find({root, fakes::lower(key)});
  if (k == fakes::registry.end()) return {};
  auto v = k->second.find(fakes::lower(name));
  return v == k->second.end() ? RegistryValue() : v->second;
}

bool clsRegistry::DeleteKey(std::uint32_t root, std::string key, const std::string&) const {
  return fakes::registry.erase({root, fakes::lower(key)}) != 0;
}

std::optional<std::string> Module1::GetAppDataFolder() {
  return fakes::appDataFolder;
}
