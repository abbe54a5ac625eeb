#!/usr/bin/env bash
# Sets up the machine, builds everything (debug) and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
tools/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default -j2
