#!/usr/bin/env python3
"""The Debian package made from this build, as a user gets it.

CPack packs the build (as `cmake --build --target package` does for the
release build) into a temporary folder; the package is unpacked with
`dpkg-deb -x` and both programs run from there, the game through the whole
bundled game with the recorded input of assets/replays/game.txt, the editor
offscreen. strace lists every file they open: each one must come from the
package, from an installed Debian package (the fonts the game draws with from
one the package depends on or recommends), or from the run's own folders,
never from the source or build tree. Then the package's control fields, its
manual pages, desktop entries and AppStream metadata, and lintian.

Exit status 0 when every check passes, 1 when one fails, 77 (skipped) where
dpkg-deb is missing, as on a system that is not Debian.
"""
import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

failures = []


def check(ok, message):
    if not ok:
        failures.append(message)
        print("FAIL: " + message, flush=True)
    return ok


def run(command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, **kwargs)


def field_names(value):
    """The package names of a Depends or Recommends field, alternatives included."""
    return {re.split(r"[\s(]", alternative.strip())[0]
            for group in value.split(",") if group.strip()
            for alternative in group.split("|")}


def recorded_ticks(path):
    ticks = 0
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            count, star, _ = line.partition("*")
            ticks += int(count) if star else 1
    return ticks


OPEN = re.compile(r'^\d+\s+(?:open|openat|openat2)\((?:[^,]+, )?"((?:[^"\\]|\\.)*)", .*\)\s+= (\d+)')


def opened_files(strace_log):
    """Every file a traced program opened successfully, as it named it."""
    paths = set()
    with open(strace_log, encoding="utf-8", errors="replace") as f:
        for line in f:
            m = OPEN.match(line)
            if m:
                paths.add(m.group(1))
    return paths


def owners(paths):
    """The Debian package owning each path dpkg knows (by any name /usr-merge gives it)."""
    variants = {}
    for path in paths:
        names = {path, os.path.realpath(path)}
        for name in list(names):
            if name.startswith("/usr/lib/") or name.startswith("/usr/bin/"):
                names.add(name[len("/usr"):])
            elif name.startswith("/lib") or name.startswith("/bin/"):
                names.add("/usr" + name)
        variants[path] = names
    known = {}
    everything = sorted({n for names in variants.values() for n in names})
    for start in range(0, len(everything), 200):
        out = run(["dpkg-query", "-S"] + everything[start:start + 200]).stdout
        for line in out.splitlines():
            package, _, name = line.partition(": ")
            if name and "," not in package and not package.startswith("diversion "):
                known[name] = package.split(":")[0]
    result = {}
    for path, names in variants.items():
        for name in names:
            if name in known:
                result[path] = known[name]
                break
    return result


# Files no package holds because the system makes them (caches, indexes).
GENERATED = re.compile(r"(^/etc/|^/var/|\.cache(-\d+)?$|/locale-archive$|/mime\.cache$)")


def account_for(program, opened, root, listing, allowed_dirs, trees, font_owners_allowed):
    """Checks that every file `program` opened is one the user's system holds."""
    outside = set()
    for path in opened:
        if not path.startswith("/"):
            continue  # relative names are the run's own files, in its folder
        real = os.path.realpath(path)
        if real.startswith(root + "/") or path.startswith(root + "/"):
            inside = "/" + os.path.relpath(real, root)
            check(inside in listing,
                  "%s opened %s, which resolves to %s, not a file of the package"
                  % (program, path, inside))
            continue
        if any(real.startswith(d + "/") or real == d for d in allowed_dirs):
            continue
        if path.startswith(("/proc/", "/sys/", "/dev/")) or os.path.isdir(real):
            continue  # listing a folder reads no file's contents
        if any(real.startswith(t + "/") for t in trees):
            check(False, "%s read %s from the source or build tree, which the package "
                  "does not hold" % (program, path))
            continue
        outside.add(path)
    found = owners(outside)
    for path in sorted(outside):
        if path not in found:
            check(GENERATED.search(path) is not None,
                  "%s read %s, which no Debian package holds" % (program, path))
            continue
        if font_owners_allowed is not None and path.startswith("/usr/share/fonts/"):
            check(found[path] in font_owners_allowed,
                  "%s draws with %s from %s, which the package neither depends on nor "
                  "recommends" % (program, path, found[path]))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--source-dir", required=True)
    parser.add_argument("--cpack", default="cpack")
    parser.add_argument("--version", help="default: the project's, from the build's cache")
    parser.add_argument("--appstream-id", help="default: the build's metainfo file's name")
    args = parser.parse_args()
    if args.version is None:
        with open(os.path.join(args.build_dir, "CMakeCache.txt"), encoding="utf-8") as f:
            args.version = re.search(r"^CMAKE_PROJECT_VERSION:\w+=(.*)$", f.read(), re.M).group(1)
    if args.appstream_id is None:
        made = [f for f in os.listdir(os.path.join(args.build_dir, "packaging"))
                if f.endswith(".metainfo.xml")]
        args.appstream_id = made[0][:-len(".metainfo.xml")] if len(made) == 1 else "?"

    if not shutil.which("dpkg-deb"):
        print("dpkg-deb is not installed: not a Debian system")
        return 77
    for tool in ("strace", "lintian", "appstreamcli", "mandoc", "man", "desktop-file-validate"):
        if not shutil.which(tool):
            check(False, "%s is not installed (tools/setup.sh installs it)" % tool)
    if failures:
        return 1

    build = os.path.realpath(args.build_dir)
    source = os.path.realpath(args.source_dir)
    temp = os.path.realpath(tempfile.mkdtemp(prefix="vorne_package_"))
    try:
        return test_package(args, build, source, temp)
    finally:
        shutil.rmtree(temp, ignore_errors=True)


