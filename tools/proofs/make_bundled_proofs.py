#!/usr/bin/env python3
"""Makes the bundled stages' proofs from their recorded inputs.

  tools/proofs/make_bundled_proofs.py [--game PATH]

Each assets/replays/stageNN.txt starts on the title of a file that holds its
stage alone: Z, then the 50 ticks of the introduction. Under --stage play
begins at once, so the proof of stage NN of assets/map.dat is that input with
its first 51 ticks taken off, under the header the game writes for a
recording made with --map assets/map.dat --stage NN. The proofs go to
assets/map.dat.proofs/stage-NN.txt; check them with vorne1.0 --prove.
The game defaults to build/debug/bin/vorne1.0.
"""
import argparse
import pathlib
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parents[2]
CUT = 51  # the title's Z and the stage introduction


def is_input(line: str) -> bool:
    stripped = line.strip()
    return bool(stripped) and not stripped.startswith("#")


def cut_ticks(lines, ticks):
    """The lines after the first `ticks` ticks of input; a line cut in two
    keeps the ticks left of it."""
    kept, i = [], 0
    while i < len(lines) and ticks > 0:
        line = lines[i]
        i += 1
        if not is_input(line):
            continue
        first, rest = line.split(None, 1)
        count, value = (int(first.split("*")[0]), first.split("*")[1]) if "*" in first else (1, first)
        if count > ticks:
            left = count - ticks
            kept.append((f"{left}*" if left > 1 else "") + f"{value} {rest}")
        ticks -= min(ticks, count)
    return kept + lines[i:]


def header(game: pathlib.Path, stage: int) -> list:
    with tempfile.TemporaryDirectory() as folder:
        out = pathlib.Path(folder) / "header.txt"
        subprocess.run([str(game), "--headless", "--map", "assets/map.dat", "--stage", str(stage),
                        "--ticks", "0", "--record", str(out)], check=True, cwd=ROOT)
        return [l for l in out.read_text().splitlines() if not l.startswith("# end:")]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--game", type=pathlib.Path,
                        default=ROOT / "build" / "debug" / "bin" / "vorne1.0")
    a = parser.parse_args()
    proofs = ROOT / "assets" / "map.dat.proofs"
    proofs.mkdir(exist_ok=True)
    for replay in sorted((ROOT / "assets" / "replays").glob("stage[0-9][0-9].txt")):
        stage = int(replay.stem[5:])
        lines = replay.read_text().splitlines()
        body = cut_ticks(lines, CUT)
        text = header(a.game, stage) + [
            f"# Made from assets/replays/{replay.name} by tools/proofs/make_bundled_proofs.py: its",
            f"# first {CUT} ticks (Z on the title and the introduction) taken off, as --stage",
            "# starts play at once.",
            lines[0],
        ] + body
        (proofs / f"stage-{stage:02}.txt").write_text("\n".join(text) + "\n")
    print(f"wrote the proofs in {proofs}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
