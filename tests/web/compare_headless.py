#!/usr/bin/env python3
"""The browser build plays by the same rules as the desktop build.

  tests/web/compare_headless.py --web-build build/web

Runs every recorded input (assets/replays/, the bundled proofs in
assets/map.dat.proofs/, and tools/prove_same's random runs on generated
stages) through the desktop headless runner (build/web/host/bin/vorne1.0) and
through the WebAssembly one under node (build/web/headless/), and compares
their traces and world dumps byte for byte, and the pixels of screenshots of
every screen of the whole game (the two builds encode PNG differently). Both
run from one folder, so the paths the traces name are the same. Exit status 0
when everything is identical.
"""
import argparse
import filecmp
import os
import pathlib
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

ROOT = pathlib.Path(__file__).resolve().parents[2]
PROVE_SAME = ROOT / "tools" / "prove_same" / "prove_same.py"
sys.path.insert(0, str(PROVE_SAME.parent))
from prove_same import input_ticks  # noqa: E402  (how many ticks an input file plays)


def proof_runs(folder: pathlib.Path, game: pathlib.Path, out: pathlib.Path):
    """Traces of the bundled proofs, each on its stage of the bundled file."""
    out.mkdir(parents=True, exist_ok=True)
    for proof in sorted((ROOT / "assets" / "map.dat.proofs").glob("stage-*.txt")):
        stage = int(proof.stem.split("-")[1])
        ticks = input_ticks(proof)
        subprocess.run([str(game), "--headless", "--map", str(folder / "map.dat"),
                        "--stage", str(stage), "--inputs", str(proof), "--ticks", str(ticks + 50),
                        "--trace", str(out / f"{proof.stem}.trace")],
                       check=True, stderr=subprocess.DEVNULL)


# Ticks of assets/replays/game.txt that show each screen: the title, a stage's
# introduction, play with texts and key counts, the ending, and the title again.
SCREEN_TICKS = (1, 20, 100, 1200, 3500, 4000, 4950, 5110, 5125)


def png_pixels(path: pathlib.Path):
    """The RGBA rows of an 8-bit RGBA PNG (the runners write no other kind)."""
    data = path.read_bytes()
    at, idat, width, height = 8, b"", 0, 0
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height = struct.unpack(">II", body[:8])
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    raw, stride, rows = zlib.decompress(idat), 4 * width, []
    previous = bytearray(stride)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            a = line[x - 4] if x >= 4 else 0
            b, c = previous[x], previous[x - 4] if x >= 4 else 0
            if kind == 1:
                line[x] = (line[x] + a) & 255
            elif kind == 2:
                line[x] = (line[x] + b) & 255
            elif kind == 3:
                line[x] = (line[x] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes(line))
        previous = line
    return rows


def screens_differ(folder: pathlib.Path, out: pathlib.Path):
    """Differing pixels per screen of the whole game, desktop against wasm."""
    out.mkdir(parents=True, exist_ok=True)
    for game in ("vorne1.0", "vorne1.0-wasm"):
        args = [str(folder / game), "--headless", "--inputs",
                str(ROOT / "assets" / "replays" / "game.txt"), "--ticks", str(max(SCREEN_TICKS))]
        for tick in SCREEN_TICKS:
            args += ["--screenshot", f"{tick}:{out / f'{game}-{tick}.png'}"]
        subprocess.run(args, check=True, stderr=subprocess.DEVNULL)
    counts = {}
    for tick in SCREEN_TICKS:
        a = png_pixels(out / f"vorne1.0-{tick}.png")
        b = png_pixels(out / f"vorne1.0-wasm-{tick}.png")
        counts[tick] = sum(1 for ra, rb in zip(a, b) for x in range(0, len(ra), 4)
                           if ra[x:x + 3] != rb[x:x + 3]) + abs(len(a) - len(b)) * 200
    return counts


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--web-build", type=pathlib.Path, default=ROOT / "build" / "web")
    a = parser.parse_args()
    web = a.web_build.resolve()
    host_bin = web / "host" / "bin"
    with tempfile.TemporaryDirectory(prefix="vorne-web-compare-") as temp:
        folder = pathlib.Path(temp) / "game"
        folder.mkdir()
        # One program folder for both runners.
        shutil.copy2(host_bin / "vorne1.0", folder / "vorne1.0")
        for name in ("vorne1.0.js", "vorne1.0.wasm"):
            shutil.copy2(web / "headless" / name, folder / name)
        (folder / "vorne1.0-wasm").write_text(
            '#!/bin/sh\nexec node --no-experimental-fetch "$(dirname "$0")/vorne1.0.js" "$@"\n')
        os.chmod(folder / "vorne1.0-wasm", 0o755)
        shutil.copy2(host_bin / "map.dat", folder / "map.dat")
        for sub in ("sheets", "sound", "text"):
            os.symlink(host_bin / sub, folder / sub)

        runs = pathlib.Path(temp) / "runs"
        for mode, game in (("record", "vorne1.0"), ("compare", "vorne1.0-wasm")):
            done = subprocess.run([sys.executable, str(PROVE_SAME), mode, str(runs),
                                   "--game", str(folder / game)], capture_output=True, text=True)
            if mode == "record" and done.returncode != 0:
                print(done.stdout + done.stderr, end="")
                return 2
        print(done.stdout, end="")
        same = done.returncode == 0

        proofs = pathlib.Path(temp) / "proofs"
        proof_runs(folder, folder / "vorne1.0", proofs / "desktop")
        proof_runs(folder, folder / "vorne1.0-wasm", proofs / "wasm")
        names = sorted(p.name for p in (proofs / "desktop").iterdir())
        differ = [n for n in names
                  if not filecmp.cmp(proofs / "desktop" / n, proofs / "wasm" / n, shallow=False)]
        for n in differ:
            print(f"differs: proof {n}")
        print(f"{len(names) - len(differ)} of {len(names)} proof traces identical")

        counts = screens_differ(folder, pathlib.Path(temp) / "screens")
        print("differing pixels per screen (tick: count): " +
              ", ".join(f"{tick}: {n}" for tick, n in counts.items()))
        return 0 if same and not differ and not any(counts.values()) else 1


if __name__ == "__main__":
    sys.exit(main())
