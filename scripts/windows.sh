#!/usr/bin/env bash
# The game for 64-bit Windows, cross-built here with Debian's mingw-w64:
#   bash scripts/windows.sh        installs what is missing, builds build-windows/timburik-windows.zip
#   bash scripts/windows.sh test   the same, then runs the unit tests and the end-to-end scenarios
#                                  against the real timburik.exe under Wine in Xvfb
# The libraries are built once per machine into ${TIMBURIK_CACHE:-/var/cache/timburik}
# (scripts/mingw-libs.sh), and Wine's prefix is kept there too.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
mode=${1:-build}
case "$mode" in build | test) ;; *) echo "usage: bash scripts/windows.sh [test]" >&2; exit 2 ;; esac
export TIMBURIK_CACHE=${TIMBURIK_CACHE:-/var/cache/timburik}
jobs=2
out=build-windows

# stb's headers (libstb-dev) are compiled into the game as they are, for Windows too.
packages=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
          cmake make dpkg-dev nasm python3 fonts-dejavu-core libstb-dev)
[ "$mode" = test ] && packages+=(wine wine64 xvfb xdotool imagemagick libx11-dev)
bash scripts/apt-need.sh "${packages[@]}"
if [ ! -w "$(dirname "$TIMBURIK_CACHE")" ] && [ ! -w "$TIMBURIK_CACHE" ]; then
  sudo mkdir -p "$TIMBURIK_CACHE" && sudo chown "$(id -u):$(id -g)" "$TIMBURIK_CACHE"
fi

# Each run adds its times to $out/timings for bench/windows.sh: the library step, and whether
# any library had to be built; the game's build, and whether it started from nothing.
mkdir -p "$out"
started=$SECONDS
libs=$(bash scripts/mingw-libs.sh)
libs_how=cached
grep -q ': building$' "$TIMBURIK_CACHE/mingw/.last-run" 2>/dev/null && libs_how=built
echo "libraries $((SECONDS - started)) $libs_how" >>"$out/timings"
prefixes=$(awk '{print $2}' <<<"$libs" | paste -sd';')
# CMake keeps the paths it found; libraries rebuilt at another version live elsewhere.
[ "$(cat "$out/.prefixes" 2>/dev/null)" = "$prefixes" ] || rm -f "$out/.prefixes" "$out/CMakeCache.txt"
game_how=incremental
[ -f "$out/CMakeCache.txt" ] || game_how=clean
tests=OFF
[ "$mode" = test ] && tests=ON
cmake -S . -B "$out" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_PREFIX_PATH="$prefixes" -DCMAKE_BUILD_TYPE=Release \
  -DTIMBURIK_TESTS=$tests -DTIMBURIK_BENCH=OFF -DTIMBURIK_WERROR=ON >/dev/null
echo "$prefixes" >"$out/.prefixes"
targets=(timburik)
[ "$mode" = test ] && targets+=(unit_tests)
started=$SECONDS
nice -n 10 cmake --build "$out" -j"$jobs" --target "${targets[@]}"
echo "game $((SECONDS - started)) $game_how $mode" >>"$out/timings"

# The folder a family unzips: the program, the content beside it, the font it falls back on,
# what the parts are and may be used for.
stage="$out/zip/timburik"
rm -rf "$out/zip" "$out/timburik-windows.zip"
mkdir -p "$stage/licenses"
cp "$out/timburik.exe" "$stage/"
x86_64-w64-mingw32-strip "$stage/timburik.exe"
cp -r data/. "$stage/"
cp /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf "$stage/"
cp /usr/share/doc/fonts-dejavu-core/copyright "$stage/licenses/DejaVu-fonts.txt"
while read -r pkg prefix; do
  # googletest is only in the test programs, not in the game.
  [ "$pkg" = googletest ] || cp "$prefix/copyright" "$stage/licenses/$pkg.txt"
