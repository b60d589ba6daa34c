#!/usr/bin/env bash
# Figures of the Windows build, written into bench/RESULTS.md as its own section (replacing the
# last one): the zip's size, the first frame under Wine (for the record: Wine is not Windows),
# and the cross-build's time with and without the library cache. Run after
# `bash scripts/windows.sh` (or `... test`), which leaves build-windows/ and its timings.
set -euo pipefail
cd "$(dirname "$0")/.."
export TIMBURIK_CACHE=${TIMBURIK_CACHE:-/var/cache/timburik}
export WINEPREFIX="$TIMBURIK_CACHE/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
zip=build-windows/timburik-windows.zip
exe=build-windows/zip/timburik/timburik.exe
[ -f "$zip" ] && [ -f "$exe" ] || { echo "bench/windows.sh: run bash scripts/windows.sh first" >&2; exit 1; }
runs=${1:-5}

zip_kib=$(( ($(stat -c %s "$zip") + 1023) / 1024 ))
exe_kib=$(( ($(stat -c %s "$exe") + 1023) / 1024 ))
unpacked_kib=$(du -sk build-windows/zip/timburik | cut -f1)

# The first frame: wine timburik.exe started in data/ on a fresh Xvfb, timed from just before
# the start to the game's own word on stderr that its first frame is on the screen.
tmp=$(mktemp -d)
# Xvfb picks a free display itself: other builds on this machine run screens of their own.
Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp 3>"$tmp/display" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$tmp"' EXIT
for _ in $(seq 1 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
display=":$(head -n1 "$tmp/display")"
times=()
for i in $(seq 1 "$runs"); do
  start=$(date +%s%N)
  (cd data && DISPLAY=$display SDL_AUDIODRIVER=dummy TIMBURIK_TRACE_FIRST_FRAME=1 \
     exec wine "../$exe" 2>"$tmp/err$i" >/dev/null) &
  game=$!
  ms=""
  for _ in $(seq 1 600); do
    if grep -q "first frame presented" "$tmp/err$i" 2>/dev/null; then
      ms=$(( ($(date +%s%N) - start) / 1000000 ))
      break
    fi
    sleep 0.05
  done
  kill "$game" 2>/dev/null || true
  wait "$game" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  times+=("${ms:-none}")
done
median=$(printf '%s\n' "${times[@]}" | grep -v none | sort -n | awk '{a[NR]=$1} END {if (NR) print a[int((NR+1)/2)]; else print "none"}')

libs_line=""
for d in "$TIMBURIK_CACHE"/mingw/*/; do
  [ -f "$d/.build-seconds" ] || continue
  libs_line+="$(basename "$d") $(cat "$d/.build-seconds") s; "
done
timings=build-windows/timings
cached_libs=$(awk '$1 == "libraries" && $3 == "cached" {s = $2} END {print s}' "$timings" 2>/dev/null)
built_libs=$(awk '$1 == "libraries" && $3 == "built" {s = $2} END {print s}' "$timings" 2>/dev/null)
game_build=$(awk '$1 == "game" && $3 == "clean" && $4 == "test" {s = $2} END {print s}' "$timings" 2>/dev/null)

section=$(cat <<EOF
<!-- windows -->
## Windows build

Written by \`bench/windows.sh\` on $(date -u '+%Y-%m-%d %H:%M') UTC; load average $(cut -d' ' -f1-3 /proc/loadavg).

| figure | measured |
|---|---|
| build-windows/timburik-windows.zip | $zip_kib KiB (timburik.exe $exe_kib KiB stripped, static; unpacked $unpacked_kib KiB) |
| First frame under $(wine --version 2>/dev/null), Xvfb 1366x768, data/ (median of $runs) | ${median} ms |
| Libraries built from Debian's sources, no cache (each, wall clock) | ${libs_line:-not recorded} |
| Library step from an empty cache (sources fetched, all five built) | ${built_libs:-not recorded} s |
| Library step with the cache present (stamps checked, source lists refreshed) | ${cached_libs:-not recorded} s |
| The game and its tests compiled, clean build-windows/ | ${game_build:-not recorded} s |

- First frame: each run a fresh \`wine timburik.exe\` with TIMBURIK_TRACE_FIRST_FRAME set, Wine's
  server stopped between runs, so each start pays for Wine's own start as well. All runs, ms:
  ${times[*]}. Wine is not Windows: for the record only.
- Times are wall clock on a machine shared with other builds; they vary with its load.
<!-- /windows -->
EOF
)
python3 - "$section" <<'PY'
import re, sys
path = "bench/RESULTS.md"
text = open(path, encoding="utf-8").read()
section = sys.argv[1]
pattern = re.compile(r"\n*<!-- windows -->.*?<!-- /windows -->\n?", re.S)
text = pattern.sub("", text).rstrip("\n") + "\n\n" + section + "\n"
open(path, "w", encoding="utf-8").write(text)
PY
echo "bench/windows.sh: zip $zip_kib KiB, first frame median $median ms (${times[*]})"
