#!/usr/bin/env bash
# The board waiting for its next redraw sleeps in the event loop: next to no CPU.
set -euo pipefail
export E2E_TIME_LIMIT=30
# shellcheck source-path=SCRIPTDIR source=harness.sh
source "$(dirname "$0")/harness.sh"

e2e_start
board=$(e2e_wait_board 10)
e2e_wait 5 "letters on the board" e2e_letters_drawn "$board"
e2e_still_shot board "$board" # past the first layout and paint

ticks_before=$(e2e_cpu_ticks)
start=$EPOCHREALTIME
sleep 5 # what is measured: the board left alone
ticks=$(($(e2e_cpu_ticks) - ticks_before))
seconds=$(e2e_since "$start")
percent=$(awk -v t="$ticks" -v hz="$(getconf CLK_TCK)" -v s="$seconds" \
    'BEGIN { printf "%.1f\n", 100 * t / hz / s }')
e2e_log "$ticks CPU ticks in $seconds s: $percent % of one core"
# A generous bound: a polling wait takes a whole core.
e2e_check "$percent" '<' 10 || e2e_fail "the waiting board uses $percent % CPU"
e2e_app_running || e2e_fail "the program ended by itself"
