#!/usr/bin/env bash
# Builds the shipped i686 programs and writes the download a user fetches:
#   dist/corva16-<file version>.zip with corva16.exe, quillsafe.exe, README.txt
#   (Windows line ends) and SHA256SUMS.txt.
# `release.sh --check ZIP` checks such a zip instead: its files, their checksums,
# and that both programs are i686 builds.
set -euo pipefail
cd "$(dirname "$0")/.."

check() {
  local zip=$1 dir
  dir=$(mktemp -d)
  trap 'rm -rf "$dir"' RETURN
  unzip -q "$zip" -d "$dir"
  local listed
  listed=$(cd "$dir" && ls | sort | tr '\n' ' ')
  [ "$listed" = "README.txt SHA256SUMS.txt corva16.exe quillsafe.exe " ] ||
    { echo "unexpected files in $zip: $listed" >&2; return 1; }
  (cd "$dir" && sed 's/\r$//' SHA256SUMS.txt | sha256sum --quiet -c -) ||
    { echo "checksums do not match in $zip" >&2; return 1; }
  [ "$(sed 's/\r$//' "$dir/SHA256SUMS.txt" | awk '{print $2}' | sort | tr '\n' ' ')" = \
    "README.txt corva16.exe quillsafe.exe " ] || { echo "SHA256SUMS.txt lists other files" >&2; return 1; }
  for exe in corva16.exe quillsafe.exe; do
    i686-w64-mingw32-objdump -f "$dir/$exe" | grep -q 'file format pei-i386' ||
      { echo "$exe is not an i686 build" >&2; return 1; }
  done
  echo "release ok: $zip"
}

if [ "${1:-}" = --check ]; then
  check "${2:?zip}"
  exit
fi

bash tools/install-deps.sh
bash tools/build.sh win32
version=$(sed -n 's/.*VALUE "FileVersion", "\([0-9.]*\)".*/\1/p' resources/corva16.rc)
stage=build/release/corva16-$version
rm -rf "$stage" && mkdir -p "$stage" dist
cp build/win32/corva16.exe build/win32/quillsafe.exe "$stage/"
sed 's/$/\r/' resources/release/README.txt > "$stage/README.txt"
(cd "$stage" && sha256sum corva16.exe quillsafe.exe README.txt | sed 's/$/\r/' > SHA256SUMS.txt)
zip="dist/corva16-$version.zip"
rm -f "$zip"
# Stored times are the build's; -X leaves out Unix owners and permissions.
(cd "$stage" && zip -q -X -9 "../../../$zip" corva16.exe quillsafe.exe README.txt SHA256SUMS.txt)
check "$zip"
ls -l "$zip"
