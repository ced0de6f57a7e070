#!/bin/sh
# Draws the program's artwork with ImageMagick and writes it beside this script:
#   photo.jpg    228 x 172  an adjustable wrench gripping a small screen
#   logo.jpg     242 x  66  the maker's name on a blue bar
#   corva16.ico  16, 32 and 48 pixel icons
# Everything is drawn larger than its final size and scaled down at the end,
# which gives smooth edges. Re-run it after changing anything here; it needs
# ImageMagick 6 (convert) and the Liberation fonts.
# shellcheck disable=SC2086  # $frame, $plain and friends are option lists, split on purpose
set -eu

here=$(cd "$(dirname "$0")" && pwd)
# ARTWORK_KEEP=DIR keeps the intermediate layers in DIR for inspection.
if [ -n "${ARTWORK_KEEP:-}" ]; then
  work=$ARTWORK_KEEP
  mkdir -p "$work"
else
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
fi
cd "$work"

# Intermediate layers keep no dates or other metadata.
plain='-strip -define png:exclude-chunks=date,time'

# ==========================================================================
# The photo: an adjustable wrench gripping a small screen, lying on paper.
# Coordinates are in a 468 x 748 frame (twice the final size) with the jaws
# pointing down. The handle is drawn upright and then turned 14 degrees about
# the neck, the way a wrench head sits at an angle to its handle.
# ==========================================================================
W=468
H=748
frame="-size ${W}x${H}"
neck='234,404 1 14'

# --- Masks (white = inside) ------------------------------------------------

# Handle: a slightly tapered flat bar with a rounded end and a hanging slot.
convert $frame xc:black -fill white \
  -draw "circle 234,62 234,40" \
  -draw "path 'M 212,62 L 256,62 L 263,340 C 265,372 272,394 280,430 L 188,430 C 196,394 203,372 205,340 Z'" \
  -fill black -draw "roundrectangle 227,50 241,112 7,7" \
  -distort SRT "$neck" $plain handle.png

# The shallow panel pressed into the handle, and the maker's name stamped in it.
convert $frame xc:black -fill white -draw "roundrectangle 221,146 247,330 13,13" \
  -distort SRT "$neck" $plain panel.png
convert -background black -fill white -font Liberation-Sans-Bold -pointsize 18 \
  label:CORVANE -rotate -90 -gravity center -extent 26x184 $plain stamplabel.png
convert $frame xc:black stamplabel.png -geometry +221+146 -compose Over -composite \
  -distort SRT "$neck" $plain stamp.png

# Head and fixed jaw, with the throat and the window for the worm screw.
convert $frame xc:black -fill white \
  -draw "path 'M 204,398 C 158,404 122,434 120,480 C 118,508 124,530 136,546 Q 142,554 152,553 L 169,551 L 169,488 L 299,488 L 299,472 L 348,472 C 354,440 330,406 264,398 Z'" \
  $plain head.png
convert $frame xc:black -fill white -draw "roundrectangle 222,420 318,462 20,20" $plain window.png
convert head.png handle.png -compose Lighten -composite \
  \( window.png -negate \) -compose Multiply -composite $plain body.png

# The adjustable jaw: a separate piece below the seam.
convert $frame xc:black -fill white \
  -draw "path 'M 301,476 L 342,476 C 358,484 360,516 346,536 C 340,545 332,553 318,553 L 301,551 Z'" \
  $plain jaw.png

# The screen's case.
convert $frame xc:black -fill white -draw "roundrectangle 171,490 299,602 11,11" $plain case.png

# --- Steel -----------------------------------------------------------------

