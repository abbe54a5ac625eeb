#!/usr/bin/env bash
# Runs the stage fuzzer for SECONDS (default 60) from the seed corpus.
# New inputs go to a scratch folder, never into the repository's corpus.
# Usage: tests/fuzz/run.sh [SECONDS] [BUILD_DIR]   (build with the fuzz preset first)
set -euo pipefail
seconds=${1:-60}
here=$(cd "$(dirname "$0")" && pwd)
build=${2:-$here/../../build/fuzz}
fuzzer=$build/bin/stage_fuzzer
[ -x "$fuzzer" ] || { echo "run.sh: $fuzzer not built (cmake --preset fuzz && cmake --build --preset fuzz)" >&2; exit 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$fuzzer" -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
  -dict="$here/stage.dict" -print_final_stats=1 -artifact_prefix="${ARTIFACT_DIR:-./}" \
  "$scratch" "$here/corpus"
