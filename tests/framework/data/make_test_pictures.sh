#!/bin/sh
# Remakes the small JPEG pictures the framework tests decode (ImageMagick from Debian).
# Left half red, right half blue, so that a decoded picture can be checked by its colours.
set -e
cd "$(dirname "$0")"
convert -size 40x30 xc:red -fill blue -draw "rectangle 20,0 39,29" -interlace JPEG -quality 95 progressive.jpg
convert -size 40x30 xc:red -fill blue -draw "rectangle 20,0 39,29" -interlace none -quality 95 baseline.jpg
convert -size 8x8 xc:gray50 -colorspace Gray -quality 95 gray.jpg
