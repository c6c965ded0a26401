#!/usr/bin/env bash
# Renders the PNG icons from the scalable one (needs librsvg2-bin); run after editing the SVG.
set -euo pipefail
cd "$(dirname "$0")/../src/resources/icons"
for size in 16 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" trevolo.svg -o "trevolo-$size.png"
done
