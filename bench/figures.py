# The whole-process figures of the real game under a virtual X server, in data/: start to
# the first presented frame, start-up against a bare SDL2 program (startup.py), idle CPU on
# the play screen, and peak memory over a whole game. Called by bench/run.sh with the build
# directory and data/; prints one JSON object.
import json
import os
import re
import signal
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import startup  # noqa: E402

LAYOUT_W, LAYOUT_H = 1369, 700
SCREEN_W, SCREEN_H = 1366, 768  # a common laptop screen: the layout is scaled to fit
FIRST_FRAME_RUNS = 10
IDLE_SECONDS = 10
IDLE_RUNS = 3
WORDS = 8
MARKER = "timburik: first frame presented"

build, data = sys.argv[1], sys.argv[2]
exe = os.path.join(build, "timburik")


def layout_to_screen(x, y):
    # The same fit the game uses: uniform scale, centred (platform/ScreenFit).
    scale = min(SCREEN_W / LAYOUT_W, SCREEN_H / LAYOUT_H)
    w, h = round(LAYOUT_W * scale), round(LAYOUT_H * scale)
    return int((SCREEN_W - w) // 2 + x * scale), int((SCREEN_H - h) // 2 + y * scale)


# Centres of the controls, in layout coordinates (screens/TFWords.h).
GIRL = (488 + 104, 200 + 104)
WHITE = (224 + 108, 656 + 20)
HINT = (16 + 100, 424 + 16)
HINT_FACE = (16 + 10, 424 + 16)  # a plain part of the hint button
NEXT = (744 + 100, 424 + 128)
EXIT = (8 + 28, 16 + 8)
BOARD_X = -16  # the board control's left edge


class Xvfb:
    def __init__(self, size=(SCREEN_W, SCREEN_H)):
        self.size = size

    def __enter__(self):
        r, w = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(w), "-screen", "0", f"{self.size[0]}x{self.size[1]}x24", "-nolisten", "tcp"],
            pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(w)
        with os.fdopen(r) as f:
            self.display = ":" + f.readline().strip()
        return self

    def __exit__(self, *exc):
        self.proc.terminate()
        self.proc.wait()


class ProgressFiles:
    """The game writes each child's progress into data/ when it is left; put back what was there."""

    NAMES = ("Confif.cnf", "Confis.cnf")

    def __enter__(self):
        self.saved = {}
        for n in self.NAMES:
            p = os.path.join(data, n)
            self.saved[n] = open(p, "rb").read() if os.path.exists(p) else None
        return self

    def __exit__(self, *exc):
        for n, content in self.saved.items():
            p = os.path.join(data, n)
            if content is None:
                if os.path.exists(p):
                    os.remove(p)
            else:
                with open(p, "wb") as f:
                    f.write(content)


def game_env(display):
    return dict(os.environ, DISPLAY=display, SDL_AUDIODRIVER="dummy", TIMBURIK_TRACE_FIRST_FRAME="1")


def start(display, wrap=()):
    """Starts the game; returns it with the milliseconds until its first frame was presented."""
    t0 = time.monotonic()
    p = subprocess.Popen(list(wrap) + [exe], cwd=data, env=game_env(display), stderr=subprocess.PIPE, text=True)
    while True:
        line = p.stderr.readline()
        if not line:
            raise RuntimeError("the game ended before its first frame")
        if line.strip() == MARKER:
            return p, (time.monotonic() - t0) * 1000.0


def stop(p):
    if p.poll() is None:
        p.send_signal(signal.SIGTERM)
    try:
        p.wait(timeout=10)
    except subprocess.TimeoutExpired:
        p.kill()
        p.wait()


def xdo(display, *args):
    subprocess.run(["xdotool", *map(str, args)], env=dict(os.environ, DISPLAY=display), check=True)


def click(display, at):
    x, y = layout_to_screen(*at)
    xdo(display, "mousemove", x, y, "click", "1", "sleep", "0.3")


