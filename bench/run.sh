#!/usr/bin/env bash
# Builds the benchmarks in build/bench and prints their figures as a Markdown table, measured
# on the running program under Xvfb; installs what is missing first. Takes about two minutes.
# Figures to read, not to assert: they depend on the machine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh test
build=${BENCH_BUILD:-build/bench} # another folder for a build of one's own
echo "Building in $build ..." >&2
cmake --preset bench -B "$build" >/dev/null
# The build preset knows only the preset's folder.
cmake --build "$build" --parallel 2 >&2
exec bash bench/measure.sh "$build/src/trevolo" "$build/bench/wait_bench" "$build/bench/flash_bench"
