#!/usr/bin/env bash
# Installs the Debian 12 packages the builds and tests use (only what is missing).
set -euo pipefail
packages=(cmake make g++ clang clang-format libgtest-dev libgmock-dev googletest valgrind
          wine wine64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools binutils-mingw-w64-i686
          xvfb mscompress gcab zip unzip xdotool imagemagick fonts-liberation fonts-wine libclang-rt-14-dev python3)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q >/dev/null
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