# Light falls from the upper left: a broad sweep, bright bands where the
# polished faces catch the window, a fine brushed grain, and a soft highlight
# along the handle's left edge.
convert $frame xc: -sparse-color Barycentric '60,40 #dfe4e8 420,700 #59626b' \
  \( $frame xc:black -fill white \
     -draw "polygon -100,250 600,-60 600,-10 -100,300" \
     -draw "polygon -100,520 600,210 600,236 -100,546" \
     -draw "polygon -100,640 600,330 600,400 -100,710" -blur 0x14 -evaluate multiply 0.55 \) \
  -compose Screen -composite \
  \( $frame xc:white -fill gray30 \
     -draw "polygon -100,430 600,120 600,170 -100,480" -blur 0x18 \) \
  -compose Multiply -composite $plain sweep.png
convert $frame xc:gray50 -seed 16 -attenuate 0.7 +noise Uniform -colorspace Gray \
  -motion-blur 0x24+76 -level 34%,66% $plain grain.png
convert $frame xc:black -fill white -stroke none \
  -draw "polygon 214,80 219,80 212,330 207,330" -blur 0x3 \
  -distort SRT "$neck" $plain streak.png
convert $frame xc:black -fill white -draw "ellipse 176,452 30,22 0,360" -blur 0x14 \
  $plain headgloss.png
convert sweep.png \( grain.png -evaluate multiply 0.5 -evaluate add 25% \) -compose Overlay -composite \
  \( streak.png -evaluate multiply 0.85 \) -compose Screen -composite \
  \( headgloss.png -evaluate multiply 0.45 \) -compose Screen -composite \
  $plain steel.png

# Relief: a blurred outline lit at 30 degrees is mid grey where flat, light on
# edges facing the lamp and dark on the others; HardLight puts that on the
# steel as rounded, polished edges.
relief() { # mask blur out
  convert "$1" -blur "0x$2" -shade 125x30 -blur 0x0.8 -sigmoidal-contrast 3x50% $plain "$3"
}
relief body.png 4 body-relief.png
relief jaw.png 4 jaw-relief.png
# A broad, gentle version of the same gives the forged, rounded body.
relief body.png 16 body-round.png
relief jaw.png 16 jaw-round.png
relief case.png 4 case-relief.png
# Pressed-in shapes are lit from the other side.
convert panel.png -negate -blur 0x2.5 -shade 125x30 $plain panel-relief.png
convert stamp.png -negate -blur 0x1 -shade 125x30 $plain stamp-relief.png

# Body: steel with its relief, the panel a little darker with its own rim and
# the stamp.
convert steel.png body-round.png -compose Overlay -composite \
  body-relief.png -compose HardLight -composite \
  \( steel.png -modulate 84 panel-relief.png -compose HardLight -composite \
     stamp-relief.png -compose HardLight -composite \) \
  panel.png -compose Over -composite \
  \( body.png -blur 0x0.6 \) -alpha off -compose CopyOpacity -composite $plain body-layer.png

# The adjustable jaw is a separate forging, a shade darker than the body.
convert steel.png -modulate 90,80 jaw-round.png -compose Overlay -composite \
  jaw-relief.png -compose HardLight -composite \
  \( jaw.png -blur 0x0.6 \) -alpha off -compose CopyOpacity -composite $plain jaw-layer.png

# --- The worm screw, seen through its window --------------------------------

# Behind the window: the dark inside of the head.
convert $frame xc:'#1b1f23' \( window.png -morphology Dilate Disk:2 \) \
  -alpha off -compose CopyOpacity -composite $plain recess.png

