#!/usr/bin/env bash
# Sets up what is missing, builds Trevolo and runs every test headless: once as built for use,
# once under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh test
cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan
