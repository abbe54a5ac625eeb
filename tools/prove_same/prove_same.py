#!/usr/bin/env python3
"""Proves that a restructuring changed no behaviour of the game.

  tools/prove_same/prove_same.py record DIR [--game PATH]
  tools/prove_same/prove_same.py compare DIR [--game PATH]

record plays every recorded input in assets/replays/ (each stage's input on
that stage alone, and game.txt on the whole bundled stage file) and a few long
random runs on generated stages through the headless runner, and keeps each
run's trace and a dump of the world every 500 ticks (and after the last) in
DIR. The generated stages and inputs are kept in DIR too, so compare plays
exactly the same runs again and says which outputs differ, byte for byte.
Exit status 0 when everything is identical, 1 when something differs.
The game defaults to build/debug/bin/vorne1.0.
"""
import argparse
import filecmp
import pathlib
import random
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]
DUMP_EVERY = 500
RANDOM_RUNS = 3
RANDOM_TICKS = 6000


def stage_blocks(data: bytes):
    """The stage blocks of a stage file, as bytes (CR LF lines)."""
    lines = data.split(b"\r\n")
    blocks, i = [], 0
    while i < len(lines) and lines[i].strip():
        count = int(lines[i])
        blocks.append(b"".join(line + b"\r\n" for line in lines[i:i + count + 1]))
        i += count + 1
    return blocks


def input_ticks(path: pathlib.Path) -> int:
    ticks = 0
    for line in path.read_text().splitlines():
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        first = line.split()[0]
        ticks += int(first.split("*")[0]) if "*" in first else 1
    return ticks


def random_stage(rng: random.Random) -> bytes:
    """A framed 20 x 20 stage with a player, a door, coins, ladders, keys,
    locks and every kind of enemy, placed at random."""
    size = 20
    grid = [["a" if r in (0, size - 1) or c in (0, size - 1) else "z" for c in range(size)]
            for r in range(size)]
    for r in range(2, size - 1, 3):  # floors with gaps, ladders through them
        for c in range(1, size - 1):
            if rng.random() < 0.8:
                grid[r][c] = "a"
        for _ in range(2):
            c = rng.randrange(1, size - 1)
            for rr in range(r - 2, r + 1):
                grid[rr][c] = "c"
    free = [(r, c) for r in range(1, size - 1) for c in range(1, size - 1) if grid[r][c] == "z"]
    rng.shuffle(free)
    for letter in "bfe" + "d" * 8 + "ghij" * 2 + "klmn":
        r, c = free.pop()
        grid[r][c] = letter
    return (f"{size}\r\n" + "".join("".join(row) + "\r\n" for row in grid)).encode()


def random_inputs(rng: random.Random) -> str:
    lines = ["# random play: Z on the title, then walking, climbing and firing", "0 0 1"]
    ticks = 1
    while ticks < RANDOM_TICKS:
        hold = rng.choice((1, 3, 8, 20))
        sx, sy = rng.choice((-1, 0, 1)), rng.choice((-1, 0, 0, 1))
        buttons = rng.choice((0, 0, 1, 2))
        lines.append(f"{hold}*{sx} {sy} {buttons}")
        ticks += hold
    return "\n".join(lines) + "\n"


def runs(folder: pathlib.Path, create: bool):
    """(name, stage file, inputs file) of every run; record makes the files."""
    made = folder / "inputs"
    if create:
        made.mkdir(parents=True, exist_ok=True)
        blocks = stage_blocks((ROOT / "assets" / "map.dat").read_bytes())
        for n, block in enumerate(blocks, 1):
            (made / f"stage{n:02}.dat").write_bytes(block)
        rng = random.Random(12)
        for n in range(1, RANDOM_RUNS + 1):
            (made / f"random{n}.dat").write_bytes(random_stage(rng))
            (made / f"random{n}.txt").write_text(random_inputs(rng))
    result = [("game", ROOT / "assets" / "map.dat", ROOT / "assets" / "replays" / "game.txt")]
    for stage in sorted(made.glob("stage*.dat")):
        result.append((stage.stem, stage, ROOT / "assets" / "replays" / f"{stage.stem}.txt"))
    for n in range(1, RANDOM_RUNS + 1):
        result.append((f"random{n}", made / f"random{n}.dat", made / f"random{n}.txt"))
    return result


def play(game: pathlib.Path, out: pathlib.Path, name: str, stage: pathlib.Path,
         inputs: pathlib.Path):
    ticks = input_ticks(inputs) + 100
    args = [str(game), "--headless", "--map", str(stage), "--inputs", str(inputs),
            "--ticks", str(ticks), "--trace", str(out / f"{name}.trace")]
    # First the trace alone, to learn when the run ends (it may quit early).
    subprocess.run(args, check=True, stderr=subprocess.DEVNULL)
    last = sum(1 for _ in open(out / f"{name}.trace", "rb"))
    dumps = sorted(set(list(range(DUMP_EVERY, last + 1, DUMP_EVERY)) + [last]))
    for tick in dumps:
        args += ["--dump", f"{tick}:{out / f'{name}.dump{tick}.json'}"]
    subprocess.run(args, check=True, stderr=subprocess.DEVNULL)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("mode", choices=("record", "compare"))
    parser.add_argument("folder", type=pathlib.Path)
    parser.add_argument("--game", type=pathlib.Path,
                        default=ROOT / "build" / "debug" / "bin" / "vorne1.0")
    a = parser.parse_args()
    recording = a.mode == "record"
    out = a.folder / ("expected" if recording else "actual")
    out.mkdir(parents=True, exist_ok=True)
    for old in out.iterdir():
        old.unlink()
    all_runs = runs(a.folder, recording)
    for name, stage, inputs in all_runs:
        play(a.game, out, name, stage, inputs)
    if recording:
        print(f"recorded {len(all_runs)} runs, {len(list(out.iterdir()))} files in {out}")
        return 0
    expected = a.folder / "expected"
    names = sorted({p.name for p in expected.iterdir()} | {p.name for p in out.iterdir()})
    differ = [n for n in names if not (expected / n).exists() or not (out / n).exists()
              or not filecmp.cmp(expected / n, out / n, shallow=False)]
    for n in differ:
        print(f"differs: {n}")
    print(f"{len(names) - len(differ)} of {len(names)} files identical")
    return 1 if differ else 0


if __name__ == "__main__":
    sys.exit(main())
