#!/usr/bin/env bash
# Builds a Wine prefix with two simulated CD-ROM drives:
#   D: a disc labelled AUDIOCD without an i386 folder
#   E: a demonstration Windows XP CD (label WXPCD) whose i386 folder holds
#      config.nt_, autoexec.nt_ and command.co_, compressed here with mscompress
#      from the project's own files in resources/demo-cd.
# Beside them, other i386 folders for the tests to put into E: in its place:
#   cab     the same files as single-file cabinets, as the Windows XP CD has them
#   random  random bytes under the three names
#   short   the compressed files cut short
#   empty   empty files
# Usage: prepare-prefix.sh PREFIX
set -euo pipefail
prefix=${1:?prefix}
here=$(cd "$(dirname "$0")" && pwd)
src="$here/../resources/demo-cd"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='

wineserver -k 2>/dev/null || true
rm -rf "$prefix"
mkdir -p "$prefix"
wineboot -i >/dev/null 2>&1 || true
wineserver -w

# Wine's own fonts (Marlett draws the caption buttons, MS Sans Serif the default
# font); Debian installs them outside the prefix where this Wine does not look.
if [ -d /usr/share/wine/fonts ]; then
  cp -n /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
fi

discs="$prefix/discs"
mkdir -p "$discs/audio" "$discs/xpcd/i386"
printf 'AUDIOCD' > "$discs/audio/.windows-label"
printf 'WXPCD' > "$discs/xpcd/.windows-label"
cp "$src/config.nt" "$discs/xpcd/i386/config.nt"
cp "$src/autoexec.nt" "$discs/xpcd/i386/autoexec.nt"
cp "$src/command.com" "$discs/xpcd/i386/command.co"
mkdir -p "$discs"/{cab,random,short,empty}/i386
for f in config.nt autoexec.nt command.co; do
  (cd "$discs/xpcd/i386" && gcab -c -z -n "../../cab/i386/${f}_" "$f")
  head -c 300 /dev/urandom > "$discs/random/i386/${f}_"
  : > "$discs/empty/i386/${f}_"
done
(cd "$discs/xpcd/i386" && mscompress config.nt autoexec.nt command.co >/dev/null &&
   rm -f config.nt autoexec.nt command.co)
for f in config.nt_ autoexec.nt_ command.co_; do
  head -c $(( $(stat -c %s "$discs/xpcd/i386/$f") / 2 )) "$discs/xpcd/i386/$f" > "$discs/short/i386/$f"
done

ln -sfn "$discs/audio" "$prefix/dosdevices/d:"
ln -sfn "$discs/xpcd" "$prefix/dosdevices/e:"
wine reg add 'HKLM\Software\Wine\Drives' /v d: /d cdrom /f >/dev/null 2>&1
wine reg add 'HKLM\Software\Wine\Drives' /v e: /d cdrom /f >/dev/null 2>&1
wineserver -w
# Drive settings are read when the server starts.
wineserver -k 2>/dev/null || true
echo "prefix ready: $prefix"
