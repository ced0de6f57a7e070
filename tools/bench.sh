#!/usr/bin/env bash
# Measures corva16.exe against baselines run side by side, and writes the figures
# with their targets to bench/results.md:
#   start-up     wizard and quillsafe.exe vs an empty Win32 window, in turn, under Wine
#   size         the stripped i686 exes, where the wizard's bytes come from, and what
#                compiler and linker options would save (separate build dirs)
#   idle cost    CPU of the wizard waiting on page 1 with no CD, vs the empty
#                window; then GDI/USER objects, handles and memory over a soak
#   repair       Next on page 2 until Finish, vs a batch file of the same three
#                expand commands
# Takes about 15 minutes, 10 of them the soak. Shorter runs for trying things:
#   CORVA_BENCH_SOAK_SECONDS (600)  CORVA_BENCH_IDLE_SECONDS (30)
#   CORVA_BENCH_STARTUP_RUNS (15)   CORVA_BENCH_REPAIR_RUNS (10)
#   CORVA_BENCH_SIZE_VARIANTS=0     skips the option builds (about 20 s each)
# To show a change against the build before it:
#   CORVA_BENCH_BEFORE_EXE   the earlier win64 corva16.exe, timed in this run as well
#   CORVA_BENCH_BEFORE_RAW   the raw folder of an earlier run, whose figures go beside these
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
soak_seconds=${CORVA_BENCH_SOAK_SECONDS:-600}
idle_seconds=${CORVA_BENCH_IDLE_SECONDS:-30}
startup_runs=${CORVA_BENCH_STARTUP_RUNS:-15}
repair_runs=${CORVA_BENCH_REPAIR_RUNS:-10}
size_variants=${CORVA_BENCH_SIZE_VARIANTS:-1}

work=${CORVA_BENCH_WORK:-/tmp/corva-bench}
raw=$work/raw
prefix=$work/prefix
rm -rf "$raw"
mkdir -p "$raw"
if [ -n "${CORVA_BENCH_BEFORE_RAW:-}" ]; then cp -r "$CORVA_BENCH_BEFORE_RAW" "$raw/before"; fi

bash tools/install-deps.sh
bench_targets=(corva16 quillsafe minimal_window startup_step1 startup_step2 startup_step3 startup_step4 startup_step5
               startup_bench idle_bench repair_bench)
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j"$(nproc)" --target "${bench_targets[@]}"
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j"$(nproc)" --target corva16 quillsafe

winpath() { printf 'Z:%s' "${1//\//\\}"; }
wizard=$(winpath "$root/build/win64/corva16.exe")
minimal=$(winpath "$root/build/win64/bench/minimal_window.exe")
quillsafe=$(winpath "$root/build/win64/quillsafe.exe")
bin=$root/build/win64/bench

{
  echo "date=$(date -u '+%Y-%m-%d %H:%M UTC')"
  echo "wine=$(wine --version 2>/dev/null)"
  echo "cpu=$(lscpu | sed -n 's/^Model name: *//p' | head -1)"
  echo "cores=$(nproc)"
  echo "memory=$(free -h | awk '/^Mem:/ {print $2}')"
  echo "kernel=$(uname -r)"
  echo "load_before=$(cut -d' ' -f1-3 /proc/loadavg)"
  echo "soak_seconds=$soak_seconds"
} > "$raw/meta.txt"

# --- Size: the shipped i686 exe, stripped ----------------------------------------------
strip_size() {
  cp "$1" "$work/stripped.exe"
  i686-w64-mingw32-strip "$work/stripped.exe"
  stat -c %s "$work/stripped.exe"
}
{
  echo "stripped $(strip_size build/win32/corva16.exe)"
  echo "unstripped $(stat -c %s build/win32/corva16.exe)"
  # The sections of corva16.exe, before quillsafe.exe takes the stripped copy's place.
  i686-w64-mingw32-size -A "$work/stripped.exe" | awk '$1 ~ /^\./ {print "section", $1, $2}'
  echo "stripped_quillsafe $(strip_size build/win32/quillsafe.exe)"
  for f in resources/photo.jpg resources/logo.jpg resources/corva16.ico resources/corva16.manifest; do
    echo "resource $(basename "$f") $(stat -c %s "$f")"
  done
} > "$raw/size.txt"