def test_package(args, build, source, temp):
    out, root, work, home = (os.path.join(temp, d) for d in ("out", "root", "work", "home"))
    for d in (out, work, home):
        os.makedirs(d)

    # gzip: the debug build's package only has to be read back here.
    r = run([args.cpack, "--config", os.path.join(build, "CPackConfig.cmake"), "-B", out,
             "-D", "CPACK_DEBIAN_COMPRESSION_TYPE=gzip"], cwd=build)
    debs = [f for f in os.listdir(out) if f.endswith(".deb")] if r.returncode == 0 else []
    if not check(len(debs) == 1, "cpack made no package:\n" + r.stdout + r.stderr):
        return 1
    deb = os.path.join(out, debs[0])
    arch = run(["dpkg", "--print-architecture"]).stdout.strip()
    check(debs[0] == "vorne_%s_%s.deb" % (args.version, arch), "package file name " + debs[0])

    # The control fields: the libraries from dpkg-shlibdeps, the fonts, the
    # file dialog and the soundfont declared.
    fields = {}
    for name in ("Package", "Version", "Section", "Depends", "Recommends", "Maintainer"):
        fields[name] = run(["dpkg-deb", "-f", deb, name]).stdout.strip()
    check(fields["Package"] == "vorne", "Package: " + fields["Package"])
    check(fields["Version"] == args.version, "Version: %s, not %s" % (fields["Version"], args.version))
    check(fields["Section"] == "games", "Section: " + fields["Section"])
    depends, recommends = field_names(fields["Depends"]), field_names(fields["Recommends"])
    for package in ("libc6", "libsdl2-2.0-0", "libsdl2-mixer-2.0-0", "libsdl2-ttf-2.0-0",
                    "libsdl2-image-2.0-0", "libqt6widgets6", "fonts-ipafont-gothic",
                    "fonts-ipafont-mincho"):
        check(package in depends, "Depends lacks %s: %s" % (package, fields["Depends"]))
    for package in ("zenity", "timgm6mb-soundfont"):
        check(package in recommends, "Recommends lacks %s: %s" % (package, fields["Recommends"]))

    r = run(["dpkg-deb", "-x", deb, root])
    if not check(r.returncode == 0, "dpkg-deb -x: " + r.stderr):
        return 1
    listing = set()
    for line in run(["dpkg-deb", "-c", deb]).stdout.splitlines():
        name = line.split(None, 5)[5].split(" -> ")[0]
        listing.add(name[1:].rstrip("/") if name.startswith("./") else name)
    check(all(p.startswith("/usr") for p in listing if p),
          "files outside /usr: %s" % sorted(p for p in listing if p and not p.startswith("/usr")))
    for path in ("/usr/bin/vorne1.0", "/usr/bin/draskel1.0", "/usr/share/man/man6/vorne1.0.6.gz",
                 "/usr/share/man/man6/draskel1.0.6.gz", "/usr/share/doc/vorne/copyright",
                 "/usr/share/doc/vorne/changelog.gz",
                 "/usr/share/metainfo/%s.metainfo.xml" % args.appstream_id,
                 "/usr/share/applications/vorne1.0.desktop",
                 "/usr/share/applications/draskel1.0.desktop",
                 "/usr/share/icons/hicolor/32x32/apps/vorne1.0.png",
                 "/usr/share/icons/hicolor/32x32/apps/draskel1.0.png"):
        check(path in listing, "the package lacks " + path)
    game = os.path.join(root, "usr/bin/vorne1.0")
    editor = os.path.join(root, "usr/bin/draskel1.0")

    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=home + "/config",
               XDG_STATE_HOME=home + "/state", XDG_RUNTIME_DIR=home, TMPDIR=home,
               SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy", QT_QPA_PLATFORM="offscreen",
               LC_ALL="C.UTF-8")
    for name in ("VORNE_BIN_DIR", "VORNE_SOURCE_DIR", "SDL_SOUNDFONTS", "XDG_DATA_DIRS"):
        env.pop(name, None)

    for program, command in (("vorne1.0", game), ("draskel1.0", editor)):
        r = run([command, "--version"], env=env, cwd=work)
        check(r.returncode == 0 and r.stdout == "%s %s\n" % (program, args.version),
              "%s --version: %r (status %d), the package's version is %s"
              % (program, r.stdout, r.returncode, args.version))

    # The whole game, from the title through every bundled stage to the
    # ending and back to the title.
    shutil.copy(os.path.join(source, "assets/replays/game.txt"), work)
    ticks = recorded_ticks(os.path.join(work, "game.txt"))
    trace_log = os.path.join(temp, "game.strace")
    r = run(["strace", "-f", "-qq", "-e", "trace=open,openat,openat2", "-o", trace_log, game,
             "--headless", "--inputs", "game.txt", "--ticks", str(ticks), "--trace", "trace.jsonl"],
            env=env, cwd=work)
    check(r.returncode == 0 and r.stderr == "",
          "the installed game, status %d: %s" % (r.returncode, r.stderr))
    states = []
    if os.path.exists(os.path.join(work, "trace.jsonl")):
        with open(os.path.join(work, "trace.jsonl"), encoding="utf-8") as f:
            states = [(t["state"], t["stage"]) for t in map(json.loads, f)]
    check(len(states) == ticks, "the trace holds %d ticks of %d" % (len(states), ticks))
    played = {stage for state, stage in states if state == 0}
    check(played == set(range(1, 11)), "stages played: %s" % sorted(played))
    ending = [i for i, (state, stage) in enumerate(states) if state == 6 and stage == 10]
    check(bool(ending), "the game never reached the ending after stage 10")
    check(bool(states) and states[-1][0] == 1, "the game did not end on the title")
    check(all(state != 2 for state, _ in states), "a life was lost on the way")

    # The editor with the bundled stages, drawn offscreen with its chips.
    editor_log = os.path.join(temp, "editor.strace")
    r = run(["strace", "-f", "-qq", "-e", "trace=open,openat,openat2", "-o", editor_log, editor,
             "--screenshot", "editor.png", os.path.join(root, "usr/share/vorne/map.dat")],
            env=env, cwd=work)
    check(r.returncode == 0 and "draskel1.0:" not in r.stderr,
          "the installed editor, status %d: %s" % (r.returncode, r.stderr))
    with open(os.path.join(work, "editor.png"), "rb") as f:
        check(f.read(8) == b"\x89PNG\r\n\x1a\n", "the editor's picture is not a PNG")

    trees = [build, source]
    allowed = [work, home, temp + "/out"]
    fonts_declared = depends | recommends
    account_for("vorne1.0", opened_files(trace_log), root, listing, allowed, trees, fonts_declared)
    account_for("draskel1.0", opened_files(editor_log), root, listing, allowed, trees, None)
    game_data = {"/" + os.path.relpath(os.path.realpath(p), root)
                 for p in opened_files(trace_log) if p.startswith(root + "/")}
    for wanted in ("/usr/share/vorne/map.dat", "/usr/share/vorne/sheets/kabe.png"):
        check(wanted in game_data, "the game never read " + wanted)

    # Manual pages without a warning, valid entries and metadata, lintian.
    for page in ("vorne1.0", "draskel1.0"):
        path = os.path.join(root, "usr/share/man/man6/%s.6.gz" % page)
        r = run(["man", "--warnings", "-E", "UTF-8", "-l", path], env=dict(env, MANWIDTH="80"))
        check(r.returncode == 0 and r.stderr == "", "man -l %s: %s" % (page, r.stderr))
        check("--headless" in r.stdout or page != "vorne1.0", "man -l vorne1.0 lacks --headless")
        r = run(["mandoc", "-T", "lint", "-W", "warning", path])
        check(r.returncode == 0 and r.stdout + r.stderr == "",
              "mandoc -T lint %s: %s" % (page, r.stdout + r.stderr))
    for entry in ("vorne1.0", "draskel1.0"):
        path = os.path.join(root, "usr/share/applications/%s.desktop" % entry)
        r = run(["desktop-file-validate", path])
        check(r.returncode == 0 and r.stdout + r.stderr == "",
              "desktop-file-validate %s: %s" % (entry, r.stdout + r.stderr))
        with open(path, encoding="utf-8") as f:
            exec_line = [l for l in f.read().splitlines() if l.startswith("Exec=")]
        check(exec_line and exec_line[0].split()[0] == "Exec=/usr/bin/" + entry,
              "%s.desktop starts %s" % (entry, exec_line))
    metainfo = os.path.join(root, "usr/share/metainfo/%s.metainfo.xml" % args.appstream_id)
    r = run(["appstreamcli", "validate", "--no-net", metainfo])
    check(r.returncode == 0, "appstreamcli validate:\n" + r.stdout + r.stderr)
    with open(metainfo, encoding="utf-8") as f:
        text = f.read()
    check('<release version="%s"' % args.version in text, "no release entry for " + args.version)
    for launchable in re.findall(r'<launchable type="desktop-id">([^<]+)<', text):
        check("/usr/share/applications/" + launchable in listing,
              "the metadata launches %s, which the package lacks" % launchable)
    r = run(["lintian", "--fail-on", "error,warning", deb])
    print(r.stdout, end="")
    check(r.returncode == 0, "lintian found errors or warnings:\n" + r.stdout + r.stderr)

    print("package %s: %d failed checks" % (debs[0], len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
