#!/usr/bin/env bash
# Builds the game's libraries for 64-bit Windows from Debian's own source packages, once per
# machine. Each library goes to $TIMBURIK_CACHE/mingw/<source package>-<version>/, and a stamp is
# written there last: a folder without its stamp, or with a stamp from other build options or
# another compiler, is an interrupted or stale build and is built again, never trusted.
#
# The sources come through scripts/debian-source.sh (apt-get source with a private deb-src list;
# /etc/apt is only read), unpacked once into $TIMBURIK_CACHE/src, shared with the browser build.
# Each library's Debian copyright file is kept with it, for the zip's licences.
#
# Prints, last, one line per library: "<package> <prefix>", for the caller's CMAKE_PREFIX_PATH.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
cache=${TIMBURIK_CACHE:-/var/cache/timburik}
jobs=${TIMBURIK_JOBS:-2}
toolchain="$here/../cmake/mingw-w64-x86_64.cmake"
sources="$cache/src"
mkdir -p "$cache/mingw" "$sources"

# What this run did, also kept in the cache for the caller (built or cached, per library).
: >"$cache/mingw/.last-run"
log() { echo "mingw-libs: $*" | tee -a "$cache/mingw/.last-run" >&2; }

compiler_id=$(x86_64-w64-mingw32-g++-posix --version | head -n1)
declare -A prefix

# Builds one source package with CMake unless its stamped cache is already there.
#   build_lib <source package> <extra stamp text> <cmake options...>
build_lib() {
  local pkg=$1 extra=$2
  shift 2
  local version dest stamp_text src
  version=$("$here/debian-source.sh" version "$pkg")
  dest="$cache/mingw/$pkg-${version//:/_}"
  stamp_text="$pkg $version | $compiler_id | $* | $extra"
  prefix[$pkg]=$dest
  if [ -f "$dest/.stamp" ] && [ "$(cat "$dest/.stamp")" = "$stamp_text" ]; then
    log "$pkg $version: cached"
    # A cache from before the licences were kept with it gets them without a rebuild.
    if [ ! -f "$dest/copyright" ]; then
      src=$("$here/debian-source.sh" fetch "$pkg" "$sources")
      cp "$src/debian/copyright" "$dest/copyright"
    fi
    return
  fi
  log "$pkg $version: building"
  local started=$SECONDS
  rm -rf "$dest" "$dest.build"
  src=$("$here/debian-source.sh" fetch "$pkg" "$sources")
  nice -n 10 cmake -S "$src" -B "$dest.build" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$dest" -DBUILD_SHARED_LIBS=OFF "$@" >"$dest.log" 2>&1 ||
    { tail -n 30 "$dest.log" >&2; exit 1; }
  nice -n 10 cmake --build "$dest.build" -j"$jobs" >>"$dest.log" 2>&1 || { tail -n 30 "$dest.log" >&2; exit 1; }
  nice -n 10 cmake --install "$dest.build" >>"$dest.log" 2>&1 || { tail -n 30 "$dest.log" >&2; exit 1; }
  rm -rf "$dest.build"
  cp "$src/debian/copyright" "$dest/copyright"
  # For bench/windows.sh: what building from source took, kept with the cache.
  echo "$((SECONDS - started))" >"$dest/.build-seconds"
  # Written last: only a finished install carries it.
  echo "$stamp_text" >"$dest/.stamp"
  log "$pkg $version: done"
  # An upgrade leaves the older version's build behind: removed.
  local old
  for old in "$cache/mingw/$pkg"-[0-9]*; do
    [ "$old" = "$dest" ] || [ "$old" = "$dest.log" ] || rm -rf "$old"
  done
}

build_lib libsdl2 "" \
  -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_STATIC_PIC=OFF
build_lib freetype "" \
  -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
  -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
# SDL2_ttf is built against the two above; their versions are part of its stamp.
build_lib libsdl2-ttf "${prefix[libsdl2]} ${prefix[freetype]}" \
  -DCMAKE_PREFIX_PATH="${prefix[libsdl2]};${prefix[freetype]}" \
  -DSDL2TTF_VENDORED=OFF -DSDL2TTF_HARFBUZZ=OFF -DSDL2TTF_SAMPLES=OFF -DSDL2TTF_INSTALL=ON
build_lib libjpeg-turbo "" \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF -DWITH_JPEG7=OFF
build_lib googletest "" \
  -DBUILD_GMOCK=OFF -Dgtest_force_shared_crt=ON

for pkg in libsdl2 freetype libsdl2-ttf libjpeg-turbo googletest; do
  echo "$pkg ${prefix[$pkg]}"
done
