#!/usr/bin/env bash
# The board goes straight back to maximised when minimised or restored.
set -euo pipefail
export E2E_TIME_LIMIT=30
# shellcheck source-path=SCRIPTDIR source=harness.sh
source "$(dirname "$0")/harness.sh"

e2e_start
board=$(e2e_wait_board 10)
e2e_spy board "$board" _NET_WM_STATE WM_STATE

# $1 changes of property $2 since the count $3, and the board maximised again.
back_to_maximised() {
    [ "$(e2e_spy_count board "^$2")" -ge $(($3 + $1)) ] && e2e_is_maximised "$board"
}

# Stays maximised for a while: no further round of state changes. Nothing shows that none will
# come, so this watches for half a second, longer than a round takes (see the logs above).
stays_maximised() {
    local changes
    changes=$(e2e_spy_count board .)
    sleep 0.5
    e2e_is_maximised "$board" || e2e_fail "board not maximised after $1"
    [ "$(e2e_spy_count board .)" -eq "$changes" ] || e2e_fail "board state still changing after $1"
}

# Minimise: the window manager iconifies it (one change), the board comes back (another).
before=$(e2e_spy_count board '^WM_STATE')
start=$EPOCHREALTIME
e2e_x xdotool windowminimize "$board"
e2e_wait 3 "board back to maximised after minimise" back_to_maximised 2 WM_STATE "$before"
e2e_log "back from minimised in $(e2e_since "$start") s"
grep -q 'window state: Iconic' "$E2E_DIR/board.spy" || e2e_log "(the iconic state went by unseen)"
stays_maximised minimise

# Restore through the window menu (Alt+Space, Restore): the window manager drops the maximised
# state (one change), the board asks for it again (another).
# Openbox's window menu is one more window mapped on the root.
mapped_on_root() {
    local w
    for w in $(e2e_x xwininfo -root -children | awk '$1 ~ /^0x/ { print $1 }'); do
        [[ $(e2e_x xwininfo -id "$w" 2>/dev/null) != *IsViewable* ]] || echo "$w"
    done
}
window_menu_open() { [ -n "$(mapped_on_root | grep -vxF "$mapped_before")" ]; }
e2e_focus "$board"
before=$(e2e_spy_count board '^_NET_WM_STATE')
mapped_before=$(mapped_on_root)
e2e_key alt+space
e2e_wait 3 "openbox's window menu after Alt+Space" window_menu_open
start=$EPOCHREALTIME
e2e_key e
e2e_wait 3 "board back to maximised after restore" back_to_maximised 2 _NET_WM_STATE "$before"
e2e_log "back from restored in $(e2e_since "$start") s"
stays_maximised restore
