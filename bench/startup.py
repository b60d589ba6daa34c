# Start-up of the game against a bare SDL2 program (bench/bare), both watched from outside:
# from just before the fork until X reports the window mapped (map_watch). Runs are
# interleaved, the order alternating, on a virtual screen of the layout's own size, the game
# in data/. Used by figures.py; run alone it prints the figure:
#   python3 bench/startup.py BUILD_DIR DATA_DIR [RUNS]
import json
import os
import statistics
import subprocess
import sys

SCREEN = (1369, 700)
RUNS = 15
# Under the normal scheduler, on a machine that may not be quite still, more rounds.
RUNS_NORMAL = 25


def above_other_work():
    """Runs this process and what it starts after this (the X server, both programs) under
    the real-time FIFO policy, if the system allows it, so that builds or tests sharing the
    machine do not decide the figure: both programs get the cores when they want them, as on a
    quiet machine. Says whether it could."""
    try:
        os.sched_setscheduler(0, os.SCHED_FIFO, os.sched_param(10))
        return True
    except (PermissionError, OSError, AttributeError):
        return False


def watch(map_watch, display, exe, cwd):
    """Milliseconds until the window was mapped, and the CPU milliseconds used by then."""
    env = dict(os.environ, DISPLAY=display, SDL_AUDIODRIVER="dummy")
    out = subprocess.run([map_watch, exe], cwd=cwd, env=env, capture_output=True, text=True, timeout=60)
    if out.returncode != 0:
        raise RuntimeError(f"{exe}: {out.stderr.strip()}")
    wall, cpu = out.stdout.split()
    return float(wall), float(cpu)


def compare(build, data, display, runs=RUNS):
    map_watch = os.path.join(build, "bench", "map_watch")
    bare = os.path.join(build, "bench", "bare_sdl")
    game = os.path.join(build, "timburik")
    times = {"bare": [], "game": []}
    cpu = {"bare": [], "game": []}
    # One of each first, not counted: it brings both programs' files into the page cache.
    watch(map_watch, display, bare, data)
    watch(map_watch, display, game, data)
    for i in range(runs):
        order = (("bare", bare), ("game", game)) if i % 2 == 0 else (("game", game), ("bare", bare))
        for name, exe in order:
            wall, used = watch(map_watch, display, exe, data)
            times[name].append(wall)
            cpu[name].append(used)
    bare_ms, game_ms = statistics.median(times["bare"]), statistics.median(times["game"])
    bare_cpu, game_cpu = statistics.median(cpu["bare"]), statistics.median(cpu["game"])
    return {"screen": f"{SCREEN[0]}x{SCREEN[1]}", "bare_ms": times["bare"], "game_ms": times["game"],
            "bare_median": bare_ms, "game_median": game_ms, "ratio": game_ms / bare_ms,
            "bare_cpu_ms": cpu["bare"], "game_cpu_ms": cpu["game"], "bare_cpu_median": bare_cpu,
            "game_cpu_median": game_cpu, "cpu_ratio": game_cpu / bare_cpu}


if __name__ == "__main__":
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    build, data = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else RUNS
    fifo = above_other_work()
    r, w = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", f"{SCREEN[0]}x{SCREEN[1]}x24",
                             "-nolisten", "tcp"], pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(w)
    with os.fdopen(r) as f:
        display = ":" + f.readline().strip()
    try:
        result = compare(build, data, display, runs)
    finally:
        xvfb.terminate()
        xvfb.wait()
    result["fifo"] = fifo
    print(json.dumps(result))
    print(f"bare {result['bare_median']:.1f} ms, game {result['game_median']:.1f} ms, ratio {result['ratio']:.2f};"
          f" CPU bare {result['bare_cpu_median']:.1f} ms, game {result['game_cpu_median']:.1f} ms,"
          f" ratio {result['cpu_ratio']:.2f}", file=sys.stderr)
