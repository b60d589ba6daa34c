#!/usr/bin/env bash
# Builds the game's libraries for 64-bit Windows from Debian's own source packages, once per
# machine. Each library goes to $TIMBURIK_CACHE/mingw/<source package>-<version>/, and a stamp is
# written there last: a folder without its stamp, or with a stamp from other build options or
# another compiler, is an interrupted or stale build and is built again, never trusted.
#
# The sources come through `apt-get source` with a sources list of our own, derived from the
# machine's `deb` entries, and our own lists and cache folders: /etc/apt is only read.
#
# Prints, last, one line per library: "<package> <prefix>", for the caller's CMAKE_PREFIX_PATH.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
cache=${TIMBURIK_CACHE:-/var/cache/timburik}
jobs=${TIMBURIK_JOBS:-2}
toolchain="$here/../cmake/mingw-w64-x86_64.cmake"
apt_dir="$cache/apt"
work="$cache/mingw/src"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/parts.d" "$work"

log() { echo "mingw-libs: $*" >&2; }

# The machine's binary sources as source sources, in both of apt's formats. Disabled files
# (any other extension) are skipped, as apt itself skips them.
derive_sources() {
  local out="$apt_dir/sources.list" f
  : >"$out.new"
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    sed -n -E 's/^[[:space:]]*deb([[:space:]]+)/deb-src\1/p' "$f" >>"$out.new"
  done
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    # A stanza whose Types lack "deb" is not a binary source; keep the others, as deb-src.
    awk 'BEGIN { RS = ""; ORS = "\n\n" }
         { keep = 0; out = "" ; n = split($0, lines, "\n")
           for (i = 1; i <= n; i++) {
             line = lines[i]
             if (line ~ /^Types:/) {
               if (line ~ /[[:space:]]deb([[:space:]]|$)/) keep = 1
               line = "Types: deb-src"
             }
             if (line ~ /^Enabled:[[:space:]]*no/) keep = 0
             out = out line "\n"
           }
           if (keep) print out }' "$f" >"$apt_dir/parts.d/$(basename "$f")"
  done
  mv "$out.new" "$out"
}

apt_opts=(
  -o "Dir::Etc::SourceList=$apt_dir/sources.list"
  -o "Dir::Etc::SourceParts=$apt_dir/parts.d"
  -o "Dir::State::Lists=$apt_dir/lists"
  -o "Dir::Cache=$apt_dir/cache"
  -o "Dir::State::status=/var/lib/dpkg/status"
  -o "Debug::NoLocking=1"
)

# The candidate source version of a package, as apt-get source would fetch it.
source_version() {
  apt-get "${apt_opts[@]}" source --print-uris "$1" 2>/dev/null |
    sed -n -E "s/^'[^']*' ${1}_([^ ]+)\.dsc .*/\1/p" | head -n1
}

# Unpacks a source package into $work once; prints the folder.
fetch_source() {
  local pkg=$1 version=$2 upstream dir
  upstream=${version#*:}
  upstream=${upstream%-*}
  dir="$work/$pkg-$upstream"
  if [ ! -f "$dir/.unpacked-$version" ]; then
    rm -rf "$dir" "$work/$pkg-$version.tmp"
    mkdir -p "$work/$pkg-$version.tmp"
    (cd "$work/$pkg-$version.tmp" && apt-get "${apt_opts[@]}" source -qq "$pkg" >&2)
    local unpacked
    unpacked=$(find "$work/$pkg-$version.tmp" -mindepth 1 -maxdepth 1 -type d | head -n1)
    [ -n "$unpacked" ] || { log "apt-get source $pkg gave no folder"; exit 1; }
    mv "$unpacked" "$dir"
    rm -rf "$work/$pkg-$version.tmp"
    touch "$dir/.unpacked-$version"
  fi
  echo "$dir"
}

compiler_id=$(x86_64-w64-mingw32-g++-posix --version | head -n1)
declare -A prefix

# Builds one source package with CMake unless its stamped cache is already there.
#   build_lib <source package> <extra stamp text> <cmake options...>
build_lib() {
  local pkg=$1 extra=$2
  shift 2
  local version dest stamp_text src
  version=$(source_version "$pkg")
  [ -n "$version" ] || { log "no source package $pkg in $apt_dir/sources.list"; exit 1; }
  dest="$cache/mingw/$pkg-$version"
  stamp_text="$pkg $version | $compiler_id | $* | $extra"
  prefix[$pkg]=$dest
  if [ -f "$dest/.stamp" ] && [ "$(cat "$dest/.stamp")" = "$stamp_text" ]; then
    log "$pkg $version: cached"
    return
  fi
  log "$pkg $version: building"
  local started=$SECONDS
  rm -rf "$dest" "$dest.build"
  src=$(fetch_source "$pkg" "$version")
  nice -n 10 cmake -S "$src" -B "$dest.build" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$dest" -DBUILD_SHARED_LIBS=OFF "$@" >"$dest.log" 2>&1 ||
    { tail -n 30 "$dest.log" >&2; exit 1; }
  nice -n 10 cmake --build "$dest.build" -j"$jobs" >>"$dest.log" 2>&1 || { tail -n 30 "$dest.log" >&2; exit 1; }
  nice -n 10 cmake --install "$dest.build" >>"$dest.log" 2>&1 || { tail -n 30 "$dest.log" >&2; exit 1; }
  rm -rf "$dest.build"
  # For bench/windows.sh: what building from source took, kept with the cache.
  echo "$((SECONDS - started))" >"$dest/.build-seconds"
  # Written last: only a finished install carries it.
  echo "$stamp_text" >"$dest/.stamp"
  log "$pkg $version: done"
}

derive_sources
if [ ! -s "$apt_dir/sources.list" ] && [ -z "$(ls -A "$apt_dir/parts.d")" ]; then
  log "no deb entries found in /etc/apt to derive source entries from"
  exit 1
fi
log "updating the private source lists in $apt_dir"
apt-get "${apt_opts[@]}" update -qq >&2

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
