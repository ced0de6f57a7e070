#!/usr/bin/env bash
# Builds the shipped i686 programs at each commit of a range, one after another in
# one scratch worktree and build directory, and writes their sizes to
# bench/size-steps.txt, which tools/bench.sh puts into bench/results.md:
#   bash tools/size-steps.sh FIRST LAST
# FIRST is the commit before the steps; each later commit is one step. Takes about a
# minute a commit (the link optimises the whole program each time).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
first=$1 last=$2
work=${CORVA_SIZE_STEPS_WORK:-/tmp/corva-size-steps}
git worktree remove --force "$work" 2>/dev/null || rm -rf "$work"
git worktree add --detach "$work" "$first" >/dev/null
trap 'git -C "$root" worktree remove --force "$work"' EXIT
out=$root/bench/size-steps.txt
echo "# commit corva16.exe quillsafe.exe subject (bytes of the i686 MinSizeRel build)" > "$out"
for commit in "$first" $(git rev-list --reverse "$first..$last"); do
  git -C "$work" checkout -q --detach "$commit"
  cmake -S "$work" -B "$work/build" -DCMAKE_TOOLCHAIN_FILE="$work/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DCORVA_TESTS=OFF >/dev/null
  cmake --build "$work/build" -j"$(nproc)" --target corva16 quillsafe >/dev/null
  printf '%s %s %s %s\n' "$(git rev-parse --short "$commit")" \
    "$(stat -c %s "$work/build/corva16.exe")" "$(stat -c %s "$work/build/quillsafe.exe")" \
    "$(git log -1 --format=%s "$commit")" | tee -a "$out"
done
