#!/usr/bin/env bash
# Builds the game and its benchmarks (Release), runs the benchmarks and the whole-process
# figures under a virtual X server in data/, and writes the table into bench/RESULTS.md.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build-bench
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

bash scripts/install-deps.sh
# What the whole-process figures need besides the build: the virtual screen, the pointer,
# screenshots (to check the play screen is up), GNU time, and Python to drive them.
bash scripts/apt-need.sh xvfb xdotool imagemagick time python3

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target timburik timburik_bench bare_sdl map_watch

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
echo "Benchmarks (ten repetitions each)..."
"$build/bench/timburik_bench" --benchmark_repetitions=10 --benchmark_report_aggregates_only=true \
  --benchmark_out="$out/bench.json" --benchmark_out_format=json >/dev/null
echo "Whole-process figures under Xvfb..."
python3 bench/figures.py "$build" "$root/data" >"$out/figures.json"
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

machine_cpu=$(lscpu | sed -n 's/^Model name:[[:space:]]*//p' | head -1)
machine_mem=$(free -m | awk '/^Mem:/ {print $2 " MiB"}')
python3 - "$out/bench.json" "$out/figures.json" >"$out/RESULTS.md" <<EOF
import json, statistics, sys

bench = json.load(open(sys.argv[1]))
figures = json.load(open(sys.argv[2]))
scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}


def median(name):
    for b in bench["benchmarks"]:
        if b.get("run_name") == name and b.get("aggregate_name") == "median":
            if b.get("error_occurred"):
                sys.exit(name + ": " + b.get("error_message", "failed"))
            return b["real_time"] * scale[b["time_unit"]], b["cpu_time"] * scale[b["time_unit"]]
    sys.exit("no result for " + name)


def ms(v):
    return f"{v:.3f} ms" if v < 10 else f"{v:.1f} ms"


rows = []


def row(figure, target, measured, met):
    rows.append(f"| {figure} | {target} | {measured} | {met} |")


def timed(figure, name, limit=None):
    real, cpu = median("BM_" + name)
    target = f"≤ {limit} ms" if limit else "—"
    met = "—" if limit is None else ("yes" if real <= limit else f"no, by {ms(real - limit)}")
    if real < 0.001:
        shown = f"{real * 1e6:.1f} ns (CPU {cpu * 1e6:.1f} ns)"
    else:
        shown = f"{ms(real)} (CPU {ms(cpu)})"
    row(figure, target, shown, met)


timed("One RedrawBoard, 20 tiles and 20 cells, painted at once", "RedrawBoard20Tiles")
timed("Timer tick with 20 movement entries, up to the composed frame", "TickWith20Glides", 0.5)
timed("Pointer move during a drag, up to the composed frame", "DragMove", 0.5)
timed("FormCreate on the headless host, data/ (window built, carried pictures decoded, word list, first puzzle)", "FormCreate")
timed("Composition of the full window frame", "ComposeFullFrame")
timed("Drawing the whole frame on a 1366 x 768 screen (host side of the first frame)", "ScreenDrawWholeFrame")
timed("Host side of a drag move on that screen: finding the change, drawing it", "ScreenDrawDragMove")
timed("Learning record: the line of a tile let go, formatted at the release (no file touched)", "RecordDropLine")
timed("Learning record: a word's eleven lines appended at its end, the file near its 1 MB cap", "RecordWordEnd")
timed("Parents' corner opened on a 1 MB record: read, figures worked out, first frame composed", "CornerOpen/1", 100)
timed("Parents' corner opened on a 5 MB record (years joined from elsewhere), read a piece at a time", "CornerOpen/5", 100)
timed("Picture screen opened on six 38-megapixel photos in Pictures: the window's share, first frame composed", "PictureScreenOpenWindow", 100)
timed("The same, until the last of the six thumbnails is made (the worker's time, scaled decoding)", "PictureScreenAllThumbnails/iterations:3")
timed("A 38-megapixel photo made into a word's picture: read at 1200 px, cropped, scaled, written as BMP", "WordPictureFrom38MPPhoto/iterations:5")
timed("The same photo read whole, as every photo was before", "WordPictureFrom38MPPhotoReadWhole/iterations:3")
timed("A 12-megapixel photo made into a word's picture: cropped, scaled, written as BMP", "SubjectFrom12MPPhoto")
timed("\"Сохранить в файл\": a child with a 1 MB record and ten family words (200 x 200 pictures, 2 s voices), the file made in memory", "SaveChildToFile")
timed("\"Добавить из файла\" of that file on a device without the child: read, every picture and voice checked, taken in (each family word's files flushed to the disk)", "AddChildFromFile")
made = next(b for b in bench["benchmarks"] if b.get("run_name") == "BM_SaveChildToFile" and b.get("aggregate_name") == "median")
row("The file that child makes", "—", f"{made['file_bytes'] / 1e6:.2f} MB ({made['file_bytes']:,.0f} bytes; the record {made['record_bytes']:,.0f})", "—")

