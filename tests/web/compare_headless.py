#!/usr/bin/env python3
"""The browser build plays by the same rules as the desktop build.

  tests/web/compare_headless.py --web-build build/web

Runs every recorded input (assets/replays/, the bundled proofs in
assets/map.dat.proofs/, and tools/prove_same's random runs on generated
stages) through the desktop headless runner (build/web/host/bin/vorne1.0) and
through the WebAssembly one under node (build/web/headless/), and compares
their traces and world dumps byte for byte. Both run from one folder, so the
paths the traces name are the same. Exit status 0 when everything is
identical.
"""
import argparse
import filecmp
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parents[2]
PROVE_SAME = ROOT / "tools" / "prove_same" / "prove_same.py"


def proof_runs(folder: pathlib.Path, game: pathlib.Path, out: pathlib.Path):
    """Traces of the bundled proofs, each on its stage of the bundled file."""
    out.mkdir(parents=True, exist_ok=True)
    for proof in sorted((ROOT / "assets" / "map.dat.proofs").glob("stage-*.txt")):
        stage = int(proof.stem.split("-")[1])
        ticks = sum(int(line.split()[0].split("*")[0]) if "*" in line.split()[0] else 1
                    for line in proof.read_text().splitlines()
                    if line.strip() and not line.startswith("#"))
        subprocess.run([str(game), "--headless", "--map", str(folder / "map.dat"),
                        "--stage", str(stage), "--inputs", str(proof), "--ticks", str(ticks + 50),
                        "--trace", str(out / f"{proof.stem}.trace")],
                       check=True, stderr=subprocess.DEVNULL)


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
        for sub in ("sheets", "sound"):
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
        return 0 if same and not differ else 1


if __name__ == "__main__":
    sys.exit(main())
