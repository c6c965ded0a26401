#!/usr/bin/env bash
# "Activar Mensajes" with no active message (no msg.txt at all): a modal message box titled
# "Trevolo" says "No hay mensajes seleccionados" with the information icon; Enter closes it and
# the board goes on. The switch stays off, so the same choice brings the same box again.
set -euo pipefail
export E2E_TIME_LIMIT=40
# shellcheck source-path=SCRIPTDIR source=harness.sh
source "$(dirname "$0")/harness.sh"

e2e_start
board=$(e2e_wait_board 10)
e2e_wait 5 "letters on the board" e2e_letters_drawn "$board"

# Qt's own information icon is drawn in pure blue; the warning and error icons are not.
information_icon() {
    local blue
    e2e_x import -window "$1" "$E2E_DIR/box.png" || e2e_fail "no screenshot of the box"
    blue=$(e2e_colour_pixels "$E2E_DIR/box.png" 'rgb(0,0,255)')
    [[ $blue =~ ^[0-9]+$ ]] || e2e_fail "no count of pixels: $blue"
    [ "$blue" -gt 20 ]
}

box_shown() { [ -n "$(e2e_windows_named '^Trevolo$')" ]; }
box_gone() { e2e_none_named '^Trevolo$'; }

# Alt+C, M and the box that answers it; $1 says which time.
refused() {
    e2e_open_menu c
    e2e_key m
    e2e_wait 3 "message box titled \"Trevolo\" ($1)" box_shown
    local box
    box=$(e2e_windows_named '^Trevolo$')
    [ "$(e2e_x xprop -id "$box" WM_NAME)" = 'WM_NAME(STRING) = "Trevolo"' ] ||
        e2e_fail "box title: $(e2e_x xprop -id "$box" WM_NAME)"
    [[ $(e2e_net_wm_state "$box") == *_NET_WM_STATE_MODAL* ]] || e2e_fail "the box is not modal"
    [[ $(e2e_x xprop -id "$box" WM_TRANSIENT_FOR) == *"$(printf '%#x' "$board")" ]] ||
        e2e_fail "the box does not belong to the board: $(e2e_x xprop -id "$box" WM_TRANSIENT_FOR)"
    e2e_wait 3 "focus on the box" e2e_is_active "$box"
    e2e_wait 5 "\"No hay mensajes seleccionados\" in the box ($1)" \
        e2e_shows "$box" 'No hay mensajes seleccionados'
    e2e_wait 3 "information icon in the box ($1)" information_icon "$box"
    e2e_key Return
    e2e_wait 3 "box closed after Enter ($1)" box_gone
    e2e_app_running || e2e_fail "the program ended after the box ($1)"
    [ "$(e2e_board)" = "$board" ] || e2e_fail "no board after the box ($1)"
    e2e_wait 3 "maximised board after the box ($1)" e2e_is_maximised "$board"
}

refused "first time"
# Had the check mark stayed on, this second choice would switch it off without a word.
refused "second time"
[ ! -e "$E2E_MSG" ] || e2e_fail "msg.txt was written"