ff = figures["first_frame_ms"]
first = statistics.median(ff)
row(f"Process start to first presented frame, Xvfb {figures['screen']}, data/ (median of {len(ff)})", "≤ 100 ms",
    f"{first:.1f} ms", "yes" if first <= 100 else f"no, by {first - 100:.1f} ms")
su = figures["startup"]
row(f"Start until the window is mapped, against a bare SDL2 program (hidden window, software surface, fill, show; the same hints), Xvfb {su['screen']}, data/, median of {len(su['game_ms'])} interleaved runs each",
    "≤ 1.25 x", f"{su['ratio']:.2f} x (game {su['game_median']:.1f} ms, bare SDL2 {su['bare_median']:.1f} ms)",
    "yes" if su["ratio"] <= 1.25 else f"no, by {su['ratio'] - 1.25:.2f}")
row(f"CPU time the program had used when its window was mapped (all threads), game against bare SDL2, the same runs", "—",
    f"{su['cpu_ratio']:.2f} x (game {su['game_cpu_median']:.1f} ms, bare SDL2 {su['bare_cpu_median']:.1f} ms)", "—")
sf = figures.get("startup_fifo")
if sf:
    row(f"The same comparison with the X server and both programs under the FIFO policy (median of {len(sf['game_ms'])} each)", "—",
        f"{sf['ratio']:.2f} x (game {sf['game_median']:.1f} ms, bare SDL2 {sf['bare_median']:.1f} ms)", "—")
idle = statistics.median(r["percent"] for r in figures["idle"])
idle_ns = statistics.median(r["percent_ns"] for r in figures["idle"])
row(f"Idle CPU on the play screen for 10 s (median of {len(figures['idle'])} runs)", "≤ 0.5% of one core",
    f"{idle:.2f}% (scheduler clock: {idle_ns:.3f}%)", "yes" if idle <= 0.5 else f"no, by {idle - 0.5:.2f} points")
game = figures["whole_game"]
peak = game["max_rss_kb"] if game["max_rss_kb"] is not None else game["vmhwm_kb_before_exit"]
row("Peak resident memory over a whole game", "≤ 64 MB", f"{peak / 1024:.1f} MB",
    "yes" if peak <= 64 * 1024 else f"no, by {(peak - 64 * 1024) / 1024:.1f} MB")

print("# Performance results")
print()
print("Written by \`bench/run.sh\`; every number below is measured by it. Do not edit by hand.")
print()
print("- Date: $(date -u '+%Y-%m-%d %H:%M UTC')")
print("- Machine: $(nproc) cores, ${machine_cpu}, ${machine_mem} memory, Linux $(uname -r)")
print("- Load average (1, 5, 15 min) before: ${load_before}; after: ${load_after}")
print("- The start-up comparison with bare SDL2 was taken first, under the normal scheduler, as players run"
      " the game; the load average before says how quiet the machine was.")
