#!/usr/bin/env bash
# msg.txt as a user may meet it at its worst. A FIFO with no writer: start-up says what it is,
# the board comes, and Regresar refuses with a box instead of freezing the window, the FIFO left
# as it was. Then, for a user who may write msg.txt but not create files beside it, a 30 MB list
# rewritten in place and the program killed (kill -9) as soon as msg.txt changes: the next start
# holds the new list, and says so when it had to finish the save.
set -euo pipefail
export E2E_TIME_LIMIT=170
# shellcheck source-path=SCRIPTDIR source=harness.sh
source "$(dirname "$0")/harness.sh"

e2e_start_x
mkfifo "$E2E_MSG"
e2e_launch

# A box of the program, the process $1, showing the text $2 (the splash has its title).
box_showing() {
    local w
    for w in $(e2e_windows_named '^Trevolo$' "$1"); do
        [[ $(e2e_window_type "$w") == *_DIALOG* ]] && e2e_shows "$w" "$2" && echo "$w" && return 0
    done
    return 1
}
# Waits up to $3 seconds for it, then for its focus; prints its id.
wait_box() {
    e2e_wait "$3" "a box showing «$2»" box_showing "$1" "$2"
    local box
    box=$(box_showing "$1" "$2")
    e2e_wait 3 "focus on the box" e2e_is_active "$box"
}

wait_box "$E2E_APP_PID" 'es una tubería (FIFO)' 10
e2e_key Return
e2e_wait_board 5 >/dev/null
e2e_press_regresar_after 'hola'
wait_box "$E2E_APP_PID" 'no es un archivo de texto' 5
e2e_key Return
e2e_wait 3 "box closed" e2e_none_named '^Trevolo$'
e2e_editor_shown || e2e_fail "the editor closed although nothing was saved"
[ -p "$E2E_MSG" ] || e2e_fail "msg.txt is no longer a FIFO"
e2e_kill_app

# The program's folder is root's; msg.txt, and a home, are the user's.
user=nobody
chmod 711 "$E2E_DIR"
home=$E2E_DIR/$user
mkdir -m 700 "$home"
chown "$user:" "$home"
rm "$E2E_MSG"
e2e_write_large_list 30000000
chown "$user:" "$E2E_MSG"
before=$(stat -c %s "$E2E_MSG")
as_user() {
    e2e_run_app setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups \
        env -i -C "$E2E_APP_DIR" PATH=/usr/bin:/bin DISPLAY="$DISPLAY" HOME="$home" \
        TMPDIR="$home" LANG=C.UTF-8 QT_QPA_PLATFORM=xcb ./trevolo
}
as_user
e2e_wait_board 60 >/dev/null # it reads 30 MB first
e2e_press_regresar_after 'nuevo'
changed() { [ "$(stat -c %s "$E2E_MSG")" != "$before" ]; }
start=$EPOCHREALTIME
# A save of 30 MB decodes and encodes 30 million characters: seconds, more on a busy machine.
# The bound only ends a test that hangs.
e2e_wait 60 "msg.txt changing" changed
kill -9 "$E2E_APP_PID"
e2e_wait_exit 3
cut=$(stat -c %s "$E2E_MSG")
e2e_log "killed $(e2e_since "$start") s after Alt+R, msg.txt at $cut of $((before + 7)) bytes"

as_user
if [ "$cut" -ne $((before + 7)) ]; then
    wait_box "$E2E_APP_PID" 'se terminó de guardar' 60 # reads and writes 30 MB first
    e2e_key Return
fi
e2e_wait_board 60 >/dev/null
[ "$(stat -c %s "$E2E_MSG")" -eq $((before + 7)) ] && e2e_msg_ends 'xx\r\nUNO\r\nNUEVO\r\n' ||
    e2e_fail "msg.txt does not hold the new list: $(stat -c %s "$E2E_MSG") bytes, ending $(
        tail -c 20 "$E2E_MSG" | od -c)"
