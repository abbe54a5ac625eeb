#!/usr/bin/env python3
"""Measures the contrast of the key counts over every bundled recorded input:
game.txt on the whole stage file, and each stage's input on that stage alone.

    python3 tools/contrast/measure.py [BUILD_DIR] [OUT_DIR]

BUILD_DIR defaults to build/debug (vorne_contrast and the game's folder bin/);
the frame with the worst figure of each run is written to OUT_DIR (default
/tmp/vorne-contrast) as NAME-worst.png.
"""
import pathlib
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]


def stage_blocks(data: bytes):
    """The stage blocks of a stage file, as bytes (CR LF lines)."""
    lines = data.split(b"\r\n")
    blocks, i = [], 0
    while i < len(lines) and lines[i].strip():
        rows = int(lines[i])
        blocks.append(b"\r\n".join(lines[i:i + rows + 1]) + b"\r\n")
        i += rows + 1
    return blocks


def main():
    build = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ROOT / "build" / "debug")
    out = pathlib.Path(sys.argv[2] if len(sys.argv) > 2 else "/tmp/vorne-contrast")
    out.mkdir(parents=True, exist_ok=True)
    tool = build / "tools" / "contrast" / "vorne_contrast"
    replays = ROOT / "assets" / "replays"
    runs = [("game", ROOT / "assets" / "map.dat", replays / "game.txt")]
    for n, block in enumerate(stage_blocks((ROOT / "assets" / "map.dat").read_bytes()), 1):
        stage = out / f"stage{n:02}.dat"
        stage.write_bytes(block)
        runs.append((stage.stem, stage, replays / f"{stage.stem}.txt"))
    for name, stage, inputs in runs:
        if inputs.exists():
            subprocess.run([str(tool), str(build / "bin"), str(stage), str(inputs), "0",
                            str(out / f"{name}-worst.png")], check=True)


if __name__ == "__main__":
    main()
