#!/bin/sh
# Renders the desktop's icon sizes from titora.svg with librsvg's rsvg-convert
# (Debian package librsvg2-bin). Cairo writes no time stamp or other varying data
# into a PNG, so the same command gives the same bytes on every machine with the
# same librsvg.
#
#   icons/NxN/titora.png   for N = 16, 32, 48, 64, 128 and 256, installed under
#                          share/icons/hicolor beside the SVG itself
#
# Usage: resources/make_icons.sh [output folder]   (default: this folder's icons/)
set -eu

here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/icons}
command -v rsvg-convert >/dev/null || {
    echo "rsvg-convert is needed: apt-get install librsvg2-bin" >&2
    exit 1
}

for size in 16 32 48 64 128 256; do
    mkdir -p "$out/${size}x${size}"
    rsvg-convert --width "$size" --height "$size" --format png \
        --output "$out/${size}x${size}/titora.png" "$here/titora.svg"
done
