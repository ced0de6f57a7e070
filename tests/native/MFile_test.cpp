#include "helpers/MFile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using MFile::FileDialogRecord;

TEST(SetDialogFilter, BarsBecomeNulsAndTheListEndsWithOne) {
  MFile::SetDialogFilter("Backup files BAK|*.BAK");
  EXPECT_EQ(std::string("Backup files BAK\0*.BAK\0", 23), FileDialogRecord.filter);

  MFile::SetDialogFilter("Text|*.txt|All files|*.*");
  EXPECT_EQ(std::string("Text\0*.txt\0All files\0*.*\0", 25), FileDialogRecord.filter);

  MFile::SetDialogFilter("");
  EXPECT_EQ(std::string(1, '\0'), FileDialogRecord.filter);
}

TEST(SetDialogFilter, LongFilterIsTakenWhole) {
  const std::string description(40000, 'd');
  MFile::SetDialogFilter(description + "|*.BAK");
  EXPECT_EQ(description + std::string(1, '\0') + "*.BAK" + std::string(1, '\0'),
            FileDialogRecord.filter);
}

}  // namespace
