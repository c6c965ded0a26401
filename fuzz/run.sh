#!/usr/bin/env bash
# Builds the fuzz preset and fuzzes msg.txt, the editor's lines and the timer's period for
# SECONDS seconds, on one core.
#   fuzz/run.sh SECONDS [more libFuzzer options]
# Inputs that reach new code collect in build/fuzz/corpus (fuzz/corpus holds the seeds and is
# only read); an input that fails lands in build/fuzz/artifacts and ends the run, unless
# -fork=1 -ignore_crashes=1 is given.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:?usage: fuzz/run.sh SECONDS [more libFuzzer options]}
shift

scripts/setup.sh fuzz
nice -n 19 cmake --preset fuzz >/dev/null
nice -n 19 cmake --build --preset fuzz
mkdir -p build/fuzz/corpus build/fuzz/artifacts
# A process that fails leaves its msg.txt folder behind: keep those out of the system's /tmp.
export TMPDIR=$PWD/build/fuzz/tmp
rm -rf "$TMPDIR"
mkdir "$TMPDIR"
# The outer limit ends a process that hangs while it reports a crash (seen once, after a stack
# overflow), so a CI job cannot wait for ever.
exec nice -n 19 timeout --kill-after=30 $((seconds + 300)) \
    build/fuzz/fuzz/trevolo_fuzz -max_total_time="$seconds" -max_len=4096 -timeout=10 \
    -dict=fuzz/trevolo.dict -artifact_prefix=build/fuzz/artifacts/ -print_final_stats=1 "$@" \
    build/fuzz/corpus fuzz/corpus
