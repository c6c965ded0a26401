#!/usr/bin/env bash
# Start-up as the user sees it: a frameless splash in the middle of the screen for about three
# seconds, which keys and clicks do not cut short, then the board alone, maximised.
set -euo pipefail
export E2E_TIME_LIMIT=30
# shellcheck source-path=SCRIPTDIR source=harness.sh
source "$(dirname "$0")/harness.sh"

e2e_start_x
e2e_spy clients root _NET_CLIENT_LIST # the window manager's list of the windows it shows
e2e_launch                            # and no msg.txt: an empty store, not an error

e2e_wait 5 "splash window" e2e_some_window
splash_at=$EPOCHREALTIME
mapfile -t windows < <(e2e_program_windows)
[ ${#windows[@]} -eq 1 ] || e2e_fail "${#windows[@]} windows at start-up, expected the splash only"
splash=${windows[0]}
[ -z "$(e2e_board)" ] || e2e_fail "the board is shown with the splash"
e2e_log "splash $splash mapped $(e2e_since "$E2E_LAUNCHED_AT") s after launch"

e2e_wait 2 "frame extents of the splash" e2e_frame_extents "$splash"
read -r l r t b < <(e2e_frame_extents "$splash")
[ "$l $r $t $b" = "0 0 0 0" ] || e2e_fail "the splash has a frame: extents $l $r $t $b"
read -r x y width height < <(e2e_geometry "$splash")
dx=$((2 * x + width - E2E_SCREEN_W)) dy=$((2 * y + height - E2E_SCREEN_H))
e2e_log "splash at $x,$y size ${width}x$height"
[ "${dx#-}" -le 2 ] || e2e_fail "splash not centred across: ${width} wide at $x"
[ "${dy#-}" -le 2 ] || e2e_fail "splash not centred down: $height high at $y"

# Neither a click nor a key shortens the three seconds.
e2e_x xdotool mousemove --sync $((x + width / 2)) $((y + height / 2)) click 1
splash_focused() { [ "$(e2e_x xdotool getwindowfocus)" = "$splash" ]; }
e2e_wait 2 "keyboard focus on the splash" splash_focused
e2e_key Escape Return space

splash_gone() {
    local windows
    windows=$(e2e_program_windows) && [[ $windows != *"$splash"* ]]
}
e2e_wait 8 "end of the splash" splash_gone
# From the launch, which comes before the splash's wait starts: never less than 3 s.
splash_seconds=$(e2e_since "$E2E_LAUNCHED_AT")
board=$(e2e_wait_board 5)
board_seconds=$(e2e_since "$splash_at")
e2e_log "splash gone $splash_seconds s after launch; board maximised $board_seconds s after" \
    "the splash was seen"
# Three seconds of the time of day, in single precision: either end may be rounded by up to 1/256 s.
e2e_check "$splash_seconds" '>=' 2.95 || e2e_fail "splash gone after $splash_seconds s, not 3"
# Three seconds, and the board loaded and laid out: a tenth of a second here, and up to three
# seconds for a loaded machine before a user would think it stuck.
e2e_check "$board_seconds" '<' 6 || e2e_fail "board only $board_seconds s after the splash"

[ "$(e2e_x xprop -id "$board" WM_NAME)" = 'WM_NAME(STRING) = "Trevolo "' ] ||
    e2e_fail "board title: $(e2e_x xprop -id "$board" WM_NAME)"
mapfile -t windows < <(e2e_program_windows)
[ "${windows[*]}" = "$board" ] || e2e_fail "windows shown with the board: ${windows[*]}"
# Every value the window manager's list ever had: at most one window of ours at a time.
together=$(grep -c '#.*,' "$E2E_DIR/clients.spy" || true)
[ "$together" -eq 0 ] || e2e_fail "splash and board on screen together: $(<"$E2E_DIR/clients.spy")"

e2e_wait 5 "letters on the board" e2e_letters_drawn "$board"
e2e_log "board shows letters: $(e2e_dark_percent "$board") % dark pixels"
[ ! -e "$E2E_MSG" ] || e2e_fail "start-up wrote msg.txt"
