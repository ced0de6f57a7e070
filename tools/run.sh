#!/usr/bin/env bash
# Builds corva16.exe and starts it under Wine in a prefix of its own that has a
# simulated CD-ROM drive E: holding a demonstration Windows XP CD (and an audio
# disc in D:). The prefix's system folder holds a damaged CONFIG.NT and an empty
# AUTOEXEC.NT, as a machine that needs the repair has them. Click Next three times:
# the three files appear in
#   build/demo-prefix/drive_c/windows/system32/{CONFIG,AUTOEXEC,COMMAND}.NT
# and the two damaged ones are kept beside them as CONFIG.NT.before-repair-1 and
# AUTOEXEC.NT.before-repair-1.
# Without a display the wizard runs under Xvfb, the automation clicks through it
# as a person would, and screenshots of its pages are saved in artifacts/.
#
# `run.sh quillsafe` starts quillsafe.exe, the settings tool, instead: its chooser
# opens the restore wizard (a sample backup description file waits in
# C:\Quillsafe\Sample.BAK of the prefix; pick it with Select) or the repair wizard.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
program=${1:-corva16}
case "$program" in corva16|quillsafe) ;; *) echo "usage: $0 [quillsafe]" >&2; exit 2 ;; esac
bash tools/install-deps.sh
bash tools/build.sh win64 win32
export WINEPREFIX="$root/build/demo-prefix" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
bash tools/prepare-prefix.sh "$WINEPREFIX"
exe="$root/build/win64/$program.exe"
system32="$WINEPREFIX/drive_c/windows/system32"
head -c 40 resources/demo-cd/config.nt > "$system32/CONFIG.NT"
: > "$system32/AUTOEXEC.NT"
auto="$root/build/win64/automation/corva-auto.exe"
mkdir -p "$WINEPREFIX/drive_c/Quillsafe/Backup"
printf '[Backup]\r\nVersion=WP12\r\nBackup_Location=C:\\Quillsafe\\Backup\r\n' \
  > "$WINEPREFIX/drive_c/Quillsafe/Sample.BAK"

if [ -n "${DISPLAY:-}" ]; then
  if [ "$program" = quillsafe ]; then
    echo "Starting Quillsafe; the sample backup is C:\\Quillsafe\\Sample.BAK"
  else
    echo "Starting the wizard; the repaired files go to $WINEPREFIX/drive_c/windows/system32"
  fi
  wine "$exe"
  wineserver -w
  [ "$program" = quillsafe ] || ls -l "$system32/"*.NT* 2>/dev/null || true
  exit 0
fi

mkdir -p artifacts
. tools/display.sh
start_display 99 130
trap 'wineserver -k 2>/dev/null || true; kill $display_pid 2>/dev/null || true' EXIT
wine "$exe" &
shot() {
  sleep 0.7
  wine "$auto" screenshot 'Z:'"$(echo "$root/artifacts/run-$1.bmp" | tr / '\\')"
  convert "artifacts/run-$1.bmp" "artifacts/run-$1.png" && rm -f "artifacts/run-$1.bmp"
}
# Nobody can click here, so the automation does what a person would.
wine "$auto" wait 20000
if [ "$program" = quillsafe ]; then
  shot chooser
  wine "$auto" click 'Restore WordPerfect customized settings and files'
  wine "$auto" click 'Start'
  sleep 1
  shot restore-page0
  wine "$auto" click '&Next >'
  shot restore-page1
  wine "$auto" set-text 'C:\Quillsafe\Sample.BAK'
  wine "$auto" click '&Next >'
  wine "$auto" click '&Next >'
  wine "$auto" wait-enabled '&Finish' 10000
  shot restore-page5
  wine "$auto" click '&Finish'
  echo "No display: Quillsafe ran under Xvfb, clicked through by corva-auto."
  echo "Its chooser and restore pages are in artifacts/run-{chooser,restore-page0,restore-page1,restore-page5}.png"
  exit 0
fi
shot page0
wine "$auto" click '&Next >'
shot page1
wine "$auto" wait-enabled '&Next >' 15000
wine "$auto" click '&Next >'
shot page2
wine "$auto" click '&Next >'
wine "$auto" wait-enabled '&Finish' 60000
shot page5
echo "No display: the wizard ran under Xvfb, clicked through by corva-auto."
echo "Its pages are in artifacts/run-page{0,1,2,5}.png; the repaired files and the copies kept:"
ls -l "$system32/"*.NT*
