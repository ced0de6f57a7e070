#!/usr/bin/env bash
# Builds everything and runs the three test layers: native (also under ASan and
# UBSan), windows (under Wine) and end-to-end (the real exe under Wine and Xvfb).
# Ends with one line: "Summary: N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash tools/install-deps.sh || exit 1
bash tools/build.sh native native-asan win64 win32 || { echo "Summary: 0 passed, 1 failed"; exit 1; }

rm -rf build/*/test-results artifacts
mkdir -p artifacts build/native/test-results build/native-asan/test-results build/win64/test-results

# One display for the Wine layers.
. tools/display.sh
display_pid=
if [ -z "${DISPLAY:-}" ]; then start_display 81 110 || exit 1; fi
cleanup() {
  WINEPREFIX="$root/build/win64/wineprefix" wineserver -k 2>/dev/null || true
  [ -n "$display_pid" ] && kill "$display_pid" 2>/dev/null || true
}
trap cleanup EXIT

status=0
(cd build/native && ctest --output-on-failure) || status=1
(cd build/native-asan && ctest --output-on-failure) || status=1
(cd build/win64 && ctest --output-on-failure) || status=1
# What reads outside data (paths, drive strings, disc headers, pictures) under libFuzzer
# for a bounded time;
# counted in the summary as one case.
if bash tools/fuzz.sh 30; then fuzz_failure=""; else fuzz_failure="<failure message=\"fuzz run found a fault\"/>"; status=1; fi
printf '<testsuites><testsuite name="fuzz"><testcase name="Parsers">%s</testcase></testsuite></testsuites>\n' \
  "$fuzz_failure" > build/native/test-results/fuzz.xml

# Every C++ file is laid out as the checked-in .clang-format says.
unformatted=$(find app automation bench forms fuzz helpers platform settingsbackup tests tools wizard \
  wordengine \( -name '*.cpp' -o -name '*.h' \) -print0 |
  xargs -0 clang-format --dry-run --Werror 2>&1 | sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error.*/\1/p' | sort -u)
if [ -z "$unformatted" ]; then format_failure=""; else
  echo "not laid out as .clang-format says (clang-format -i them):" $unformatted
  format_failure="<failure message=\"not formatted: $(echo $unformatted)\"/>"; status=1; fi
printf '<testsuites><testsuite name="format"><testcase name="ClangFormat">%s</testcase></testsuite></testsuites>\n' \
  "$format_failure" > build/native/test-results/format.xml

# The download a user fetches: built from the shipped i686 programs and checked
# (its files, their checksums, that both programs are i686 builds).
if bash tools/release.sh > build/release.log 2>&1; then release_failure=""; else
  release_failure="<failure message=\"release zip: $(tail -1 build/release.log | tr -d '<>&\"')\"/>"; status=1; fi
printf '<testsuites><testsuite name="release"><testcase name="DownloadZip">%s</testcase></testsuite></testsuites>\n' \
  "$release_failure" > build/native/test-results/release.xml

# Screenshots are taken as BMP inside Wine; keep PNG copies.
for f in artifacts/*.bmp; do
  [ -e "$f" ] && convert "$f" "${f%.bmp}.png" && rm -f "$f"
done

python3 tools/summarise-tests.py build/native/test-results build/native-asan/test-results \
  build/win64/test-results
rc=$?
[ $status -eq 0 ] && [ $rc -eq 0 ]