def drag(display, frm, to):
    (x0, y0), (x1, y1) = layout_to_screen(*frm), layout_to_screen(*to)
    args = ["mousemove", x0, y0, "mousedown", "1"]
    for i in range(1, 11):
        args += ["sleep", "0.02", "mousemove", x0 + (x1 - x0) * i // 10, y0 + (y1 - y0) * i // 10]
    args += ["mouseup", "1", "sleep", "0.3"]
    xdo(display, *args)


def pixel(display, at):
    x, y = layout_to_screen(*at)
    out = subprocess.run(["import", "-window", "root", "-crop", f"1x1+{x}+{y}", "-depth", "8", "txt:-"],
                         env=dict(os.environ, DISPLAY=display), capture_output=True, text=True, check=True).stdout
    body = [l for l in out.splitlines() if not l.startswith("#")]
    return re.search(r"#([0-9A-Fa-f]{6})", body[0]).group(1).upper()


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime + stime, fields 14 and 15


def cpu_ns(pid):
    total = 0
    for t in os.listdir(f"/proc/{pid}/task"):
        with open(f"/proc/{pid}/task/{t}/schedstat") as f:
            total += int(f.read().split()[0])
    return total


def to_play_screen(display, p):
    click(display, GIRL)
    click(display, WHITE)
    time.sleep(0.5)
    if pixel(display, HINT_FACE) != "D4D0C8":
        stop(p)
        raise RuntimeError("the play screen did not come up")


def first_frame(display):
    times = []
    for _ in range(FIRST_FRAME_RUNS):
        p, ms = start(display)
        times.append(ms)
        stop(p)
    return times


def idle(display):
    runs = []
    for _ in range(IDLE_RUNS):
        with ProgressFiles():
            p, _ = start(display)
            to_play_screen(display, p)
            time.sleep(1)
            t0, n0 = cpu_ticks(p.pid), cpu_ns(p.pid)
            time.sleep(IDLE_SECONDS)
            t1, n1 = cpu_ticks(p.pid), cpu_ns(p.pid)
            stop(p)
        hz = os.sysconf("SC_CLK_TCK")
        runs.append({"percent": (t1 - t0) / hz / IDLE_SECONDS * 100.0,
                     "percent_ns": (n1 - n0) / 1e9 / IDLE_SECONDS * 100.0})
    return runs


def whole_game(display):
    with ProgressFiles(), tempfile.NamedTemporaryFile("r", suffix=".time") as report:
        p, _ = start(display, wrap=("/usr/bin/time", "-v", "-o", report.name))
        to_play_screen(display, p)
        for _ in range(WORDS):
            # Two tiles taken from the top row and dropped on cells (whatever their letters),
            # then the hint finishes the word, and the next picture leads to the next word.
            for bx in (684, 584):
                drag(display, (BOARD_X + bx, 55), (BOARD_X + bx, 245))
            time.sleep(0.3)
            click(display, HINT)
            time.sleep(1.2)
            click(display, NEXT)
            click(display, NEXT)
            time.sleep(0.3)
        with open(f"/proc/{p.pid}/task/{p.pid}/children") as f:
            game = int(f.read().split()[0])  # the game runs as the child of time
        with open(f"/proc/{game}/status") as f:
            hwm_kb = next(int(l.split()[1]) for l in f if l.startswith("VmHWM"))
        click(display, EXIT)
        xdo(display, "key", "Return")
        try:
            p.wait(timeout=10)
            exited = True
        except subprocess.TimeoutExpired:
            exited = False
            stop(p)
        time.sleep(0.2)
        text = open(report.name).read()
    max_kb = next((int(l.split(":")[1]) for l in text.splitlines() if "Maximum resident set size" in l), None)
    return {"max_rss_kb": max_kb, "vmhwm_kb_before_exit": hwm_kb, "exited_by_exit_button": exited}


# The comparison with the bare program on a screen of the layout's size, where the game's
# frame is drawn unscaled; first under the normal scheduler, as players run the game (the
# load average beside the figures says how quiet the machine was).
with Xvfb(startup.SCREEN) as x:
    result = {"startup": startup.compare(build, data, x.display, startup.RUNS_NORMAL)}
# The machine these figures are taken on is often shared with builds; the rest are taken
# above them where the system allows it (see startup.above_other_work), the comparison again
# among them.
fifo = startup.above_other_work()
with Xvfb() as x:
    result.update({"screen": f"{SCREEN_W}x{SCREEN_H}", "fifo": fifo, "first_frame_ms": first_frame(x.display),
                   "idle": idle(x.display), "whole_game": whole_game(x.display)})
if fifo:
    with Xvfb(startup.SCREEN) as x:
        result["startup_fifo"] = startup.compare(build, data, x.display)
print(json.dumps(result))
