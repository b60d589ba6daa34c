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

# Builds one source package unless its stamped cache is already there:
#   build_lib <source package> <extra stamp text> <cmake options...>   with the package's CMake
#   build_own <source package> <extra stamp text> <function> [helpers...]   with FUNCTION SRC DEST
# where a function of this script builds what has no CMake of its own, or none that makes only
# a static library; it installs into DEST, and may use DEST.build as it likes. Its text and its
# helpers' are part of the stamp, so a changed recipe is built again.
build_lib() {
  local pkg=$1 extra=$2
  shift 2
  build_into "$pkg" "$*" "$extra" cmake_recipe "$@"
}
build_own() {
  build_into "$1" "recipe $(declare -f "${@:3}" | sha256sum | cut -c1-16)" "$2" "$3"
}

# build_into <package> <how, for the stamp> <extra stamp text> <recipe> [recipe arguments...]
build_into() {
  local pkg=$1 how=$2 extra=$3
  shift 3
  local version dest stamp_text src
  version=$("$here/debian-source.sh" version "$pkg")
  dest="$cache/mingw/$pkg-${version//:/_}"
  stamp_text="$pkg $version | $compiler_id | $how | $extra"
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
  : >"$dest.log"
  "$@" "$src" "$dest" >>"$dest.log" 2>&1 || { tail -n 30 "$dest.log" >&2; exit 1; }
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

# The recipes run where the shell does not stop at a failing command (inside ||), so each
# chains its steps with && and so fails as a whole.
cmake_recipe() {  # [cmake options...] SRC DEST
  local src=${*: -2:1} dest=${*: -1}
  set -- "${@:1:$#-2}"
  nice -n 10 cmake -S "$src" -B "$dest.build" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$dest" -DBUILD_SHARED_LIBS=OFF "$@" &&
    nice -n 10 cmake --build "$dest.build" -j"$jobs" &&
    nice -n 10 cmake --install "$dest.build"
}

# zlib's CMake always builds its DLL beside the static library, and a search for zlib then
# finds the DLL's import library first: built as Debian builds it, with its configure, which
# makes the static library alone. Out of the source tree, which the browser build shares.
build_zlib() {  # SRC DEST
  local src=$1 dest=$2
  mkdir -p "$dest.build" &&
    (cd "$dest.build" &&
      CHOST=x86_64-w64-mingw32 CC=x86_64-w64-mingw32-gcc-posix AR=x86_64-w64-mingw32-ar \
        RANLIB=x86_64-w64-mingw32-ranlib CFLAGS="-O3 -DNDEBUG" nice -n 10 "$src/configure" --static --prefix="$dest" &&
      nice -n 10 make -j"$jobs" libz.a && make install)
}

# minizip as Debian's libminizip-dev has it (the library's four files, with Windows' own file
# functions beside them, headers under include/minizip, a minizip.pc), compiled directly: its
# autotools files would need autoconf, automake and libtool for five C files.
build_minizip() {  # SRC DEST
  local src=$1 dest=$2 f
  mkdir -p "$dest.build" "$dest/lib/pkgconfig" "$dest/include/minizip" &&
    for f in ioapi mztools unzip zip iowin32; do
      nice -n 10 x86_64-w64-mingw32-gcc-posix -O3 -DNDEBUG -w -I"${prefix[zlib]}/include" \
        -c "$src/$f.c" -o "$dest.build/$f.o" || return 1
    done &&
    x86_64-w64-mingw32-ar rcs "$dest/lib/libminizip.a" "$dest.build"/*.o &&
    cp "$src"/{crypt,ioapi,mztools,unzip,zip,iowin32}.h "$dest/include/minizip/" &&
    minizip_pc "$dest/lib/pkgconfig/minizip.pc"
}

# The pkg-config file Debian installs, relocatable.
minizip_pc() {  # FILE
  cat >"$1" <<'PC'
prefix=${pcfiledir}/../..
libdir=${prefix}/lib
includedir=${prefix}/include/minizip

Name: minizip
Description: Minizip zip file manipulation library
Requires:
Version: 1.2.8
Libs: -L${libdir} -lminizip
Libs.private: -lz
Cflags: -I${includedir}
PC
}

build_lib libsdl2 "" \
  -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_STATIC_PIC=OFF
build_own zlib "" build_zlib
# FreeType over the zlib above, as Debian builds it: left to itself it compiles a copy of zlib
# into its gzip module whose functions are not all private, and a program linking both copies
# does not link.
build_lib freetype "${prefix[zlib]}" \
  -DCMAKE_PREFIX_PATH="${prefix[zlib]}" -DFT_REQUIRE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
  -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
# SDL2_ttf is built against the two above; their versions are part of its stamp.
build_lib libsdl2-ttf "${prefix[libsdl2]} ${prefix[freetype]}" \
  -DCMAKE_PREFIX_PATH="${prefix[libsdl2]};${prefix[freetype]}" \
  -DSDL2TTF_VENDORED=OFF -DSDL2TTF_HARFBUZZ=OFF -DSDL2TTF_SAMPLES=OFF -DSDL2TTF_INSTALL=ON
build_lib libjpeg-turbo "" \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF -DWITH_JPEG7=OFF
build_lib googletest "" \
  -DBUILD_GMOCK=OFF -Dgtest_force_shared_crt=ON
# minizip is compiled against the zlib above; its version is part of its stamp.
build_own minizip "${prefix[zlib]}" build_minizip minizip_pc

for pkg in libsdl2 freetype libsdl2-ttf libjpeg-turbo googletest zlib minizip; do
  echo "$pkg ${prefix[$pkg]}"
done
