#!/usr/bin/env bash
# Prints the CPU the game takes on its title screen, as a percentage of one
# core over SECONDS (default 30), with its music played from the renderings,
# as MIDI through FluidSynth (the renderings taken away) and with no music at
# all, under Xvfb with SDL's dummy audio driver, read from /proc/PID/stat.
#
#   tools/music_cpu.sh [BIN_DIR [SECONDS]]     (BIN_DIR: build/debug/bin)
set -euo pipefail
bin=$(realpath "${1:-build/debug/bin}")
seconds=${2:-30}
warm_up=3
tick=$(getconf CLK_TCK)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# utime + stime of a process, in clock ticks.
cpu_ticks() {
  sed 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'
}

# measure NAME FOLDER: runs FOLDER/vorne1.0 and prints its figure.
measure() {
  local name=$1 folder=$2 pid_file="$work/$1.pid"
  xvfb-run -a -s "-screen 0 1280x1024x24" \
    sh -c 'echo $$ > "$0"; SDL_AUDIODRIVER=dummy exec "$1/vorne1.0"' "$pid_file" "$folder" \
    >/dev/null 2>"$work/$name.stderr" &
  local runner=$!
  sleep "$warm_up"
  local pid
  pid=$(cat "$pid_file" 2>/dev/null || true)
  if [ -z "$pid" ] || [ ! -e "/proc/$pid/stat" ]; then
    echo "$name: the game did not start or stopped early:" >&2
    cat "$work/$name.stderr" >&2
    exit 1
  fi
  local before after
  before=$(cpu_ticks "$pid")
  sleep "$seconds"
  after=$(cpu_ticks "$pid")
  kill "$pid"
  wait "$runner" || true
  awk -v n="$name" -v t=$((after - before)) -v hz="$tick" -v s="$seconds" \
    'BEGIN { printf "%-9s %5.2f %% of a core (%d ticks in %d s)\n", n, 100 * t / hz / s, t, s }'
  sed 's/^/          stderr: /' "$work/$name.stderr"
}

copy_without() {  # NAME PATTERN...: a copy of the programs' folder without some sound files
  local copy="$work/$1"
  shift
  cp -a "$bin" "$copy"
  for pattern in "$@"; do rm -f "$copy"/sound/$pattern; done
  echo "$copy"
}

measure rendered "$bin"
measure midi "$(copy_without midi '*.ogg')"
measure none "$(copy_without none '*.ogg' '*.mid')"
