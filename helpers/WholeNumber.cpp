#include "helpers/WholeNumber.h"

#include <cmath>
#include <cstdlib>

std::optional<std::int64_t> wholeNumber(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::nullopt;
  const std::string trimmed = text.substr(first, text.find_last_not_of(' ') - first + 1);
  // strtod alone would also take hexadecimal, "inf" and "nan".
  if (trimmed.find_first_not_of("0123456789+-.eE") != std::string::npos) return std::nullopt;
  char* end = nullptr;
  const double parsed = std::strtod(trimmed.c_str(), &end);
  if (end != trimmed.c_str() + trimmed.size()) return std::nullopt;
  const double rounded = std::nearbyint(parsed);
  if (!(rounded >= -9.2e18 && rounded <= 9.2e18)) return std::nullopt;
  return static_cast<std::int64_t>(rounded);
}
