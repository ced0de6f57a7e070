#!/usr/bin/env bash
# Runs a Windows program under Wine in a private prefix, with a display.
#   wine-run.sh --prepare        build the prefix afresh (simulated CD-ROM drives D: and E:)
#   wine-run.sh PROGRAM [ARGS]   run a program in it
# WINEPREFIX must be set. Without DISPLAY an Xvfb server is started for the run.
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX must name the test prefix}"
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES='mscoree,mshtml='
here=$(cd "$(dirname "$0")" && pwd)

. "$here/display.sh"
if [ -z "${DISPLAY:-}" ]; then
  start_display 91 120
  trap 'wineserver -k 2>/dev/null || true; kill $display_pid 2>/dev/null || true' EXIT
fi

if [ "${1:-}" = --prepare ]; then
  "$here/prepare-prefix.sh" "$WINEPREFIX"
  exit 0
fi

set +e
wine "$@"
rc=$?
wineserver -w
exit $rc
