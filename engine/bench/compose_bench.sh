#!/usr/bin/env bash
# Times native djpeg and ImageMagick on a 6000 x 4000 photo, then runs compose_bench under Wine on
# the same file, which prints its own figures beside theirs.
# Usage: engine/bench/compose_bench.sh [build-folder] [photo.jpg]
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
photo=${2:-}

if [ -z "$photo" ]; then
  photo="$build/bench/photo-6000x4000.jpg"
  if [ ! -f "$photo" ]; then
    mkdir -p "$build/bench"
    convert /usr/share/backgrounds/mate/abstract/Elephants_5640x3172.jpg -resize '6000x4000!' -quality 92 \
            -sampling-factor 2x2 "$photo"
  fi
fi

# Best of three wall-clock runs, in milliseconds.
best_ms() {
  local best=""
  for _ in 1 2 3; do
    local start end ms
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    ms=$(( (end - start) / 1000000 ))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  echo "$best"
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
djpeg_ms=$(best_ms djpeg -outfile /dev/null "$photo")
djpeg_bmp_ms=$(best_ms djpeg -bmp -outfile "$scratch/djpeg.bmp" "$photo")
convert_ms=$(best_ms convert "$photo" -resize 1920x1080 "$scratch/convert.bmp")

cmake --build "$build" --target compose_bench kv_textures >/dev/null

source "$here/tools/wine-env"
kv_make_prefix
kv_start_wineserver
trap 'kv_stop_wineserver; rm -rf "$scratch"' EXIT
cd "$build/engine"
wine compose_bench.exe "$(winepath -w "$photo")" "$djpeg_ms" "$djpeg_bmp_ms" "$convert_ms"
