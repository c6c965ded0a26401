#!/usr/bin/env bash
# Two copies of Trevolo started from one folder share its msg.txt, and neither loses the
# other's message without asking: A adds a message and saves; B, which read the file before
# that, adds its own and presses Regresar: a question names the message of A that would be
# lost, "No" (Enter, the default) writes nothing and keeps the editor open, "Sí" (Alt+S)
# replaces the file. A, saving again, is asked in turn. Then, over a list of 30 MB, both press
# Regresar within a few milliseconds: one saves, the other asks before it replaces that save.
set -euo pipefail
export E2E_TIME_LIMIT=170
# shellcheck source-path=SCRIPTDIR source=harness.sh
source "$(dirname "$0")/harness.sh"

e2e_start_x
e2e_write_messages '*UNO'

# Both copies started from the folder, their boards shown.
launch_both() {
    e2e_launch
    a=$E2E_APP_PID
    e2e_launch_another app-b
    b=$E2E_OTHER_PID
    # Reading a list of 30 MB takes seconds, more on a busy machine: the bounds only end a
    # test that hangs.
    for copy in "$a" "$b"; do
        e2e_wait 60 "board of copy $copy" shown "$copy" 'Trevolo '
    done
}

# The mapped window of the copy $1 whose title is $2.
window_of() { e2e_windows_named "^$2\$" "$1" | awk 'NR == 1'; }
shown() { [ -n "$(window_of "$1" "$2")" ]; }
gone() { e2e_none_named "^$2\$" "$1"; }

launch_both

msg_is() { e2e_expect_file "$E2E_MSG" "$@"; }

# Alt+A, M on the board of copy $1, then the editor has the focus.
open_editor() {
    e2e_open_menu a "$1"
    e2e_key m
    e2e_wait 3 "editor of copy $1" shown "$1" 'Mensajes Subliminales'
    e2e_wait 3 "focus on the editor of copy $1" e2e_is_active \
        "$(window_of "$1" 'Mensajes Subliminales')"
}

# Types $2 into the text box of copy $1's editor, Alt+A adds it.
add() {
    e2e_type_and_add "$(window_of "$1" 'Mensajes Subliminales')" "$2"
}

# The same, then Alt+R.
add_and_save() {
    add "$@"
    e2e_key alt+r
}

# Waits for the question of copy $1 and checks that it names the message $2.
question() {
    e2e_wait 5 "question of copy $1" shown "$1" 'Trevolo'
    local box
    box=$(window_of "$1" 'Trevolo')
    e2e_wait 3 "focus on the question" e2e_is_active "$box"
    e2e_wait 5 "«$2» in the question" e2e_shows "$box" "«$2»"
    if [ -n "${E2E_SHOTS:-}" ]; then
        e2e_x import -window root "$E2E_SHOTS/two_copies_question.png"
    fi
}

open_editor "$a"
add_and_save "$a" 'de a'
e2e_wait 3 "editor of copy A closed" gone "$a" 'Mensajes Subliminales'
msg_is '*UNO\r\nDE A\r\n' "after the save of copy A"

open_editor "$b"
add_and_save "$b" 'de b'
question "$b" 'DE A'
msg_is '*UNO\r\nDE A\r\n' "while copy B asks"
e2e_key Return
e2e_wait 3 "question closed after Enter" gone "$b" 'Trevolo'
shown "$b" 'Mensajes Subliminales' || e2e_fail "the editor of copy B closed after No"
msg_is '*UNO\r\nDE A\r\n' "after No"

# The window manager gives the focus back to the editor a moment after the box has gone.
e2e_wait 3 "focus back on the editor of copy B" e2e_is_active \
    "$(window_of "$b" 'Mensajes Subliminales')"
e2e_key alt+r
question "$b" 'DE A'
e2e_key alt+s
e2e_wait 3 "editor of copy B closed after Sí" gone "$b" 'Mensajes Subliminales'
msg_is '*UNO\r\nDE B\r\n' "after Sí"

# Copy A still holds its own list, without the message of B.
open_editor "$a"
e2e_key alt+r
question "$a" 'DE B'
e2e_key Return
e2e_wait 3 "question of copy A closed" gone "$a" 'Trevolo'
msg_is '*UNO\r\nDE B\r\n' "after No in copy A"
e2e_app_running || e2e_fail "copy A ended"
e2e_alive "$b" || e2e_fail "copy B ended"

# A list of 30 MB: a save takes long enough that two copies pressing Regresar together both
# check the file before either has replaced it, unless the check and the replace are one step.
e2e_kill_app
kill "$b"
wait "$b" 2>/dev/null || true
e2e_write_large_list 30000000
launch_both
for copy in "$a" "$b"; do
    open_editor "$copy"
    add "$copy" "de $copy"
    e2e_key shift+Tab shift+Tab # back on "Regresar"
done
# Return on each "Regresar", sent to the two editors by one command: a few ms apart.
e2e_x xdotool key --window "$(window_of "$a" 'Mensajes Subliminales')" Return \
    key --window "$(window_of "$b" 'Mensajes Subliminales')" Return
asked() { shown "$a" 'Trevolo' || shown "$b" 'Trevolo'; }
e2e_wait 60 "a question in one copy" asked
if shown "$a" 'Trevolo'; then first=$b second=$a; else first=$a second=$b; fi
question "$second" "DE $first"
e2e_wait 3 "the editor of the copy that saved first closed" gone "$first" 'Mensajes Subliminales'
e2e_key Return # No
e2e_wait 3 "question closed after Enter" gone "$second" 'Trevolo'
shown "$second" 'Mensajes Subliminales' || e2e_fail "the editor that was asked closed after No"
e2e_msg_ends "xx\\r\\nUNO\\r\\nDE $first\\r\\n" ||
    e2e_fail "msg.txt does not end with the list of copy $first: $(tail -c 40 "$E2E_MSG" | od -c)"
e2e_log "copy $first saved first; copy $second asked"