# The screw: a cylinder lying across the window, its thread cut in slanted
# ridges, shaded dark at the bottom and lit along the top.
convert -size 84x34 xc:'#b9c0c6' \
  \( -size 84x34 xc:none -stroke 'rgba(30,34,38,0.8)' -strokewidth 2 \
     -draw "line 5,0 -3,34"  -draw "line 13,0 5,34"  -draw "line 21,0 13,34" \
     -draw "line 29,0 21,34" -draw "line 37,0 29,34" -draw "line 45,0 37,34" \
     -draw "line 53,0 45,34" -draw "line 61,0 53,34" -draw "line 69,0 61,34" \
     -draw "line 77,0 69,34" -draw "line 85,0 77,34" -draw "line 93,0 85,34" \
     -stroke 'rgba(255,255,255,0.55)' -strokewidth 1.2 \
     -draw "line 7,0 -1,34"  -draw "line 15,0 7,34"  -draw "line 23,0 15,34" \
     -draw "line 31,0 23,34" -draw "line 39,0 31,34" -draw "line 47,0 39,34" \
     -draw "line 55,0 47,34" -draw "line 63,0 55,34" -draw "line 71,0 63,34" \
     -draw "line 79,0 71,34" -draw "line 87,0 79,34" \) -compose Over -composite \
  \( -size 1x34 gradient:'#f4f6f8'-'#1c2024' -sigmoidal-contrast 2x30% -scale 84x34! \) \
  -compose Multiply -composite -level 0%,85% \
  \( -size 84x34 xc:black -fill white -draw "roundrectangle 0,2 83,31 8,12" -blur 0x0.6 \) \
  -alpha off -compose CopyOpacity -composite $plain screw.png
convert $frame xc:none screw.png -geometry +228+424 -compose Over -composite $plain screw-layer.png

# --- The screen -------------------------------------------------------------

# Case: dark plastic, lighter at the top, with a rounded rim.
convert $frame gradient:'#4a5058'-'#16191c' case-relief.png -compose HardLight -composite \
  \( case.png -blur 0x0.6 \) -alpha off -compose CopyOpacity -composite $plain case-layer.png

# Glass: deep blue, the prompt in light grey with a faint glow, and a soft
# sheen across the upper left.
convert -size 110x84 gradient:'#173c82'-'#071532' \
  -font Liberation-Mono-Bold -pointsize 22 -fill '#d3d6d9' -annotate +8+26 'C:\\>' \
  -draw "rectangle 61,23 73,26" \
  \( +clone -blur 0x2.5 -level 0%,60% \) -compose Screen -composite \
  \( -size 110x84 xc:black -fill 'gray18' -draw "polygon 0,0 62,0 8,84 0,84" -blur 0x3 \) \
  -compose Screen -composite \
  \( -size 110x84 xc:black -fill white -draw "roundrectangle 0,0 109,83 4,4" \) \
  -alpha off -compose CopyOpacity -composite $plain glass.png
# The glass sits a little below the rim: a thin shadow along its top and left.
convert $frame xc:none -fill 'rgba(0,0,0,0.8)' -draw "roundrectangle 178,497 292,586 6,6" \
  -blur 0x1.5 glass.png -geometry +180+499 -compose Over -composite \
  -fill '#39d36c' -draw "circle 284,594 284,596.5" \
  $plain face.png
convert $frame xc:none -fill 'rgba(90,240,140,0.55)' -draw "circle 284,594 284,600" -blur 0x3 $plain led-glow.png

# The jaws press on the case: each throws a soft shadow onto it.
convert $frame xc:black -fill white \
  -draw "rectangle 160,478 174,553" -draw "rectangle 296,478 310,553" -blur 0x4 \
  case.png -compose Multiply -composite -evaluate multiply 0.6 $plain jaw-shadow-alpha.png
convert $frame xc:black jaw-shadow-alpha.png -alpha off -compose CopyOpacity -composite \
  $plain jaw-shadow.png

# A dark hairline where the adjustable jaw meets the body.
convert $frame xc:none -fill none -stroke 'rgba(20,24,28,0.8)' -strokewidth 2.5 \
  -draw "line 301,474 346,474" $plain seam.png

# --- Assemble, tilt, and lay on the paper ------------------------------------

convert case-layer.png face.png -compose Over -composite \
  led-glow.png -compose Over -composite \
  jaw-shadow.png -compose Over -composite \
  recess.png -compose Over -composite \
  screw-layer.png -compose Over -composite \
  seam.png -compose Over -composite \
  jaw-layer.png -compose Over -composite \
  body-layer.png -compose Over -composite \
  -background none -virtual-pixel transparent -distort SRT '234,470 1 -5 228,514' \
  $plain group.png

