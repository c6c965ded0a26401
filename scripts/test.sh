#!/usr/bin/env bash
# Sets up what is missing, builds Trevolo and runs every test headless.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh test
cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default
