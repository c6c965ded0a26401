#!/usr/bin/env bash
# A keyboard-only user on a 640 x 480 screen, narrower than the editor's designed size: Alt+A, M
# opens the editor whole on the screen and centred over the board; Tab into the list highlights
# its only message and Alt+Q takes it back into the text box; Tab, typing and Return add a new
# one; Alt+R writes msg.txt.
set -euo pipefail
export E2E_TIME_LIMIT=40
# shellcheck source-path=SCRIPTDIR source=harness.sh
source "$(dirname "$0")/harness.sh"

E2E_SCREEN_W=640
E2E_SCREEN_H=480
e2e_start_x
e2e_write_messages '*uno'
e2e_launch
board=$(e2e_wait_board 10)

editor=$(e2e_open_editor)

# Its frame, title bar and close button included, lies on the screen, centred over the board's.
e2e_wait 3 "the editor's frame" e2e_frame_extents "$editor"
read -r l r t b < <(e2e_frame_extents "$editor")
read -r x y width height < <(e2e_geometry "$editor")
read -r bl br bt bb < <(e2e_frame_extents "$board")
read -r bx by bwidth bheight < <(e2e_geometry "$board")
e2e_log "editor frame $((x - l)),$((y - t)) $((width + l + r))x$((height + t + b))"
if [ $((x - l)) -lt 0 ] || [ $((y - t)) -lt 0 ] || [ $((x + width + r)) -gt "$E2E_SCREEN_W" ] ||
    [ $((y + height + b)) -gt "$E2E_SCREEN_H" ]; then
    e2e_fail "the editor reaches off the screen"
fi
# Twice the distance between the centres; within 2 pixels, a device-independent one at scale 2.
off_centre=$(((2 * x + width + r - l) - (2 * bx + bwidth + br - bl)))
off_middle=$(((2 * y + height + b - t) - (2 * by + bheight + bb - bt)))
if [ "${off_centre#-}" -gt 4 ] || [ "${off_middle#-}" -gt 4 ]; then
    e2e_fail "the editor's frame is not centred over the board's ($off_centre, $off_middle half pixels)"
fi

# From "Regresar", Tab enters the list; Alt+Q removes what it highlighted. The button clicks a
# moment later.
crop=$(e2e_list_crop "$editor")
e2e_key Tab
e2e_still_shot list "$editor" "$crop"
e2e_key alt+q
e2e_wait 3 "the item gone from the list after Alt+Q" e2e_shot_changed list "$editor" "$crop"
# The list to the text box, whose removed text the typing replaces; Return adds.
e2e_key Tab
e2e_x xdotool type --delay 30 'dos'
e2e_key Return
e2e_app_running || e2e_fail "the program ended"
[ -n "$(e2e_windows_named '^Mensajes Subliminales$')" ] || e2e_fail "Return closed the editor"
e2e_key alt+r
e2e_wait 3 "editor closed after Alt+R" e2e_editor_gone

e2e_expect_file "$E2E_MSG" 'DOS\r\n' "after Alt+R"
