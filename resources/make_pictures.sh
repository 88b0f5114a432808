#!/bin/sh
# Remakes Titora's pictures from nothing but ImageMagick's drawing primitives,
# so that the same command gives the same bytes on every machine: no fonts,
# no randomness, and every time stamp and profile stripped from the files.
#
#   background.jpg  710 x 532, progressive colour JFIF (the main window shows
#                   its top-left 656 x 442; the file list covers x 64..585,
#                   y 49..409 and the flat buttons stand at x 592..650,
#                   y 64..330, so both areas stay light and quiet)
#   about.jpg       67 x 81, baseline colour JFIF (the About box shows its
#                   left 65 columns)
#   titora.png      32 x 32 program icon with a 16-colour palette
#
# Usage: resources/make_pictures.sh [output folder]   (default: this folder)
set -eu

here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here}
command -v convert >/dev/null || { echo "ImageMagick's convert is needed" >&2; exit 1; }

# One palette for all three pictures keeps them visibly of one family.
slate_dark='#24405f'
slate='#35597f'
slate_light='#5a7fa6'
paper='#f7f9fb'
paper_shade='#d5dee8'
accent='#e0a03c'
sky_top='#eef3f8'
sky_bottom='#d3dfeb'

# The page emblem: a sheet with a folded corner, three text lines and a bold
# "T" drawn from rectangles. Arguments: left, top, scale (sheet is 24 x 30
# units). Prints ImageMagick -draw primitives.
emblem() {
    x=$1 y=$2 s=$3
    awk -v x="$x" -v y="$y" -v s="$s" -v paper="$paper" -v shade="$paper_shade" \
        -v ink="$slate_dark" -v accent="$accent" 'BEGIN {
        w = 24 * s; h = 30 * s; f = 7 * s
        printf "fill %s stroke none ", paper
        printf "polygon %g,%g %g,%g %g,%g %g,%g %g,%g ", x, y, x + w - f, y, x + w, y + f, x + w, y + h, x, y + h
        printf "fill %s polygon %g,%g %g,%g %g,%g ", shade, x + w - f, y, x + w - f, y + f, x + w, y + f
        # The title bar of the page, in the accent colour: what Titora edits.
        printf "fill %s rectangle %g,%g %g,%g ", accent, x + 3 * s, y + 4 * s, x + w - f - 1 * s, y + 7 * s
        # A bold T standing on the body text.
        printf "fill %s rectangle %g,%g %g,%g ", ink, x + 5 * s, y + 11 * s, x + 19 * s, y + 14 * s
        printf "rectangle %g,%g %g,%g ", x + 10.5 * s, y + 11 * s, x + 13.5 * s, y + 25 * s
        printf "fill %s rectangle %g,%g %g,%g ", shade, x + 3 * s, y + 27 * s, x + 21 * s, y + 27.6 * s
    }'
}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# --- background.jpg -------------------------------------------------------
# A pale sky gradient under a slightly deeper header strip; a slate band down
# the left edge holding the emblem; a thin accent rule under the header; soft, very faint arcs in the
# lower right, away from the list and the buttons.
convert -size 710x532 "gradient:$sky_top-$sky_bottom" \
    \( -size 654x40 "gradient:#dde6ef-$sky_top" \) -geometry +56+0 -composite \
    \( -size 56x532 "gradient:$slate-$slate_dark" \) -geometry +0+0 -composite \
    -fill "$slate_light" -draw "rectangle 56,0 57,531" \
    -fill "$accent" -draw "rectangle 58,40 655,41" \
    -fill "$slate_light" -draw "rectangle 58,42 655,42" \
    -fill none -stroke '#c3d1df' -strokewidth 2 \
    -draw "circle 660,470 660,392" -draw "circle 660,470 660,360" \
    -draw "circle 660,470 660,328" \
    -stroke none -draw "$(emblem 7 7 1.75)" \
    -fill "$slate_light" -draw "rectangle 12,78 44,79" \
    -draw "rectangle 12,84 38,85" -draw "rectangle 12,90 42,91" \
    "$tmp/background.ppm"
convert "$tmp/background.ppm" -strip -sampling-factor 2x2 -quality 90 \
    -interlace JPEG "$out/background.jpg"

# --- about.jpg --------------------------------------------------------------
# The emblem on the slate gradient, centred on the 65 columns that show; the
# two rightmost columns repeat the slate so the cut is invisible either way.
convert -size 67x81 "gradient:$slate_light-$slate_dark" \
    -fill "$accent" -draw "rectangle 0,72 66,73" \
    -draw "$(emblem 14.5 13 1.5)" \
    "$tmp/about.ppm"
convert "$tmp/about.ppm" -strip -sampling-factor 1x1 -quality 92 \
    -interlace None "$out/about.jpg"

# --- titora.png -------------------------------------------------------------
# The emblem on a rounded slate tile, reduced to a 16-colour palette.
convert -size 32x32 xc:none \
    -fill "$slate" -draw "roundrectangle 0,0 31,31 5,5" \
    -draw "$(emblem 5.5 2.5 0.875)" \
    "$tmp/icon.png"
# A palette image keeps only on/off transparency, so the rounded corners'
# soft edge is cut at half coverage; 15 colours plus the transparent one.
convert "$tmp/icon.png" -strip -channel A -threshold 50% +channel +dither -colors 16 \
    -define png:bit-depth=4 -define png:exclude-chunks=date,time "PNG8:$out/titora.png"
