#!/usr/bin/env bash
# Renders the PNG icons from the scalable one (needs librsvg2-bin); run after editing the SVG.
set -euo pipefail
cd "$(dirname "$0")/../src/resources/icons"
# The sizes that the build embeds and installs.
while read -r size; do
    rsvg-convert -w "$size" -h "$size" trevolo.svg -o "trevolo-$size.png"
done <sizes.txt
