#!/usr/bin/env bash
# msg.txt as a user may meet it at its worst. A FIFO with no writer: start-up says what it is,
# the board comes, and Regresar refuses with a box instead of freezing the window, the FIFO left
# as it was. Then, for a user who may write msg.txt but not create files beside it, a 30 MB list
# rewritten in place and the program killed (kill -9) as soon as msg.txt changes: the next start
# holds the new list, and says so when it had to finish the save. Then that user and root save
# together.
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

# Root, who may create files in the folder, replaces msg.txt and takes msg.txt.lock; the user may
# only rewrite msg.txt in place, so only the lock of msg.txt itself keeps the two apart. Both press
# Regresar together over a list that takes a moment to save: the second asks, or keeps both
# messages; and root's save leaves msg.txt the user's, with its mode.
e2e_kill_app
e2e_write_large_list 3000000
chown "$user:" "$E2E_MSG" && chmod 600 "$E2E_MSG"
as_user
mine=$E2E_APP_PID
e2e_launch_another root
root=$E2E_OTHER_PID
editor_of() { e2e_editor "$1" | awk 'NR == 1'; }
board_of() { [ -n "$(e2e_board "$1")" ]; }
# Both boards first: a board mapped while the other copy's is being worked on may take the focus.
for copy in "$mine" "$root"; do
    e2e_wait 30 "board of copy $copy" board_of "$copy"
done
for copy in "$mine" "$root"; do
    e2e_open_menu a "$copy"
    e2e_key m
    e2e_wait 3 "editor of copy $copy" e2e_editor_shown "$copy"
    e2e_wait 3 "focus on the editor of copy $copy" e2e_is_active "$(editor_of "$copy")"
    e2e_type_and_add "$(editor_of "$copy")" "de $copy"
    e2e_key shift+Tab shift+Tab # back on "Regresar"
done
e2e_x xdotool key --window "$(editor_of "$mine")" Return key --window "$(editor_of "$root")" Return
asking() { [ -n "$(e2e_windows_named '^Trevolo$' "$1")" ]; }
holds() { tail -c 100 "$E2E_MSG" | tr -d '\r' | grep -qx "$1"; }
settled() { asking "$mine" || asking "$root" || { e2e_editor_gone && holds "DE $mine" && holds "DE $root"; }; }
e2e_wait 30 "a question, or both editors closed" settled
kept=("DE $mine" "DE $root")
if asking "$mine" || asking "$root"; then
    if asking "$mine"; then first=$root second=$mine; else first=$mine second=$root; fi
    e2e_wait 5 "the editor of copy $first closed" e2e_editor_gone "$first"
    # The first copy's board takes the focus back as its editor closes: the box gets it again.
    wait_box "$second" "«DE $first»" 5
    e2e_focus "$(box_showing "$second" "«DE $first»")"
    e2e_key alt+s
    kept=("DE $second")
    e2e_wait 10 "«DE $second» saved after Sí" holds "DE $second"
    e2e_wait 10 "the editor of copy $second closed after Sí" e2e_editor_gone "$second"
    e2e_log "copy $first saved first; copy $second asked"
fi
for message in "${kept[@]}"; do
    holds "$message" || e2e_fail "«$message» lost: msg.txt ends $(tail -c 40 "$E2E_MSG" | od -c)"
done
e2e_none_named '^Trevolo$' || e2e_fail "a box is left after the saves"
[ "$(stat -c %U:%a "$E2E_MSG")" = "$user:600" ] ||
    e2e_fail "msg.txt is now $(stat -c %U:%a "$E2E_MSG"), not $user:600"
