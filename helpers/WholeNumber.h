#pragma once
// Text to number, as the text box of the timer interval and the registry's
// numbers take it.
#include <cstdint>
#include <optional>
#include <string>

// Blanks around it, an optional sign, digits with an optional fraction and
// exponent; fractions round half to even. Nothing for any other text and for a
// number beyond what 64 bits hold.
std::optional<std::int64_t> wholeNumber(const std::string& text);