# The same exe built with other options, each in its own build directory.
size_variant() {
  local name=$1 cxx=$2 link=$3 dir=$work/win32-$1
  cmake -S . -B "$dir" -G "Unix Makefiles" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DCORVA_WERROR=ON -DCORVA_TESTS=OFF \
    -DCMAKE_CXX_FLAGS="$cxx" -DCMAKE_EXE_LINKER_FLAGS="-Wl,-Map=corva16.map $link" >/dev/null
  if cmake --build "$dir" -j"$(nproc)" --target corva16 >"$dir.log" 2>&1; then
    echo "variant $name $(strip_size "$dir/corva16.exe") cxx='$cxx' link='$link'"
  else
    local why
    why=$(grep -m1 -o 'internal compiler error.*\|error: .*' "$dir.log" | tr -d "'" || true)
    echo "variant $name failed cxx='$cxx' link='$link' why='$why'"
  fi
}
if [ "$size_variants" = 1 ]; then
  gc="-ffunction-sections -fdata-sections"
  # libstdc++'s default terminate handler prints the demangled type of the
  # exception, which links in the whole demangler; one that only aborts does not.
  quiet=$work/quiet-terminate.o
  printf '%s\n' '#include <cstdlib>' \
    'namespace __gnu_cxx { void __verbose_terminate_handler() { std::abort(); } }' |
    i686-w64-mingw32-g++-win32 -Os -x c++ -c - -o "$quiet"
  {
    size_variant preset "" ""
    size_variant gc-sections "$gc" "-Wl,--gc-sections"
    size_variant gc-sections-s "$gc" "-Wl,--gc-sections -s"
    size_variant lto-gc "$gc -flto" "-flto -Os -Wl,--gc-sections"
    size_variant quiet-terminate "" "$quiet"
    size_variant gc-quiet-terminate "$gc" "-Wl,--gc-sections $quiet"
  } >> "$raw/size.txt"
  cp "$work/win32-preset/corva16.map" "$raw/corva16.map"
fi

# --- The Wine side: a display, a prefix, one server for the whole run --------------------
. tools/display.sh
start_display 60 69 || exit 1
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
cleanup() {
  wineserver -k 2>/dev/null || true
  kill "$display_pid" 2>/dev/null || true
}
trap cleanup EXIT

bash tools/prepare-prefix.sh "$prefix" >/dev/null
disc=$prefix/discs/xpcd
wineserver -p
# Starts the prefix's services once, so no measured run pays for them.
wine "$bin/startup_bench.exe" 1 "$minimal" "$minimal" >/dev/null

echo "bench: start-up ($startup_runs runs each)"
wine "$bin/startup_bench.exe" "$startup_runs" "$wizard" "$minimal" "$quillsafe" > "$raw/startup.txt"

if [ -n "${CORVA_BENCH_BEFORE_EXE:-}" ]; then
  wine "$bin/startup_bench.exe" "$startup_runs" "$(winpath "$CORVA_BENCH_BEFORE_EXE")" "$minimal" \
    > "$raw/startup-before.txt"
fi

for step in 1 2 3 4 5; do
  wine "$bin/startup_bench.exe" "$startup_runs" "$(winpath "$bin/startup_step$step.exe")" "$minimal" \
    > "$raw/startup-step$step.txt"
done

echo "bench: idle cost (${idle_seconds}s each), then the soak (${soak_seconds}s)"
mv "$disc/i386" "$disc/i386.aside"
wine "$bin/idle_bench.exe" idle "$idle_seconds" "$wizard" "$minimal" > "$raw/idle.txt"
wine "$bin/idle_bench.exe" soak "$soak_seconds" 30 "$wizard" "$(winpath "$disc")" > "$raw/soak.txt"
mv "$disc/i386.aside" "$disc/i386"

echo "bench: repair latency ($repair_runs runs each)"
wine "$bin/repair_bench.exe" "$repair_runs" "$wizard" 'E:\' > "$raw/repair.txt"

echo "load_after=$(cut -d' ' -f1-3 /proc/loadavg)" >> "$raw/meta.txt"
python3 bench/report.py "$raw" bench/results.md
echo "bench: wrote bench/results.md"
