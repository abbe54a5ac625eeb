#!/usr/bin/env python3
"""Checks that the game's folders include only the folders below them.

  tools/check_layers/check_layers.py [SOURCE_DIR]

The order is the one the build states: each folder of game/ is a library
(vorne_layer(NAME USES ...) in its CMakeLists.txt, vorne_platform and the
program in theirs) that links only the libraries it uses. A file may include
headers of its own folder, of the folders its library uses (directly or
through them) and anything outside game/. SDL is included only in
game/platform/. Prints every include that breaks the order; exit status 1 when
there is one, 0 otherwise.
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parents[2])
GAME = ROOT / "game"

LAYER = re.compile(r"vorne_layer\(\s*(\w+)\s+USES\s+([^)]*?)\s+SOURCES\s+([^)]*)\)", re.S)
LINKS = re.compile(r"target_link_libraries\(\s*([\w.]+)\s+(?:PUBLIC|PRIVATE|INTERFACE)\s+([^)]*)\)", re.S)
PROGRAM = re.compile(r"add_executable\(\s*([\w.]+)\s+([^)]*)\)", re.S)
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)


def library_of_folder(name: str) -> str:
    return "vorne_" + name


def main() -> int:
    uses: dict[str, set[str]] = {}      # library -> libraries it links
    files: dict[str, str] = {}          # source file (relative to game/) -> library or program
    for cmake in sorted(GAME.glob("**/CMakeLists.txt")):
        folder = cmake.parent.relative_to(GAME).as_posix()
        text = cmake.read_text()
        for name, used, sources in LAYER.findall(text):
            uses[library_of_folder(name)] = set(used.split())
            for source in sources.split():
                files[f"{folder}/{source}"] = library_of_folder(name)
        for target, sources in PROGRAM.findall(text):
            for source in sources.split():
                files[pathlib.PurePosixPath(folder, source).as_posix().lstrip("./")] = target
        for target, linked in LINKS.findall(text):
            uses.setdefault(target, set()).update(linked.split())

    def reachable(library: str) -> set[str]:
        seen, todo = set(), [library]
        while todo:
            current = todo.pop()
            if current in seen:
                continue
            seen.add(current)
            todo.extend(uses.get(current, ()))
        return seen

    problems = []
    for path in sorted(GAME.glob("*/**/*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        relative = path.relative_to(GAME).as_posix()
        folder = relative.split("/")[0]
        owner = files.get(relative, library_of_folder(folder))
        allowed = reachable(owner)
        for bracket, header in INCLUDE.findall(path.read_text()):
            if bracket == "<" and header.startswith("SDL") and folder != "platform":
                problems.append(f"game/{relative}: includes <{header}>; SDL belongs in game/platform/")
            if bracket != '"' or not header.startswith("game/"):
                continue
            target = header.split("/")[1]
            if target != folder and library_of_folder(target) not in allowed:
                problems.append(f"game/{relative}: includes {header}, but {owner} does not use "
                                f"{library_of_folder(target)}")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
