// Text to number, as the timer interval and the registry's numbers take it.
#include "helpers/WholeNumber.h"

#include <gtest/gtest.h>

TEST(WholeNumber, DecimalTextRoundsHalvesToEvenAnythingElseIsNone) {
  const std::pair<const char*, std::optional<std::int64_t>> cases[] = {
      {"250", 250},    {" -7 ", -7}, {"+007", 7}, {"2.5", 2},  {"3.5", 4},
      {"-1e3", -1000}, {"", {}},     {"  ", {}},  {"abc", {}}, {"12x", {}},
      {"--1", {}},     {"0x1A", {}}, {"inf", {}}, {"\t5", {}}, {"1e19", {}}};
  for (const auto& [text, number] : cases) EXPECT_EQ(wholeNumber(text), number) << text;
}
