#!/usr/bin/env bash
# Draws the screen saver's three icons (32 x 32 and 16 x 16, 16 colours) with ImageMagick: a monitor
# showing a landscape. The .ico files are kept in the repository; run this only to change them.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
icon() {  # file, screen frame colour, landscape colour, sky colour
  convert -size 32x32 xc:none -fill '#404040' -draw "rectangle 12,25 19,28" -draw "rectangle 8,28 23,30" \
          -fill "$2" -draw "roundrectangle 1,2 30,25 2,2" -fill "$4" -draw "rectangle 4,5 27,22" \
          -fill "$3" -draw "polygon 4,22 11,12 16,18 21,13 27,22" -fill '#ffe060' -draw "circle 22,9 24,9" \
          -colors 16 "PNG8:$tmp/32.png"
  convert "$tmp/32.png" -resize 16x16 -colors 16 "PNG8:$tmp/16.png"
  convert "$tmp/32.png" "$tmp/16.png" -type PaletteAlpha -colors 16 "$1"
}
icon saver.ico '#303a48' '#3c9a3c' '#4080d0'
icon configure.ico '#303a48' '#d08000' '#4080d0'
icon saver_small.ico '#303a48' '#3c9a3c' '#102040'
