#!/bin/sh
# Draws quillsafe.ico (16, 32 and 48 pixels) beside this script, the way
# draw-artwork.sh draws corva16.ico: a large master scaled down for smooth edges.
# A sheet of paper with lines of text, a quill across it, and a green round arrow
# (back up and restore) on its lower corner. Needs ImageMagick 6 (convert).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
plain='-strip -define png:exclude-chunks=date,time'
S=192
size="-size ${S}x${S}"

# The sheet, its folded corner and its lines.
convert $size xc:none -fill '#202429' -draw "path 'M 34,14 L 128,14 L 162,48 L 162,178 L 34,178 Z'" \
  -fill white -draw "path 'M 40,20 L 124,20 L 156,52 L 156,172 L 40,172 Z'" \
  -fill '#c8d0d8' -draw "path 'M 124,20 L 124,52 L 156,52 Z'" \
  -stroke '#3a6fc4' -strokewidth 6 \
  -draw "line 54,64 132,64" -draw "line 54,86 140,86" -draw "line 54,108 124,108" \
  $plain sheet.png
# The quill: a feather laid from the upper right towards the lower left.
convert $size xc:none -fill '#7a4a1e' -stroke '#202429' -strokewidth 4 \
  -draw "path 'M 176,10 C 120,30 84,80 70,132 L 80,136 C 100,92 136,52 176,10 Z'" \
  -stroke '#202429' -strokewidth 5 -draw "line 70,132 58,158" \
  $plain quill.png
# The round arrow on a green disc.
convert $size xc:none -fill '#202429' -draw "circle 136,140 136,84" \
  -fill '#2e9e3e' -draw "circle 136,140 136,90" \
  -fill none -stroke white -strokewidth 11 -draw "ellipse 136,140 26,26 -60,200" \
  -fill white -stroke none -draw "polygon 123,106 132,136 100,128" \
  $plain arrow.png
convert sheet.png quill.png -compose Over -composite arrow.png -compose Over -composite \
  $plain master.png
convert master.png -filter Lanczos -resize 48x48 $plain icon-48.png
convert master.png -filter Lanczos -resize 32x32 $plain icon-32.png
convert master.png -filter Lanczos -resize 16x16 -unsharp 0x0.6 $plain icon-16.png
. "$here/icon-file.sh"
icon_file "$here/quillsafe.ico"
