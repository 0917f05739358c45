#!/usr/bin/env bash
# The composition of the camera-like photo onto a 1920 x 1080 desktop beside vipsthumbnail and
# ImageMagick; one part of tools/bench. Usage: engine/bench/compose_bench.sh [build-folder]
here=$(cd "$(dirname "$0")/../.." && pwd)
exec "$here/tools/bench" --only compose --build "${1:-$here/build}"
