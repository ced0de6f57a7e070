#!/usr/bin/env bash
# Runs the native tests (plain Debug build) under valgrind's memcheck: any error
# or definite leak fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset native >/dev/null
cmake --build --preset native -j"$(nproc)" --target native_tests
valgrind --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,indirect \
  --track-origins=yes --quiet build/native/tests/native_tests --gtest_brief=1 "$@"
echo "valgrind: clean"
