#!/usr/bin/env bash
# Builds the libFuzzer target for what reads outside data (the path-string helpers,
# the drive-strings splitting, the compressed-file header, the picture decoder; clang,
# ASan, UBSan) and runs it for a bounded time.
#   tools/fuzz.sh [SECONDS]     default 60, at most 60
# The committed corpus in fuzz/corpus seeds a temporary working corpus, so a run
# never changes the repository. A crash leaves its input in build/fuzz/ and fails.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
[[ "$seconds" =~ ^[0-9]+$ ]] && [ "$seconds" -ge 1 ] || { echo "usage: $0 [seconds]" >&2; exit 2; }
[ "$seconds" -le 60 ] || seconds=60

out=build/fuzz
mkdir -p "$out"
sources=(fuzz/parsers_fuzz.cpp helpers/clsFileSystem.cpp helpers/CompressedFile.cpp helpers/RuntimeError.cpp
         app/DriveStrings.cpp forms/Forms.cpp forms/Jpeg.cpp
         forms/memory/MemoryApplication.cpp)
clang++ -std=c++20 -g -O1 -Wall -Wextra -Werror -fsanitize=fuzzer,address,undefined \
  -fno-sanitize-recover=undefined -fno-omit-frame-pointer -I. -Itests \
  "${sources[@]}" -o "$out/parsers_fuzz"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp fuzz/corpus/* "$work/"
# One job keeps the time bound and leaves the second core to whoever else runs.
set +e
"$out/parsers_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$out/" -print_final_stats=1 "$work" >"$out/fuzz.log" 2>&1
status=$?
if [ "$status" -ne 0 ]; then
  tail -n 60 "$out/fuzz.log"
  echo "fuzz: FAILED (exit $status); the input is kept in $out/, the log in $out/fuzz.log." >&2
  echo "fuzz: once mended, copy the input into fuzz/corpus/: every run replays the corpus first." >&2
  exit 1
fi
grep -E '^(Done|stat::(number_of_executed_units|new_units_added|peak_rss_mb))' "$out/fuzz.log"
echo "fuzz: no finding in ${seconds}s, corpus of $(ls fuzz/corpus | wc -l) seeds grown to $(ls "$work" | wc -l)"