# The shadow falls down and to the right, soft, as from a large window.
convert group.png -alpha extract -blur 0x10 -evaluate multiply 0.55 \
  -background black -virtual-pixel black -distort SRT '0,0 1 0 14,20' $plain shadow-alpha.png
convert $frame xc:'#2b2219' shadow-alpha.png -alpha off -compose CopyOpacity -composite \
  $plain shadow.png

# Paper: warm grey, brightest where the light falls, faintly mottled, with a
# fine tooth.
convert $frame radial-gradient:'#f4efe7'-'#a99f92' -distort SRT '234,374 1.6 0 190,290' \
  \( $frame xc:gray50 -seed 5 -attenuate 1.0 +noise Gaussian -colorspace Gray -blur 0x9 \
     -auto-level -evaluate multiply 0.22 -evaluate add 39% \) -compose SoftLight -composite \
  \( $frame xc:gray50 -seed 7 -attenuate 2.0 +noise Gaussian -colorspace Gray -blur 0x0.6 \) \
  -compose SoftLight -composite $plain paper.png

# Stored in the shape the wizard draws it, at twice the size of its first page's
# picture: decoded at half its size, that picture is drawn as it comes, and a
# larger one (at more dots per inch) still has the detail.
convert paper.png shadow.png -compose Over -composite group.png -compose Over -composite \
  -filter Lanczos -resize 228x172! \
  -sampling-factor 1x1 -quality 75 -strip "$here/photo.jpg"

# ==========================================================================
# The logo: CORVANE in white capitals on a blue pill-shaped bar. Drawn at
# 1492 x 192, twice the final size.
# ==========================================================================
LW=1492
LH=192
lframe="-size ${LW}x${LH}"
bar="roundrectangle 8,8 1483,183 88,88"

convert $lframe xc:black -fill white -draw "$bar" $plain bar-mask.png

# The bar: deep blue, lighter at the top, a soft gloss over its upper half and
# a gently rounded rim.
convert $lframe gradient:'#3a7de0'-'#0b3a8e' \
  \( $lframe xc:black -fill white -draw "roundrectangle 40,14 1451,96 60,42" -blur 0x10 \
     -evaluate multiply 0.15 \) -compose Screen -composite \
  \( bar-mask.png -blur 0x6 -shade 110x30 -sigmoidal-contrast 2x50% \) -compose Overlay -composite \
  $plain bar-fill.png

# The name: tracked out a little, centred on the bar by its capitals, with a
# faint shadow below.
convert -background none -fill white -font Liberation-Sans-Bold -pointsize 124 \
  -kerning 14 label:CORVANE -trim +repage $plain name.png
convert name.png -fill '#06245c' -colorize 100 -background none -alpha set \
  -channel A -evaluate multiply 0.6 +channel -blur 0x3 $plain name-shadow.png

# Stored at twice the size of the first page's logo as well; its lettering needs a
# higher quality than the photo.
convert $lframe xc:white \
  \( bar-fill.png bar-mask.png -alpha off -compose CopyOpacity -composite \) -compose Over -composite \
  \( name-shadow.png \) -gravity center -geometry +0+5 -compose Over -composite \
  name.png -gravity center -geometry +0+0 -compose Over -composite \
  -filter Lanczos -resize 242x66! \
  -sampling-factor 1x1 -quality 85 -strip "$here/logo.jpg"

# ==========================================================================
# The icon: the screen with a prompt, and the wrench clamped on its corner.
# Drawn at 192 x 192 and scaled to 48 and 32; the 16 pixel image has a bolder
# outline and a plain ">_" instead of the full prompt.
# ==========================================================================
IF="-size 192x192"

