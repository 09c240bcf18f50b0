#!/usr/bin/env bash
# Makes the PNG icons from scoutwell.svg; run by hand after changing the drawing (needs
# librsvg2-bin). The PNGs are kept in the repository so that building needs no SVG tools.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" scoutwell.svg -o "scoutwell-$size.png"
done
