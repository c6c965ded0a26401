#!/usr/bin/env bash
# Ten launches in a row at scale 1 and ten at QT_SCALE_FACTOR=2: each time the letters are on
# the board within half a second of the board window appearing.
set -euo pipefail
export E2E_TIME_LIMIT=150
# shellcheck source-path=SCRIPTDIR source=harness.sh
source "$(dirname "$0")/harness.sh"

e2e_start_x
slowest=0
for scale in 1 2; do
    E2E_APP_ENV=("QT_SCALE_FACTOR=$scale")
    for launch in $(seq 10); do
        e2e_launch
        e2e_wait 10 "board window" e2e_board_shown
        shown=$EPOCHREALTIME
        board=$(e2e_board)
        e2e_wait 3 "grid on the board at scale $scale" e2e_grid_drawn "$board"
        delay=$(e2e_since "$shown")
        e2e_log "scale $scale, launch $launch: grid $delay s after the board appeared"
        e2e_check "$delay" '<=' 0.5 ||
            e2e_fail "scale $scale, launch $launch: grid only $delay s after the board"
        e2e_check "$delay" '<=' "$slowest" || slowest=$delay
        e2e_kill_app
    done
done
e2e_log "slowest: $slowest s"
