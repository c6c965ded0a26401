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

# Pixels of the flash's colour left of the editor, at the height of the board's middle.
flash_pixels() {
    e2e_x import -window root -crop 300x80+0+$((E2E_SCREEN_H / 2 - 40)) +repage \
        "$E2E_DIR/side.png" || e2e_fail "no screenshot"
    e2e_colour_pixels "$E2E_DIR/side.png" 'rgb(192,64,0)'
}
flash_shown() { [ "$(flash_pixels)" -gt 0 ]; }

# A period of 1 s through "Temporizador", then "Activar Mensajes".
e2e_open_period "$board" >/dev/null
e2e_enter_period "$board" 1
e2e_open_menu c
e2e_key m

# "Mensajes Subliminales ..." chosen while a message is up.
e2e_open_menu a
e2e_wait 5 "a flash" flash_shown
e2e_key m
editor=$(e2e_wait_editor)

# Behind the editor the flash comes back after it has gone, twice within 12 s (four periods
# would do, but a loaded machine takes fewer looks).
start=$EPOCHREALTIME up=0 gone=0 returns=0 looks=0
while [ "$returns" -lt 2 ] && e2e_check "$(e2e_since "$start")" '<' 12; do
    if flash_shown; then
        [ "$gone" -eq 0 ] || returns=$((returns + 1))
        up=1 gone=0
    elif [ "$up" -eq 1 ]; then
        gone=1
    fi
    looks=$((looks + 1))
done
e2e_log "$returns flashes came back behind the editor in $(e2e_since "$start") s ($looks looks)"
[ "$returns" -ge 2 ] || e2e_fail "the flash froze behind the editor: $returns returns in 12 s"

e2e_focus "$editor"
e2e_key alt+r
e2e_wait 3 "editor closed by Regresar" e2e_editor_gone
e2e_wait 3 "a flash after the editor" flash_shown
e2e_app_running || e2e_fail "the program ended"
