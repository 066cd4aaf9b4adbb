#!/usr/bin/env bash
# Renders lingerjob.svg into the committed icon files: PNGs for the Linux desktop
# and the window, and lingerjob.ico for Windows with three images
# (32x32 in 2 colours, 32x32 in 16 colours, 16x16 in 16 colours).
# Needs Debian's imagemagick, librsvg2-bin (ImageMagick's SVG renderer) and
# icoutils; rerun after changing the picture.
#   make-icons.sh             renders the PNGs, then builds the .ico from them
#   make-icons.sh --ico-only  builds the .ico from the PNGs as they are
set -euo pipefail
cd "$(dirname "$0")"
convert=/usr/bin/convert  # ImageMagick's own, not any wrapper earlier on PATH
if [ "${1:-}" != --ico-only ]; then
    for size in 16 32 48 64 128 256; do
        "$convert" -background none -density $((96 * size / 32)) lingerjob.svg \
            -resize "${size}x${size}" -strip "PNG32:lingerjob-$size.png"
    done
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# The 2-colour image: each pixel black or white by its brightness (a threshold,
# not dithering, which would speckle a picture this small).
"$convert" lingerjob-32.png -background white -flatten -colorspace Gray -threshold 50% \
    +dither -colors 2 -type Palette -strip "PNG8:$tmp/32-2.png"
"$convert" lingerjob-32.png -background white -flatten -colors 16 -type Palette -strip "PNG8:$tmp/32-16.png"
"$convert" lingerjob-16.png -background white -flatten -colors 16 -type Palette -strip "PNG8:$tmp/16-16.png"
icotool -c -o lingerjob.ico "$tmp/32-2.png" "$tmp/32-16.png" "$tmp/16-16.png"
icotool -l lingerjob.ico
