#!/usr/bin/env bash
# Closing the board window through the window manager (Alt+F4) ends the program.
set -euo pipefail
export E2E_TIME_LIMIT=30
# shellcheck source-path=SCRIPTDIR source=harness.sh
source "$(dirname "$0")/harness.sh"

e2e_start
board=$(e2e_wait_board 10)
e2e_focus "$board"
start=$EPOCHREALTIME
e2e_key alt+F4
e2e_wait_exit 3
e2e_log "ended $(e2e_since "$start") s after Alt+F4, exit code $E2E_EXIT_CODE"
[ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "exit code $E2E_EXIT_CODE"
