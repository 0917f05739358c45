#!/usr/bin/env bash
# Draws the Agent's five icons (32 x 32 and 16 x 16, 16 colours) with ImageMagick. The .ico files
# are kept in the repository; run this only to change them.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
icon() {  # file, frame colour, landscape colour
  convert -size 32x32 xc:none -fill "$2" -draw "roundrectangle 1,3 30,28 3,3" -fill "$3" \
          -draw "polygon 4,25 12,12 18,20 22,15 28,25" -fill white -draw "circle 23,9 25,9" \
          -colors 16 "PNG8:$tmp/32.png"
  convert "$tmp/32.png" -resize 16x16 -colors 16 "PNG8:$tmp/16.png"
  convert "$tmp/32.png" "$tmp/16.png" -type PaletteAlpha -colors 16 "$1"
}
icon agent.ico '#1f5fa8' '#3c9a3c'
icon tray_normal.ico '#1f5fa8' '#3c9a3c'
icon tray_disabled.ico '#7f7f7f' '#b0b0b0'
icon tray_working.ico '#d08000' '#ffd040'
icon tray_conflict.ico '#b01010' '#ff8080'
