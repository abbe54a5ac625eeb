#!/usr/bin/env python3
"""Prints how the solver does on every stage of a stage file.

  tools/solve_figures/solve_figures.py [--game PATH] [--map FILE] [--budget SECONDS]
                                       [--stage N]... [--keep DIR]

For each stage: `vorne1.0 --solve FILE --stage N` with the budget, the time it
took and the ticks of its answer; the answer replayed with `--headless --map
FILE --stage N` to the tick its trace shows the clear; and, for the bundled
stages, the ticks of the hand-made recording in assets/replays/ (its trace's
clear on the stage alone, less the title's Z and the introduction). Use a
release build for figures that mean anything (the default is
build/release/bin/vorne1.0, then build/debug/bin/vorne1.0).
"""
import argparse
import json
import os
import pathlib
import re
import subprocess
import sys
import tempfile
import time

ROOT = pathlib.Path(__file__).resolve().parents[2]
BEFORE_PLAY = 51  # the title's Z and the 50 ticks of the stage introduction
STAGE_CLEAR = 5

sys.path.insert(0, str(ROOT / "tools" / "prove_same"))
from prove_same import stage_blocks  # noqa: E402  (a stage file's blocks, as bytes)


def clear_tick(game, args, work: pathlib.Path):
    """The first tick whose trace shows the stage cleared, or None."""
    trace = work / "trace.jsonl"
    subprocess.run([str(game), "--headless", *args, "--trace", str(trace)], check=True,
                   stderr=subprocess.DEVNULL, env=headless_env())
    with open(trace) as f:
        for line in f:
            tick = json.loads(line)
            if tick["state"] == STAGE_CLEAR:
                return tick["tick"]
    return None


def headless_env():
    env = dict(os.environ)
    env.setdefault("SDL_VIDEODRIVER", "dummy")
    env.setdefault("SDL_AUDIODRIVER", "dummy")
    return env


def input_ticks(path: pathlib.Path) -> int:
    ticks = 0
    for line in path.read_text().splitlines():
        line = line.strip()
        if line and not line.startswith("#"):
            first = line.split()[0]
            ticks += int(first.split("*")[0]) if "*" in first else 1
    return ticks


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--game", type=pathlib.Path)
    parser.add_argument("--map", type=pathlib.Path, default=ROOT / "assets" / "map.dat")
    parser.add_argument("--budget", default="60")
    parser.add_argument("--stage", type=int, action="append")
    parser.add_argument("--keep", type=pathlib.Path, help="keep the answers in this folder")
    a = parser.parse_args()
    game = a.game
    if game is None:
        game = next((p for p in (ROOT / "build/release/bin/vorne1.0",
                                 ROOT / "build/debug/bin/vorne1.0") if p.exists()), None)
    if game is None or not game.exists():
        sys.exit("solve_figures: no vorne1.0 built (try --game PATH)")
    blocks = stage_blocks(a.map.read_bytes())
    bundled = a.map.resolve() == (ROOT / "assets" / "map.dat").resolve()
    stages = a.stage or list(range(1, len(blocks) + 1))

    print(f"{game} --solve {a.map} --budget {a.budget}")
    print(f"{'stage':>5} {'result':>8} {'seconds':>8} {'ticks':>6} {'replayed':>8} {'by hand':>8}")
    with tempfile.TemporaryDirectory() as tmp:
        work = pathlib.Path(tmp)
        for n in stages:
            out = (a.keep or work) / f"stage-{n:02d}.txt"
            out.parent.mkdir(parents=True, exist_ok=True)
            start = time.monotonic()
            run = subprocess.run([str(game), "--solve", str(a.map), "--stage", str(n), "--out",
                                  str(out), "--budget", a.budget], capture_output=True, text=True,
                                 env=headless_env())
            seconds = time.monotonic() - start
            found = re.search(r"solved in (\d+) ticks", run.stdout)
            ticks = found.group(1) if found else "-"
            replayed = "-"
            if found:
                replayed = clear_tick(game, ["--map", str(a.map), "--stage", str(n), "--inputs",
                                             str(out), "--ticks", str(int(ticks) + 1)],
                                      work) or "none"
            by_hand = "-"
            replay = ROOT / "assets" / "replays" / f"stage{n:02d}.txt"
            if bundled and replay.exists():
                alone = work / "alone.dat"
                alone.write_bytes(blocks[n - 1])
                tick = clear_tick(game, ["--map", str(alone), "--inputs", str(replay), "--ticks",
                                         str(input_ticks(replay) + 1)], work)
                by_hand = tick - BEFORE_PLAY if tick else "none"
            result = "solved" if run.returncode == 0 else f"exit {run.returncode}"
            print(f"{n:>5} {result:>8} {seconds:>8.1f} {ticks:>6} {replayed!s:>8} {by_hand!s:>8}",
                  flush=True)


if __name__ == "__main__":
    main()
