#!/bin/sh
# Renders the desktop's icon sizes from titora.svg with librsvg's rsvg-convert
# (Debian package librsvg2-bin). Cairo writes no time stamp or other varying data
# into a PNG, so the same command gives the same bytes on every machine with the
# same librsvg.
#
#   icons/NxN/titora.png   for N = 16, 32, 48, 64, 128 and 256, installed under
#                          share/icons/hicolor beside the SVG itself
#   titora.ico             some of them in one icon file, for Windows
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

# titora.ico for Windows (the programs' and the installer's icon): the 16, 32, 48 and 256
# pixel PNGs as they are, which an icon file may hold since Windows Vista.
python3 - "$out" "$here/titora.ico" <<'PYTHON'
import struct, sys
sizes = (16, 32, 48, 256)
images = [open(f"{sys.argv[1]}/{n}x{n}/titora.png", "rb").read() for n in sizes]
offset = 6 + 16 * len(images)
entries = b""
for size, data in zip(sizes, images):
    side = size % 256  # 0 stands for 256
    entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data), offset)
    offset += len(data)
with open(sys.argv[2], "wb") as ico:
    ico.write(struct.pack("<HHH", 0, 1, len(images)) + entries + b"".join(images))
PYTHON
