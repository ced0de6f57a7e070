#pragma once
// The number of the run-time error a call raises (0: none), from this class and with this text.
#include <gtest/gtest.h>

#include <functional>

#include "helpers/RuntimeError.h"

inline long errorNumber(const std::function<void()>& call,
                        const std::string& source = "clsFileSystem",
                        const std::string& description = "") {
  try {
    call();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.source(), source);
    EXPECT_TRUE(description.empty() || e.description() == description) << e.description();
    return e.number();
  }
  return 0;
}
