#!/usr/bin/env bash
# Runs a Windows program under Wine in a private prefix, with a display.
#   wine-run.sh --prepare        build the prefix afresh (simulated CD-ROM drives D: and E:)
#   wine-run.sh PROGRAM [ARGS]   run a program in it
# WINEPREFIX must be set. Without DISPLAY an Xvfb server is started for the run.
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX must name the test prefix}"
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES='mscoree,mshtml='
here=$(cd "$(dirname "$0")" && pwd)

xvfb_pid=
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 91 120); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
    Xvfb :$n -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=:$n
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
    break
  done
  trap '[ -n "$xvfb_pid" ] && { wineserver -k 2>/dev/null || true; kill $xvfb_pid 2>/dev/null || true; }' EXIT
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