# The wrench, upright with its head centred at 96,122, jaws down; then turned
# 45 degrees so the handle points to the upper right and the jaws close on the
# screen's top right corner.
convert $IF xc:black -fill white \
  -draw "circle 96,50 96,38" \
  -draw "polygon 85,50 107,50 111,100 81,100" \
  -draw "circle 96,122 96,89" \
  -draw "path 'M 64,128 L 84,128 L 84,168 L 76,168 Q 68,162 66,150 Z'" \
  -draw "path 'M 128,128 L 108,128 L 108,168 L 116,168 Q 124,162 126,150 Z'" \
  -fill black -draw "rectangle 84,142 108,192" -draw "roundrectangle 92,42 100,62 4,4" \
  -virtual-pixel black -distort SRT '96,122 0.86 45 144,56' $plain icon-wrench-mask.png
convert $IF xc: -sparse-color Barycentric '110,20 #f5f7f9 180,100 #66707a' \
  \( icon-wrench-mask.png -blur 0x3 -shade 125x30 -sigmoidal-contrast 3x50% \) \
  -compose HardLight -composite $plain icon-wrench-fill.png
icon_wrench() { # outline-radius out
  convert $IF xc:'#202429' \( icon-wrench-mask.png -morphology Dilate "Disk:$1" \) \
    -alpha off -compose CopyOpacity -composite \
    \( icon-wrench-fill.png icon-wrench-mask.png -alpha off -compose CopyOpacity -composite \) \
    -compose Over -composite $plain "$2"
}
icon_wrench 3.5 icon-wrench.png
icon_wrench 7 icon-wrench-bold.png
convert icon-wrench-mask.png -morphology Dilate Disk:3.5 -blur 0x4 -evaluate multiply 0.45 \
  -virtual-pixel black -distort SRT '0,0 1 0 3,5' $plain icon-shadow-alpha.png
convert $IF xc:black icon-shadow-alpha.png -alpha off -compose CopyOpacity -composite \
  $plain icon-shadow.png

# The screen's case: dark plastic with a rounded rim and a near-black outline.
icase="roundrectangle 6,74 130,172 14,14"
convert $IF xc:black -fill white -draw "$icase" $plain icon-case-mask.png
convert $IF gradient:'#5d646d'-'#1d2024' \
  \( icon-case-mask.png -blur 0x3 -shade 125x30 \) -compose HardLight -composite \
  icon-case-mask.png -alpha off -compose CopyOpacity -composite $plain icon-case.png

# The glass: blue, with the prompt in light grey.
convert -size 100x74 gradient:'#3069d6'-'#0d2766' \
  -font Liberation-Mono-Bold -pointsize 32 -fill '#eef1f5' -annotate +5+34 'C:\\>' \
  -draw "rectangle 78,30 94,35" \
  \( -size 100x74 xc:black -fill white -draw "roundrectangle 0,0 99,73 6,6" \) \
  -alpha off -compose CopyOpacity -composite $plain icon-glass.png
convert -size 100x74 gradient:'#3a74e0'-'#123080' \
  -fill none -stroke '#f2f5f8' -strokewidth 12 -draw "polyline 14,16 32,30 14,44" \
  -stroke none -fill '#f2f5f8' -draw "rectangle 44,40 72,50" \
  \( -size 100x74 xc:black -fill white -draw "roundrectangle 0,0 99,73 6,6" \) \
  -alpha off -compose CopyOpacity -composite $plain icon-glass-bold.png

icon_master() { # outline-width glass wrench out
  convert $IF xc:none -fill none -stroke '#111316' -strokewidth "$1" -draw "$icase" \
    icon-case.png -compose Over -composite \
    "$2" -geometry +18+86 -compose Over -composite \
    icon-shadow.png -compose Over -composite \
    "$3" -compose Over -composite $plain "$4"
}
icon_master 6 icon-glass.png icon-wrench.png icon-master.png
icon_master 12 icon-glass-bold.png icon-wrench-bold.png icon-master-bold.png

convert icon-master.png -filter Lanczos -resize 48x48 $plain icon-48.png
convert icon-master.png -filter Lanczos -resize 32x32 $plain icon-32.png
convert icon-master-bold.png -filter Lanczos -resize 16x16 $plain icon-16.png
. "$here/icon-file.sh"
icon_file "$here/corva16.ico"
