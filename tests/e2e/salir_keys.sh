#!/usr/bin/env bash
# Alt+A, S ("Archivo", "Salir") ends the program at once, leaving msg.txt as it was.
set -euo pipefail
export E2E_TIME_LIMIT=30
# shellcheck source-path=SCRIPTDIR source=harness.sh
source "$(dirname "$0")/harness.sh"

e2e_start_x
e2e_write_messages 'APRENDER ES DIVERTIDO' '*CONCENTRATE'
cp "$E2E_MSG" "$E2E_DIR/msg.before"
e2e_launch
board=$(e2e_wait_board 10)
e2e_wait 5 "letters on the board" e2e_letters_drawn "$board"

e2e_open_menu a
e2e_app_running || e2e_fail "the program ended on Alt+A alone"
start=$EPOCHREALTIME
e2e_key s
e2e_wait 3 "end of the board" e2e_board_gone
seconds=$(e2e_since "$start")
# The process itself may take longer: the sanitizers check for leaks at exit, seconds on a busy
# machine.
e2e_wait_exit 10
e2e_log "board gone $seconds s after S, exit code $E2E_EXIT_CODE"
# At once, as designed: a tenth of a second here; a second is what a user would notice, and
# leaves a loaded machine the rest.
e2e_check "$seconds" '<' 1 || e2e_fail "the board took $seconds s to go"
[ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "exit code $E2E_EXIT_CODE"
cmp -s "$E2E_DIR/msg.before" "$E2E_MSG" || e2e_fail "msg.txt changed on Salir"
