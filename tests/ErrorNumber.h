#pragma once
// The number of the run-time error a call raises, 0 if it raises none; the error
// must come from the file system class.
#include <gtest/gtest.h>

#include <functional>

#include "helpers/RuntimeError.h"

inline long errorNumber(const std::function<void()>& call) {
  try {
    call();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.source(), "clsFileSystem");
    return e.number();
  }
  return 0;
}
