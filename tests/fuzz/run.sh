#!/usr/bin/env bash
# Runs one fuzz target for SECONDS (default 60) from its seed corpus.
# New inputs go to a scratch folder, never into the repository's corpora;
# a crash is saved under $ARTIFACT_DIR (default: the current folder).
# Usage: tests/fuzz/run.sh [SECONDS] [BUILD_DIR] [TARGET]
#   TARGET: stage_fuzzer (default), play_fuzzer, editor_reader_fuzzer,
#           inputs_fuzzer
# Build with the fuzz preset first:
#   cmake --preset fuzz && cmake --build --preset fuzz --target vorne_fuzzers
set -euo pipefail
seconds=${1:-60}
here=$(cd "$(dirname "$0")" && pwd)
build=${2:-$here/../../build/fuzz}
target=${3:-stage_fuzzer}
case $target in
  stage_fuzzer)         corpus=corpus;         dict=stage.dict;  max_len=8192 ;;
  play_fuzzer)          corpus=corpus_play;    dict=play.dict;   max_len=4096 ;;
  editor_reader_fuzzer) corpus=corpus_editor;  dict=stage.dict;  max_len=4096 ;;
  inputs_fuzzer)        corpus=corpus_inputs;  dict=inputs.dict; max_len=4096 ;;
  *) echo "run.sh: unknown target $target" >&2; exit 2 ;;
esac
fuzzer=$build/bin/$target
[ -x "$fuzzer" ] || { echo "run.sh: $fuzzer not built (cmake --preset fuzz && cmake --build --preset fuzz --target vorne_fuzzers)" >&2; exit 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$fuzzer" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
  -dict="$here/$dict" -print_final_stats=1 -artifact_prefix="${ARTIFACT_DIR:-./}" \
  "$scratch" "$here/$corpus"