if figures.get("fifo"):
    print("- The other whole-process figures were taken with the X server and the programs under the real-time"
          " FIFO policy, so that other work sharing the machine waited for them, and the start-up comparison once"
          " more among them, for the record: FIFO is no player's scheduler.")
print()
print("| figure | target | measured | met? |")
print("|---|---|---|---|")
print("\n".join(rows))
print()
print("How they were measured:")
print()
print("- Benchmarks: \`build-bench/bench/timburik_bench\` (Google Benchmark, Release build), ten repetitions,"
      " the median of the wall-clock times, with the CPU time beside it; a loaded machine shows in the gap"
      " between them. The board with 20 tiles is the fullest the rules allow, every tile wholly on the board.")
print("- First frame: the game started in data/ with TIMBURIK_TRACE_FIRST_FRAME set, which makes it say so on"
      " stderr right after its first frame is on the screen; timed from just before the process is started,"
      f" each run a fresh process. All runs, in ms: {', '.join(f'{v:.0f}' for v in ff)}.")
print("- Start-up against bare SDL2: \`build-bench/bench/map_watch\` starts a program in its own process group"
      " and takes the time from just before the fork until X reports the first top-level window mapped"
      " (MapNotify on the root window), then ends it. The bare program (\`bench/bare/BareSdl.cpp\`) sets the"
      " host's hints (\`platform/sdl/SdlHints.h\`), starts SDL's video, opens the same hidden borderless window"
      " over the display, fills its surface and shows it. One run of each first, not counted, to warm the page"
      " cache; then the two alternate, the order swapped every round"
      + ". All runs, ms: game "
      + ", ".join(f"{v:.0f}" for v in su["game_ms"]) + "; bare " + ", ".join(f"{v:.0f}" for v in su["bare_ms"]) + "."
      " Beside the time, map_watch reads the CPU time the program had used by the map, all threads, from the"
      " scheduler's clock (/proc/PID/task/*/schedstat): on a loaded machine the wall times mostly measure the wait"
      " for a core, the CPU times the programs' own work. CPU runs, ms: game "
      + ", ".join(f"{v:.0f}" for v in su["game_cpu_ms"]) + "; bare " + ", ".join(f"{v:.0f}" for v in su["bare_cpu_ms"]) + ".")
print("- Idle: the play screen reached with xdotool (girl, white level; checked by the hint button's pixels),"
      " one second to settle, then utime + stime from /proc/PID/stat over 10 s (10 ms clock ticks); beside"
      " it the same from the scheduler's nanosecond clock (/proc/PID/task/*/schedstat). The 10 ms timer"
      " runs all the while; ticks with no tile to move are slept through by the SDL host, keeping their"
      " rhythm. Runs, %: " + ", ".join(f"{r['percent']:.2f}" for r in figures["idle"]) + ".")
print(f"- Memory: the game run under GNU time -v; xdotool plays 8 words (two tiles dragged onto cells, the"
      " hint, the next picture), then leaves by the exit button and Yes. Maximum resident set size"
      f" {game['max_rss_kb']} kB; VmHWM just before leaving {game['vmhwm_kb_before_exit']} kB; left by the"
      f" button: {'yes' if game['exited_by_exit_button'] else 'no'}. The progress files in data/ are put"
      " back as they were.")
EOF
# The choice of a child's words: the simulated learner and the choice's time.
{ echo; python3 bench/choice.py "$out/bench.json" Release; } >>"$out/RESULTS.md"
# The browser's and the Windows build's figures (scripts/web.sh bench, bench/windows.sh) and
# what follows them are kept as they are.
if [ -f bench/RESULTS.md ]; then
  sed -n '/^<!-- browser:/,$p' bench/RESULTS.md | sed '1s/^/\n/' >>"$out/RESULTS.md"
fi
mv "$out/RESULTS.md" bench/RESULTS.md
echo "Wrote bench/RESULTS.md"
cat bench/RESULTS.md
