#include "helpers/clsFile.h"

#include <gtest/gtest.h>

#include "helpers/RuntimeError.h"

namespace {

TEST(clsFileTrims, RemoveLastCharAndLastChar) {
  clsFile f;
  EXPECT_EQ("ab", f.sRemoveLastChar("abc"));
  EXPECT_EQ("", f.sRemoveLastChar(""));
  EXPECT_EQ("\\", f.LastChar("C:\\"));
  try {
    f.LastChar("");
    ADD_FAILURE() << "no error for the empty text";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(errors::kInvalidProcedureCall, e.number());
    EXPECT_EQ("clsFile", e.source());
  }
}

}  // namespace
