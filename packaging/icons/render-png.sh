#!/bin/sh
# Renders the PNG sizes of the application icon from reactopt.svg. The PNGs are
# kept in the sources so that a build needs no SVG renderer; run this after
# changing the SVG (needs rsvg-convert from librsvg2-bin).
set -eu
cd "$(dirname "$0")"
for size in 16 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" reactopt.svg -o "reactopt-$size.png"
done
