#!/usr/bin/env bash
# Called by bench/run.sh: measure.sh path/to/trevolo path/to/wait_bench path/to/flash_bench
set -euo pipefail
export E2E_TIME_LIMIT=300
# shellcheck source-path=SCRIPTDIR source=../tests/e2e/harness.sh
source "$(dirname "$0")/../tests/e2e/harness.sh"
usage="usage: $0 path/to/trevolo path/to/wait_bench path/to/flash_bench"
wait_bench=$(realpath "${2:?$usage}")
flash_bench=$(realpath "${3:?$usage}")
launches=5
idle_seconds=30
rss_after=60

# CPU seconds the program has used: to the nanosecond where the kernel keeps scheduler
# statistics, else in clock ticks.
cpu_seconds() {
    local run _
    if read -r run _ 2>/dev/null <"/proc/$E2E_APP_PID/schedstat"; then
        awk -v n="$run" 'BEGIN { printf "%.6f\n", n / 1e9 }'
    else
        awk -v t="$(e2e_cpu_ticks)" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.6f\n", t / hz }'
    fi
}

stats() { # mean, then min-max, of the arguments
    printf '%s\n' "$@" | awk '{ s += $1; if (NR == 1 || $1 < lo) lo = $1; if ($1 > hi) hi = $1 }
        END { printf "%.2f s (%.2f to %.2f s)\n", s / NR, lo, hi }'
}

e2e_start_x >&2

# One long run: the waiting board's CPU, then its memory.
e2e_launch
e2e_wait 15 "board window" e2e_board_shown
launch_times=("$(e2e_since "$E2E_LAUNCHED_AT")")
board=$(e2e_board)
e2e_wait 10 "letters on the board" e2e_letters_drawn "$board"
sleep 1
echo "Measuring the waiting board's CPU for $idle_seconds s ..." >&2
cpu_before=$(cpu_seconds)
start=$EPOCHREALTIME
sleep "$idle_seconds"
idle=$(awk -v a="$cpu_before" -v b="$(cpu_seconds)" -v s="$(e2e_since "$start")" \
    'BEGIN { printf "%.1f ms CPU in %.1f s (%.3f %% of a core)\n", 1000 * (b - a), s,
             100 * (b - a) / s }')
rest=$(awk -v s="$(e2e_since "$E2E_LAUNCHED_AT")" -v d="$rss_after" \
    'BEGIN { print (d > s ? d - s : 0) }')
sleep "$rest"
rss=$(awk '/^VmRSS/ { printf "%.1f MiB\n", $2 / 1024 }' "/proc/$E2E_APP_PID/status")
e2e_kill_app

# More launches for the time to the board.
for ((i = 2; i <= launches; i++)); do
    e2e_launch
    e2e_wait 15 "board window" e2e_board_shown
    launch_times+=("$(e2e_since "$E2E_LAUNCHED_AT")")
    e2e_kill_app
done

echo "Measuring two five-second waits ..." >&2
declare -A wait
while read -r key value; do
    wait[$key]=$value
done < <(QT_QPA_PLATFORM=xcb "$wait_bench")

echo "Timing 20 flashes in the program ..." >&2
flash_figures=$(QT_QPA_PLATFORM=xcb "$flash_bench") || e2e_fail "flash_bench did not finish"
declare -A flash
while read -r key value; do
    flash[$key]=$value
done <<<"$flash_figures"

cpu=$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)
[ -n "$cpu" ] || cpu=$(uname -m)

echo "Machine: $cpu, $(nproc) cores; Qt ${wait[qt]}; Xvfb 1280x800, openbox; $(date +%Y-%m-%d)"
echo
echo "| Measure | Result |"
echo "|---|---|"
echo "| Board waiting for its redraw, CPU over $idle_seconds s | $idle |"
echo "| Resident memory (VmRSS) $rss_after s after launch | $rss |"
echo "| Launch to board window mapped, $launches launches (3 s of splash included) |" \
    "$(stats "${launch_times[@]}") |"
ms() { awk -v s="$1" 'BEGIN { printf "%.1f ms\n", 1000 * s }'; }
echo "| 5 s wait polling the clock and pumping events (the old wait), CPU |" \
    "$(ms "${wait[polling_cpu]}") over ${wait[polling_wall]} s |"
echo "| 5 s \`modGral::Espera(5.0f)\`, CPU | $(ms "${wait[espera_cpu]}") over ${wait[espera_wall]} s |"
echo "| Polling wait / \`Espera\`, CPU | ${wait[ratio]} times |"
echo "| Flash visible time, ${flash[flashes]} flashes: \`lblSedu\` Show to Hide in the program" \
    "(QElapsedTimer, event filter), period 1 s | ${flash[up_mean]} ms mean, SD ${flash[up_sd]} ms" \
    "(${flash[up_min]} to ${flash[up_max]} ms) |"
echo "| Flash to flash, same run (timer interval ${flash[interval_ms]} ms) |" \
    "${flash[period_mean]} ms mean (${flash[period_min]} to ${flash[period_max]} ms) |"
