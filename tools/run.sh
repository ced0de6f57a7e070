#!/usr/bin/env bash
# Builds corva16.exe and starts it under Wine in a prefix of its own that has a
# simulated CD-ROM drive E: holding a demonstration Windows XP CD (and an audio
# disc in D:). Click Next three times: the three files appear in
#   build/demo-prefix/drive_c/windows/system32/{CONFIG,AUTOEXEC,COMMAND}.NT
# Without a display the wizard runs under Xvfb and a screenshot is saved to
# artifacts/run-page0.png; the program is then closed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash tools/install-deps.sh
bash tools/build.sh win64 win32
export WINEPREFIX="$root/build/demo-prefix" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
bash tools/prepare-prefix.sh "$WINEPREFIX"
exe="$root/build/win64/corva16.exe"
auto="$root/build/win64/automation/corva-auto.exe"

if [ -n "${DISPLAY:-}" ]; then
  echo "Starting the wizard; the repaired files go to $WINEPREFIX/drive_c/windows/system32"
  wine "$exe"
  wineserver -w
  ls -l "$WINEPREFIX/drive_c/windows/system32/"{CONFIG,AUTOEXEC,COMMAND}.NT 2>/dev/null || true
  exit 0
fi

mkdir -p artifacts
Xvfb :99 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=:99
trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true' EXIT
sleep 1
wine "$exe" &
wine "$auto" wait 20000
sleep 1
wine "$auto" screenshot 'Z:\'"$(echo "$root/artifacts/run-page0.bmp" | tr / '\\')"
convert artifacts/run-page0.bmp artifacts/run-page0.png && rm -f artifacts/run-page0.bmp
echo "No display: the wizard ran under Xvfb; its first page is in artifacts/run-page0.png"
