# Sourced by the artwork scripts. icon_file OUT writes icon-16.png, icon-32.png and
# icon-48.png of the current folder as one icon: palette images with a one-bit mask,
# as XP draws them anyway: 16 colours for the two small sizes, 256 for the large
# one. A quarter of the bytes of full colour with alpha.
icon_file() {
  convert \( icon-16.png -channel A -threshold 50% +channel +dither -colors 16 \) \
    \( icon-32.png -channel A -threshold 50% +channel +dither -colors 16 \) \
    \( icon-48.png -channel A -threshold 50% +channel -colors 256 \) "$1"
}
