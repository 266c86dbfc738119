#!/usr/bin/env bash
# Makes the tool's icon files from its one drawing, src/res/icons/nolt-pcclient.svg:
# the PNG sizes of the Linux icon theme (installed by CMake) and the Windows
# .ico (the installer's icon and the programs' icon resource). The results
# are committed, so a build needs no image tools; run this after changing the
# drawing.
set -euo pipefail
cd "$(dirname "$0")/../src/res/icons"
. ../../../scripts/lib.sh
need_packages imagemagick

SIZES=(16 32 48 64 128 256)
pngs=()
for size in "${SIZES[@]}"; do
    # Rendered at the target size rather than scaled down from a large
    # picture, so small sizes stay sharp; no time stamps, so a rerun changes
    # nothing.
    convert -background none -density "$((72 * size / 256)).$((72 * size % 256 * 1000 / 256))" \
        nolt-pcclient.svg -resize "${size}x${size}" -strip \
        -define png:exclude-chunks=date,time "PNG32:nolt-pcclient-$size.png"
    pngs+=("nolt-pcclient-$size.png")
done
convert "${pngs[@]}" -strip nolt-pcclient.ico
identify nolt-pcclient-*.png nolt-pcclient.ico
