#!/usr/bin/env bash
# The editor opened while a message is flashing: the flash does not freeze on the board. With a
# period of 1 s, the message keeps coming and going behind the editor, and after "Regresar" the
# program goes on. The message is long, so that its ends show on either side of the editor.
set -euo pipefail
export E2E_TIME_LIMIT=50
# shellcheck source-path=SCRIPTDIR source=harness.sh
source "$(dirname "$0")/harness.sh"

e2e_start_x
e2e_write_messages '*HOLA HOLA HOLA HOLA HOLA HOLA HOLA HOLA HOLA HOLA'
e2e_launch
board=$(e2e_wait_board 10)
e2e_wait 5 "grid on the board" e2e_grid_drawn "$board"

# Left of the editor, at the height of the board's middle, where the long message's start shows.
side=300x80+0+$((E2E_SCREEN_H / 2 - 40))

# A period of 1 s through "Temporizador", then "Activar Mensajes".
e2e_open_period "$board" >/dev/null
e2e_enter_period "$board" 1
e2e_open_menu c
e2e_key m

# "Mensajes Subliminales ..." chosen as soon as a message is up.
e2e_open_menu a
e2e_watch "$side" 3 --until-seen
[ -n "$(e2e_flashes)" ] || e2e_fail "no flash in 3 s with a period of 1 s"
e2e_key m
editor=$(e2e_wait_editor)

# Behind the editor the flash comes and goes at its period: in 4 s, three flashes start there,
# or four; two allow for one that the opening of the editor delayed.
e2e_watch "$side" 4
starts=$(e2e_flashes | awk -v first="$(awk 'NR == 1 { print $1 }' "$E2E_DIR/watch")" \
    '$1 != first' | wc -l)
e2e_log "$starts flashes started behind the editor in 4 s"
[ "$starts" -ge 2 ] || e2e_fail "the flash froze behind the editor: $starts flashes in 4 s"

e2e_focus "$editor"
e2e_key alt+r
e2e_wait 3 "editor closed by Regresar" e2e_editor_gone
e2e_watch "$side" 2.5
[ -n "$(e2e_flashes)" ] || e2e_fail "no flash in 2.5 s after the editor"
e2e_app_running || e2e_fail "the program ended"
