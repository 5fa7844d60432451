#!/usr/bin/env bash
# Renders the program's icon, resources/icons/kelpo.svg, into the PNGs that are committed
# beside it: one per size of the desktop's icon theme, the one built into the program, and
# the one the help pages show. Run it after changing the SVG.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v rsvg-convert >/dev/null || { echo "render-icons: needs rsvg-convert (librsvg2-bin)" >&2; exit 1; }
svg=resources/icons/kelpo.svg
for size in 16 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" "$svg" -o "resources/icons/kelpo-$size.png"
done
cp resources/icons/kelpo-64.png resources/kelpo.png
cp resources/icons/kelpo-64.png tutorial/kelpo.png
