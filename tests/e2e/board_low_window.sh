#!/usr/bin/env bash
# A board 440 pixels high with its frame: above the 6350 twips (423 pixels) under which the
# letter fitting gives up and lowers the letters to its floor, while the window's inside, below
# the title bar, is not. The letters keep a readable size only if the fitting counts the frame.
# The grid, shrunk to fit, shows every glyph apart and inside the window.
set -euo pipefail
export E2E_TIME_LIMIT=30
# shellcheck source-path=SCRIPTDIR source=harness.sh
source "$(dirname "$0")/harness.sh"

E2E_SCREEN_W=1280 E2E_SCREEN_H=440
e2e_start
board=$(e2e_wait_board 10)
e2e_board_glyphs "$board"
read -r _ _ _ menu < <(e2e_geometry "$board") # only for the window's height
glyphs=$(wc -l <"$E2E_DIR/glyphs")
tallest=$(awk '$2 > t { t = $2 } END { print t + 0 }' "$E2E_DIR/glyphs")
lowest=$(awk '$2 + $4 > b { b = $2 + $4 } END { print b + 0 }' "$E2E_DIR/glyphs")
e2e_log "$glyphs glyphs, the tallest $tallest pixels; ink down to $((lowest + 40)) of $menu"
[ "$glyphs" -ge 50 ] || e2e_fail "only $glyphs glyphs on the board, expected 50"
# 8 points are 11 pixels: a cap at the floor is under 10 pixels high.
[ "$tallest" -ge 20 ] || e2e_fail "letters at the floor size: the tallest glyph is $tallest px"
[ $((lowest + 40)) -le "$menu" ] || e2e_fail "glyphs cut off at the bottom"