done <<<"$libs"
cp /usr/share/doc/mingw-w64-common/copyright "$stage/licenses/mingw-w64-runtime.txt" 2>/dev/null || true
# Notepad of older Windows wants CR LF, and reads UTF-8 as UTF-8 only after a byte-order mark.
{ printf '\xef\xbb\xbf'; sed 's/$/\r/' scripts/windows-readme.txt; } >"$stage/README.txt"
# Info-ZIP's zip leaves the names' encoding unmarked, and Windows then reads the Cyrillic
# folders and pictures in the DOS code page: names the game cannot find. Python's zipfile
# marks every non-ASCII name as UTF-8.
python3 - "$out/zip" "$out/timburik-windows.zip" <<'PY'
import os, sys, zipfile
top, target = sys.argv[1], sys.argv[2]
with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    for folder, dirs, files in os.walk(top):
        dirs.sort()
        for name in [folder] + [os.path.join(folder, f) for f in sorted(files)]:
            if name != top:
                z.write(name, os.path.relpath(name, top))
PY
echo "windows: $out/timburik-windows.zip, $(du -k "$out/timburik-windows.zip" | cut -f1) KiB"

[ "$mode" = test ] || exit 0

# Wine's prefix is made once per machine (about a minute); its dialogs for Mono and Gecko are
# not wanted, and its chatter is kept out of the test output.
export WINEPREFIX="$TIMBURIK_CACHE/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/.timburik-ready" ]; then
  rm -rf "$WINEPREFIX"
  nice -n 10 wineboot -i >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.timburik-ready"
fi

passed=0
failed=0
skipped=0
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# Adds a Google Test program's totals from $log; a program that failed without saying which
# tests failed (it crashed, say) counts as one failure.
count() {
  local status=$1 p f s
  p=$(sed -n -E 's/^\[  PASSED  \] ([0-9]+) tests?.*/\1/p' "$log" | tail -n1)
  f=$(sed -n -E 's/^\[  FAILED  \] ([0-9]+) tests?, listed below.*/\1/p' "$log" | tail -n1)
  s=$(sed -n -E 's/^\[  SKIPPED \] ([0-9]+) tests?, listed below.*/\1/p' "$log" | tail -n1)
  if [ "$status" -ne 0 ] && [ "${f:-0}" -eq 0 ]; then f=1; fi
  passed=$((passed + ${p:-0}))
  skipped=$((skipped + ${s:-0}))
  failed=$((failed + ${f:-0}))
}

for layer in platform game screens tools; do
  exe="$out/tests/${layer}_tests.exe"
  [ -f "$exe" ] || continue
  echo "== $layer unit tests under Wine"
  status=0
  # On a screen of their own: the open dialog's tests show it over a window. Wine's session
  # ends before its screen does.
  SDL_AUDIODRIVER=dummy xvfb-run -a sh -c 'wine "$1" --gtest_brief=1; s=$?; wineserver -w; exit $s' sh "$exe" \
    >"$log" 2>&1 || status=$?
  grep -E '^\[  (FAILED|PASSED) |Failure|error' "$log" || true
  count "$status"
done

# The end-to-end scenarios are the Linux harness's, driving the program as a family gets it:
# unzipped afresh (names decoded as the zip marks them), with the font it falls back on beside
# it (Wine has no Tahoma of its own).
echo "== end-to-end scenarios: wine timburik.exe"
unzipped="$root/$out/unzipped"
rm -rf "$unzipped"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' \
  "$out/timburik-windows.zip" "$unzipped"
[ -f "$unzipped/timburik/Morvadel/Буквы/one1/1.bmp" ] || { echo "windows: the zip's Cyrillic names do not unpack" >&2; exit 1; }
bash scripts/install-deps.sh --tests >/dev/null
cmake -S . -B "$out/harness" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIMBURIK_TESTS=ON -DTIMBURIK_BENCH=OFF >/dev/null
nice -n 10 cmake --build "$out/harness" -j"$jobs" --target e2e_tests
status=0
TIMBURIK_E2E_LAUNCH="wine $unzipped/timburik/timburik.exe" TIMBURIK_E2E_SYSTEM=windows TIMBURIK_E2E_WAIT_SCALE=3 \
  TIMBURIK_E2E_AFTER_RUN="wineserver -w" \
  "$out/harness/tests/e2e_tests" ${TIMBURIK_E2E_FILTER:+--gtest_filter=$TIMBURIK_E2E_FILTER} >"$log" 2>&1 || status=$?
grep -E '^\[ +(OK|FAILED|PASSED) |Failure|^.*\[.*\] ' "$log" | grep -v '^\[ RUN' || true
count "$status"

# Skipped: what does not apply to a Windows program (signals, Linux modes, the installed game).
echo "windows: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
