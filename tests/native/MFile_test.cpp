#include "helpers/MFile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SetDialogFilter, BarsBecomeNulsAndTheListEndsWithOne) {
  const std::string long40000(40000, 'd');
  const std::pair<std::string, std::string> cases[] = {
      {"Text|*.txt|All files|*.*", std::string("Text\0*.txt\0All files\0*.*\0", 25)},
      {"", std::string(1, '\0')},
      {long40000 + "|*.BAK", long40000 + std::string("\0*.BAK\0", 7)}};  // no 16-bit limit
  for (const auto& [filter, record] : cases) {
    MFile::SetDialogFilter(filter);
    EXPECT_EQ(record, MFile::FileDialogRecord.filter) << filter.substr(0, 30);
  }
}

}  // namespace
