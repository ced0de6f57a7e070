#include "helpers/WholeNumber.h"

namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// The largest magnitude taken: a little below what 64 bits hold.
constexpr std::uint64_t kLargest = 9'200'000'000'000'000'000ULL;

}  // namespace

// Read exactly, digit by digit, rather than through a double: "2.5000000000000001"
// is nearer 3 than 2, and every integer up to the limit keeps its last digit.
std::optional<std::int64_t> wholeNumber(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::nullopt;
  const auto end = text.find_last_not_of(' ') + 1;
  auto i = first;
  const bool negative = text[i] == '-';
  if (text[i] == '+' || text[i] == '-') ++i;

  // All the digits, and how many of them stand before the point.
  std::string digits;
  std::int64_t point = -1;
  for (; i < end && (isDigit(text[i]) || (text[i] == '.' && point < 0)); ++i) {
    if (text[i] == '.')
      point = static_cast<std::int64_t>(digits.size());
    else
      digits += text[i];
  }
  if (digits.empty()) return std::nullopt;
  if (point < 0) point = static_cast<std::int64_t>(digits.size());

  if (i < end && (text[i] == 'e' || text[i] == 'E')) {
    const bool negativeExponent = ++i < end && text[i] == '-';
    if (i < end && (text[i] == '+' || text[i] == '-')) ++i;
    if (i == end || !isDigit(text[i])) return std::nullopt;
    std::int64_t exponent = 0;
    for (; i < end && isDigit(text[i]); ++i) {
      if (exponent < 1'000'000) exponent = exponent * 10 + (text[i] - '0');
    }
    point += negativeExponent ? -exponent : exponent;
  }
  if (i != end) return std::nullopt;

  const auto leadingZeros = digits.find_first_not_of('0');
  if (leadingZeros == std::string::npos) return 0;
  digits.erase(0, leadingZeros);
  point -= static_cast<std::int64_t>(leadingZeros);
  const auto count = static_cast<std::int64_t>(digits.size());
  if (point > 19) return std::nullopt;  // at least 10^19

  std::uint64_t whole = 0;
  for (std::int64_t d = 0; d < point; ++d) whole = whole * 10 + (d < count ? digits[d] - '0' : 0);
  // Halves round to even: the first digit after the point decides, or what follows it.
  if (point >= 0 && point < count) {
    const int decider = digits[point] - '0';
    const bool beyondHalf = digits.find_first_not_of('0', point + 1) != std::string::npos;
    if (decider > 5 || (decider == 5 && (beyondHalf || whole % 2 == 1))) ++whole;
  }
  if (whole > kLargest) return std::nullopt;
  const auto value = static_cast<std::int64_t>(whole);
  return negative ? -value : value;
}
