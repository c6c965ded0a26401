#!/usr/bin/env bash
# Sets up what is missing, builds Trevolo and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
cmake --preset default >/dev/null
cmake --build --preset default
exec build/default/src/trevolo
