#!/usr/bin/env bash
# Runs the whole suite N times (default 10) on a quiet machine, then N times with every core
# kept busy by stress-ng, then N times with twice as many stress-ng workers as cores, and
# prints one line a test: its runs, passes and slowest time. The default build is soaked, and
# the Windows build too where scripts/windows.sh has made it. For whoever chases a test that
# fails by chance; CI does not run it. SOAK_TESTS, a ctest -L/-LE switch such as "-LE e2e",
# picks the tests; SOAK_MODES the loads (default "quiet loaded heavy").
#   scripts/soak.sh [N]
# The logs stay in build/soak/. Exits 1 when any run of any test failed.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10}
[[ $runs =~ ^[1-9][0-9]*$ ]] || { echo "usage: $0 [N]" >&2; exit 2; }
scripts/setup.sh soak
cmake --preset default >/dev/null
cmake --build --preset default >/dev/null

logs=build/soak
rm -rf "$logs"
mkdir -p "$logs"
# Wine draws even Qt's offscreen windows through X, as scripts/windows.sh runs them.
suites=("default ctest --preset default ${SOAK_TESTS:-}")
[ -f build/windows/CTestTestfile.cmake ] &&
    suites+=("windows xvfb-run -a -s -screen\ 0\ 1280x800x24 ctest --preset windows ${SOAK_TESTS:-}")

load_pid=
stop_load() {
    [ -z "$load_pid" ] || kill "$load_pid" 2>/dev/null || true
    [ -z "$load_pid" ] || wait "$load_pid" 2>/dev/null || true
    load_pid=
}
trap stop_load EXIT

for mode in ${SOAK_MODES:-quiet loaded heavy}; do
    case $mode in
    loaded) stress-ng --cpu "$(nproc)" --timeout 0 --quiet & load_pid=$! ;;
    heavy) stress-ng --cpu "$((2 * $(nproc)))" --timeout 0 --quiet & load_pid=$! ;;
    esac
    for suite in "${suites[@]}"; do
        read -r preset command <<<"$suite"
        for ((i = 1; i <= runs; i++)); do
            echo "$preset, $mode: run $i of $runs"
            eval "$command" >"$logs/$preset-$mode-$i.log" 2>&1 || true
        done
    done
    stop_load
done

# ctest's lines "  3/32 Test  #3: name ........   Passed    0.78 sec", and the ones of a
# timeout or a skip, per preset and mode.
summary=$logs/summary.txt
for log in "$logs"/*-*-*.log; do
    name=${log##*/}
    IFS=- read -r preset mode _ <<<"${name%.log}"
    awk -v key="$preset $mode" '/ Test +#[0-9]+: / {
        sub(/.*Test +#[0-9]+: /, ""); test = $1
        status = ($0 ~ /\*\*\*Skipped| Not Run/) ? "skip" : ($0 ~ / Passed /) ? "pass" : "fail"
        seconds = 0
        if (match($0, /[0-9.]+ sec/)) seconds = substr($0, RSTART, RLENGTH - 4)
        print key, test, status, seconds }' "$log"
done | awk '{ k = $1 " " $2 " " $3; runs[k]++; if ($4 == "pass") pass[k]++
              if ($4 == "skip") skip[k]++; if ($5 + 0 > slow[k]) slow[k] = $5 + 0 }
    END { for (k in runs) { split(k, f, " ")
              printf "%-8s %-7s %-28s %5d %6d %5d %7.2fs\n", f[1], f[2], f[3], runs[k],
                     pass[k] + 0, skip[k] + 0, slow[k] } }' | sort -k1,1 -k3,3 -k2,2r >"$summary"
printf '%-8s %-7s %-28s %5s %6s %5s %8s\n' preset load test runs passes skips slowest
cat "$summary"
# A skip counts as no failure: its reason is in the logs.
! awk '$5 + $6 < $4 { found = 1 } END { exit !found }' "$summary"
