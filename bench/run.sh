#!/usr/bin/env bash
# Builds the benchmarks in build/bench and prints their figures as a Markdown table, measured
# on the running program under Xvfb; installs what is missing first. Takes about two minutes.
# Figures to read, not to assert: they depend on the machine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh test
build=${BENCH_BUILD:-build/bench} # another folder for a build of one's own
echo "Building in $build ..." >&2
cmake -S bench -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target trevolo wait_bench flash_bench >&2
exec bash bench/measure.sh "$build/trevolo/src/trevolo" "$build/wait_bench" "$build/flash_bench"
