#!/usr/bin/env bash
# Sets up the machine, builds the game in release mode and starts it on the
# bundled stages. Arguments go to the game (for example --scale 4).
set -euo pipefail
cd "$(dirname "$0")"
tools/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
exec build/release/bin/vorne1.0 "$@"
