#!/usr/bin/env bash
# Makes the tool's icon files from its one drawing, src/res/icons/nolt-pcclient.svg:
# the PNG sizes of the Linux icon theme (installed by CMake) and the Windows
# .ico (the installer's icon and the programs' icon resource), which holds
# every size Windows asks for at the usual scalings (small icons 16 to 32,
# large ones 32 to 64, Explorer's views up to 256), so that none is blown
# up from a smaller one. The results are committed, so a build needs no
# image tools; run this after changing the drawing.
set -euo pipefail
cd "$(dirname "$0")/../src/res/icons"
. ../../../scripts/lib.sh
need_packages imagemagick

THEME_SIZES=(16 32 48 64 128 256)
ICO_SIZES=(16 20 24 32 40 48 64 96 128 256)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Rendered at the target size rather than scaled down from a large picture,
# so small sizes stay sharp; no time stamps, so a rerun changes nothing.
render() {  # size, output
    convert -background none -density "$(awk -v s="$1" 'BEGIN { printf "%.4f", 72 * s / 256 }')" \
        nolt-pcclient.svg -resize "$1x$1" -strip -define png:exclude-chunks=date,time "PNG32:$2"
}
for size in "${THEME_SIZES[@]}"; do
    render "$size" "nolt-pcclient-$size.png"
done
pngs=()
for size in "${ICO_SIZES[@]}"; do
    render "$size" "$work/$size.png"
    pngs+=("$work/$size.png")
done
# ImageMagick keeps the 256 px image as PNG inside the .ico, as Windows does.
convert "${pngs[@]}" -strip nolt-pcclient.ico
identify nolt-pcclient-*.png nolt-pcclient.ico
