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

TEST(OpenFileDialogRecord, PreparedAsTheDialogExpectsIt) {
  // What an earlier dialog left in the record is replaced.
  FileDialogRecord.file = std::string("C:\\old.BAK\0", 11);
  std::string extension = "*.*";
  MFile::PrepareOpenFileDialog("Open", "Backup files BAK|*.BAK", extension);

  EXPECT_EQ(".BAK", extension);
  EXPECT_EQ(".BAK", FileDialogRecord.defaultExtension);
  EXPECT_EQ("Open", FileDialogRecord.title);
  EXPECT_EQ(std::string("Backup files BAK\0*.BAK\0", 23), FileDialogRecord.filter);
  EXPECT_EQ(std::string(259, ' ') + '\0', FileDialogRecord.file);
  EXPECT_EQ(260u, FileDialogRecord.maxFile);
  EXPECT_EQ(4u, FileDialogRecord.flags);
}

}  // namespace
