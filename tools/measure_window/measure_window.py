#!/usr/bin/env python3
"""The game's cost on the desktop: runs vorne1.0 in a window under Xvfb and
prints the share of one core the whole process takes, and the spread of the
intervals between tick releases.

    python3 tools/measure_window/measure_window.py [--binary PATH] [--seconds N]
            [--play] [--warmup S] [-- extra game options]

--play presses Z (with xdotool) once the title shows, so the figures are of
play rather than of the title. The release times come from the game's
VORNE_RELEASE_LOG (one monotonic microsecond count per release); a binary that
does not write it gets no interval figures. Runs with SDL_AUDIODRIVER=dummy.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime + stime


def thread_ticks(pid):
    out = {}
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/stat") as f:
                stat = f.read()
        except OSError:
            continue
        name = stat[stat.find("(") + 1 : stat.rfind(")")]
        fields = stat.rsplit(")", 1)[1].split()
        out[(tid, name)] = int(fields[11]) + int(fields[12])
    return out


def find_game(parent_pid, name):
    # xvfb-run starts the game as a grandchild: find it by parent chain.
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                stat = f.read()
        except OSError:
            continue
        comm = stat[stat.find("(") + 1 : stat.rfind(")")]
        if comm != name[:15]:
            continue
        pid = int(entry)
        p = pid
        for _ in range(6):
            with open(f"/proc/{p}/stat") as f:
                p = int(f.read().rsplit(")", 1)[1].split()[1])
            if p == parent_pid:
                return pid
            if p <= 1:
                break
    return None


def percentile(values, q):
    values = sorted(values)
    if not values:
        return float("nan")
    k = min(len(values) - 1, max(0, int(round(q / 100.0 * (len(values) - 1)))))
    return values[k]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    root = os.path.dirname(os.path.dirname(here))
    ap = argparse.ArgumentParser()
    ap.add_argument("--binary", default=os.path.join(root, "build/debug/bin/vorne1.0"))
    ap.add_argument("--seconds", type=float, default=20.0)
    ap.add_argument("--warmup", type=float, default=3.0)
    ap.add_argument("--play", action="store_true")
    ap.add_argument("game_args", nargs="*")
    a = ap.parse_args()

    log = tempfile.NamedTemporaryFile(prefix="vorne-releases-", delete=False)
    log.close()
    # Runtime and settings folders of its own: the game's one-copy lock lives
    # in the first, so another copy running elsewhere does not stop this one,
    # and the player's remembered window is left alone.
    runtime = tempfile.mkdtemp(prefix="vorne-measure-")
    env = dict(os.environ, SDL_AUDIODRIVER="dummy", VORNE_RELEASE_LOG=log.name,
               XDG_RUNTIME_DIR=runtime, XDG_CONFIG_HOME=runtime)
    inner = [a.binary] + a.game_args
    if a.play:
        # Press Z on the title once the window is up, inside the same display.
        script = (
            '"$@" & g=$!; sleep %.1f; '
            'xdotool mousemove 640 512 keydown z sleep 0.3 keyup z; wait $g' % max(1.0, a.warmup - 1.0)
        )
        inner = ["sh", "-c", script, "sh"] + inner
    xvfb = subprocess.Popen(
        ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24"] + inner,
        env=env,
        stdout=subprocess.DEVNULL,
        stderr=subprocess.DEVNULL,
        start_new_session=True,
    )
    name = os.path.basename(a.binary)
    pid = None
    deadline = time.time() + 10
    while pid is None and time.time() < deadline:
        time.sleep(0.1)
        pid = find_game(xvfb.pid, name)
    if pid is None:
        os.killpg(xvfb.pid, 15)
        sys.exit("the game did not start")
    time.sleep(a.warmup)
    if not os.path.exists(f"/proc/{pid}"):
        sys.exit("the game ended before the measurement")
    hz = os.sysconf("SC_CLK_TCK")
    t0, c0, th0 = time.monotonic(), cpu_ticks(pid), thread_ticks(pid)
    time.sleep(a.seconds)
    t1, c1, th1 = time.monotonic(), cpu_ticks(pid), thread_ticks(pid)
    os.kill(pid, 15)
    try:
        xvfb.wait(timeout=10)
    except subprocess.TimeoutExpired:
        os.killpg(xvfb.pid, 9)

    share = 100.0 * (c1 - c0) / hz / (t1 - t0)
    print(f"{' '.join([name] + a.game_args)}{' (play)' if a.play else ' (title)'}: "
          f"{share:.2f} % of one core over {t1 - t0:.1f} s")
    threads = sorted(((th1[k] - th0.get(k, 0), k[1]) for k in th1), reverse=True)
    print("  by thread: " + ", ".join(f"{name} {100.0 * t / hz / (t1 - t0):.2f} %"
                                       for t, name in threads if t > 0))
    with open(log.name) as f:
        # The game writes CLOCK_MONOTONIC microseconds, as time.monotonic reads.
        times = [t for t in map(int, f.read().split()) if t0 * 1e6 <= t <= t1 * 1e6]
    os.unlink(log.name)
    shutil.rmtree(runtime, ignore_errors=True)
    if len(times) > 2:
        iv = [(b - c) / 1000.0 for c, b in zip(times, times[1:])]
        print(f"release intervals (ms), {len(iv)}: min {min(iv):.3f} p1 {percentile(iv, 1):.3f} "
              f"p50 {percentile(iv, 50):.3f} p99 {percentile(iv, 99):.3f} max {max(iv):.3f}")
    else:
        print("release intervals: not logged by this binary")


if __name__ == "__main__":
    main()
