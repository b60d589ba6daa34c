#!/usr/bin/env bash
# Builds the libraries the browser build links (SDL2, FreeType, SDL2_ttf, libjpeg-turbo, zlib,
# minizip) from Debian's source packages with emscripten, into a per-machine cache keyed by
# each source package's version. Prints the folder to give the game's build as its prefix path.
# A library is trusted only when its stamp, written last, names the same version, compiler
# and recipe; anything else is built again from scratch.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cache=${TIMBURIK_CACHE:-/var/cache/timburik}
root="$cache/emscripten"
sources="$cache/src"
jobs=${JOBS:-2}
mkdir -p "$root" "$sources"

emcc_version=$(emcc --version 2>/dev/null | head -1)

# Each library's build is kept under its version and recipe, so that branches building the
# libraries differently each keep theirs rather than building over one another's; and every
# library installs into a prefix of its own for each set of builds, made in a folder of this
# run's own and moved into place whole, so the game's build sees one include and one lib
# folder that no other run changes under it.
store="$root/by-recipe"
mkdir -p "$store"
prefix="$store/prefix.$$"
wants=""

log() { echo "web-libs: $*" >&2; }

# build_lib PKG FUNCTION: runs FUNCTION SRC OUT when the cached build of PKG is missing or stale.
build_lib() {
  local pkg=$1 fn=$2 version out stamp want recipe
  version=$("$here/debian-source.sh" version "$pkg")
  # The recipe is the library's build function: a change to how it is built rebuilds it.
  recipe=$( (declare -f "$fn" cmake_lib freetype_modules; echo "$size_flags") | sha256sum | cut -c1-16)
  out="$store/$pkg-${version//:/_}-$recipe"
  stamp="$out/.stamp"
  want="$pkg $version | $emcc_version | $recipe"
  if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want" ]; then
    log "$pkg $version: cached"
  else
    log "$pkg $version: building (this takes minutes)"
    local src
    src=$("$here/debian-source.sh" fetch "$pkg" "$sources")
    rm -rf "$out"
    mkdir -p "$out/build" "$out/install"
    "$fn" "$src" "$out" >"$out/build.log" 2>&1 || {
      log "$pkg: build failed; the end of $out/build.log:"
      tail -30 "$out/build.log" >&2
      exit 1
    }
    rm -rf "$out/build"
    echo "$want" >"$stamp"
  fi
  # Older versions of the same package are left behind by an upgrade: removed (the builds
  # of this version by other recipes are other branches' own).
  local old
  for old in "$store/$pkg"-[0-9]*; do
    case "$old" in "$store/$pkg-${version//:/_}-"*) ;; *) [ ! -d "$old" ] || rm -rf "$old" ;; esac
  done
  cp -a "$out/install/." "$prefix/"
  wants="$wants$want"$'\n'
}

# The recipes run where the shell does not stop at a failing command (inside ||), so each
# chains its steps with && and so fails as a whole.
cmake_lib() {  # SRC OUT [cmake options...]
  local src=$1 out=$2
  shift 2
  nice -n 10 emcmake cmake -S "$src" -B "$out/build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_C_FLAGS_RELEASE="$size_flags" -DCMAKE_INSTALL_PREFIX="$out/install" -DCMAKE_PREFIX_PATH="$prefix" "$@" &&
    ${CMAKE_LIB_BEFORE_BUILD:-true} "$src" "$out" &&
    nice -n 10 cmake --build "$out/build" -j"$jobs" &&
    cmake --install "$out/build"
}

# Every library is optimised for size, as the game is: the program is most of what a first
# visit downloads.
size_flags="-Oz -DNDEBUG"

build_jpeg() {
  # No SIMD: the x86 assembly does not exist for WebAssembly. Only the static library is
  # built; the command-line tools would each be linked into a page of their own.
  # CMake's type-size checks read the size out of a compiled program, which emscripten
  # writes as JavaScript and WebAssembly where the check cannot find it: WebAssembly's sizes.
  local src=$1 out=$2
  # Only the decoder is ever called; the encoder's objects are left out by the link anyway, and
  # arithmetic coding's encoder is not built at all.
  nice -n 10 emcmake cmake -S "$src" -B "$out/build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE="$size_flags" \
    -DWITH_SIMD=OFF -DWITH_ARITH_ENC=OFF -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF \
    -DHAVE_SIZE_T=TRUE -DSIZE_T=4 -DHAVE_UNSIGNED_LONG=TRUE -DUNSIGNED_LONG=4 &&
    nice -n 10 cmake --build "$out/build" -j"$jobs" --target jpeg-static &&
    mkdir -p "$out/install/include" "$out/install/lib" &&
    cp "$out/build/libjpeg.a" "$out/install/lib/" &&
    cp "$out/build/jconfig.h" "$src/jpeglib.h" "$src/jmorecfg.h" "$src/jerror.h" "$out/install/include/"
}

# The one font the game opens is a TrueType file inside the program: FreeType with only the
# TrueType driver, the SFNT tables it reads and the smooth (anti-aliased) rasteriser, written
# over the generated configuration before the build. Without the other modules their code is
# never referenced and the link leaves it out; without zlib no WOFF font and no gzipped font
# can be opened, and without variation support no variable font: none is ever given.
freetype_modules() {  # SRC OUT
  local config=$2/build/include/freetype/config
  mkdir -p "$config" &&
    printf '%s\n' 'FT_USE_MODULE( FT_Driver_ClassRec, tt_driver_class )' \
      'FT_USE_MODULE( FT_Module_Class, sfnt_module_class )' \
      'FT_USE_MODULE( FT_Renderer_Class, ft_smooth_renderer_class )' >"$config/ftmodule.h" &&
    sed -i -e 's|^#define FT_CONFIG_OPTION_USE_ZLIB$|/* #undef FT_CONFIG_OPTION_USE_ZLIB */|' \
      -e 's|^#define TT_CONFIG_OPTION_GX_VAR_SUPPORT$|/* #undef TT_CONFIG_OPTION_GX_VAR_SUPPORT */|' \
      -e 's|^#define TT_CONFIG_OPTION_BDF$|/* #undef TT_CONFIG_OPTION_BDF */|' "$config/ftoption.h" &&
    ! grep -q '^#define \(FT_CONFIG_OPTION_USE_ZLIB\|TT_CONFIG_OPTION_GX_VAR_SUPPORT\)$' "$config/ftoption.h"
}

build_freetype() {
  # TrueType outlines only: no compressed fonts, no PNG glyphs, no shaping library.
  CMAKE_LIB_BEFORE_BUILD=freetype_modules cmake_lib "$1" "$2" -DBUILD_SHARED_LIBS=OFF \
    -DFT_DISABLE_ZLIB=TRUE -DFT_DISABLE_BZIP2=TRUE -DFT_DISABLE_PNG=TRUE -DFT_DISABLE_HARFBUZZ=TRUE \
    -DFT_DISABLE_BROTLI=TRUE
}

build_sdl2() {
  # SDL's own settings for emscripten (include/SDL_config_emscripten.h, which SDL_config.h
  # picks), compiled file by file as emscripten's own SDL port does. CMake's configure step
  # would run each of its several hundred checks through emcc, which took longer than all the
  # rest of the libraries together. No threads: a page without cross-origin isolation has no
  # shared memory for them. The files are the subsystems' own and the drivers those settings
  # name (the emscripten ones, and the dummies of what they leave out).
  # The settings are cut to what the browser build opens: video (a window surface, which
  # emscripten's driver draws itself, so neither a renderer nor OpenGL), events, timers and
  # audio (output for the sounds, capture for the microphone); no joystick, sensor, power or
  # shared-object loading, and no disk-writing audio driver. Without them their code and
  # emscripten's WebGL layer are never referenced and stay out of the program.
  local src=$1 out=$2 v inc=$2/build/include
  v=$(sed -n 's/^#define SDL_\(MAJOR_VERSION\|MINOR_VERSION\|PATCHLEVEL\) *\([0-9]*\).*/\2/p' \
    "$src/include/SDL_version.h" | paste -sd.)
  mkdir -p "$out/install/include/SDL2" "$out/install/lib/pkgconfig" "$inc" &&
    cp "$src"/include/*.h "$inc/" &&
    sed -i -e 's|^#define SDL_JOYSTICK_EMSCRIPTEN 1$|#define SDL_JOYSTICK_DISABLED 1|' \
      -e 's|^#define SDL_SENSOR_DUMMY 1$|#define SDL_SENSOR_DISABLED 1|' \
      -e 's|^#define SDL_LOADSO_DLOPEN 1$|#define SDL_LOADSO_DISABLED 1|' \
      -e 's|^#define SDL_POWER_EMSCRIPTEN 1$|#define SDL_POWER_DISABLED 1|' \
      -e 's|^#define SDL_VIDEO_RENDER_OGL_ES2 1$|#define SDL_RENDER_DISABLED 1|' \
      -e '/^#define SDL_VIDEO_OPENGL_ES2 1$/d' -e '/^#define SDL_VIDEO_OPENGL_EGL 1$/d' \
      -e '/^#define SDL_AUDIO_DRIVER_DISK 1$/d' "$inc/SDL_config_emscripten.h" &&
    [ "$(grep -c '^#define SDL_\(JOYSTICK\|SENSOR\|LOADSO\|POWER\|RENDER\)_DISABLED 1$' "$inc/SDL_config_emscripten.h")" = 5 ] &&
    ! grep -q '^#define SDL_\(VIDEO_OPENGL\|VIDEO_RENDER\|AUDIO_DRIVER_DISK\)' "$inc/SDL_config_emscripten.h" &&
    (cd "$src/src" && printf '%s\n' \
      *.c {atomic,audio,cpuinfo,dynapi,events,file,haptic,joystick,libm,locale,misc,power}/*.c \
      {render,sensor,stdlib,thread,timer,video}/*.c audio/{dummy,emscripten}/*.c \
      video/{emscripten,yuv2rgb}/*.c render/software/*.c joystick/dummy/*.c \
      haptic/dummy/*.c sensor/dummy/*.c loadso/dummy/*.c \
      filesystem/emscripten/*.c timer/unix/*.c thread/generic/*.c locale/emscripten/*.c \
      misc/emscripten/*.c) |
    nice -n 10 xargs -P "$jobs" -n 1 sh -c \
      'emcc -Oz -DNDEBUG -w -I"$2" -c "$0/src/$3" -o "$1/$(printf %s "$3" | tr / _).o"' \
      "$src" "$out/build" "$inc" &&
    emar rcs "$out/install/lib/libSDL2.a" "$out/build"/*.o &&
    cp "$inc"/*.h "$out/install/include/SDL2/" &&
    cat >"$out/install/lib/pkgconfig/sdl2.pc" <<PC
prefix=\${pcfiledir}/../..
libdir=\${prefix}/lib
includedir=\${prefix}/include
Name: sdl2
Description: Simple DirectMedia Layer
Version: $v
Libs: -L\${libdir} -lSDL2
Cflags: -I\${includedir} -I\${includedir}/SDL2
PC
}

build_sdl2_ttf() {
  # One C file over FreeType and SDL: compiled directly, which needs neither its CMake nor
  # its autotools files to know about emscripten.
  local src=$1 out=$2
  mkdir -p "$out/install/include/SDL2" "$out/install/lib/pkgconfig" &&
    nice -n 10 emcc -Oz -DNDEBUG -c "$src/SDL_ttf.c" -o "$out/build/SDL_ttf.o" \
      -I"$prefix/include/SDL2" -I"$prefix/include/freetype2" -I"$prefix/include" &&
    emar rcs "$out/install/lib/libSDL2_ttf.a" "$out/build/SDL_ttf.o" &&
    cp "$src/SDL_ttf.h" "$out/install/include/SDL2/" &&
    cat >"$out/install/lib/pkgconfig/SDL2_ttf.pc" <<PC
prefix=\${pcfiledir}/../..
libdir=\${prefix}/lib
includedir=\${prefix}/include
Name: SDL2_ttf
Description: TrueType fonts for SDL2
Version: 2.20.1
Requires: sdl2 freetype2
Libs: -L\${libdir} -lSDL2_ttf
Cflags: -I\${includedir}/SDL2
PC
}

build_zlib() {
  # zlib's own configure, as Debian builds it, out of the source tree the Windows build shares:
  # the static library alone. Its pkg-config file is made to find the prefix it is copied to.
  local src=$1 out=$2
  (cd "$out/build" && CFLAGS="$size_flags" nice -n 10 emconfigure "$src/configure" --static --prefix="$out/install" &&
    nice -n 10 emmake make -j"$jobs" libz.a && make install) &&
    sed -i 's|^prefix=.*|prefix=${pcfiledir}/../..|' "$out/install/lib/pkgconfig/zlib.pc" &&
    rm -rf "$out/install/share"
}

build_minizip() {
  # Debian's libminizip-dev (the library's four files, headers under include/minizip, its
  # minizip.pc), compiled directly against the zlib above: its autotools files would need
  # autoconf, automake and libtool for four C files.
  local src=$1 out=$2 f
  mkdir -p "$out/install/lib/pkgconfig" "$out/install/include/minizip" &&
    for f in ioapi mztools unzip zip; do
      nice -n 10 emcc $size_flags -w -I"$prefix/include" -c "$src/$f.c" -o "$out/build/$f.o" || return 1
    done &&
    emar rcs "$out/install/lib/libminizip.a" "$out/build"/*.o &&
    cp "$src"/{crypt,ioapi,mztools,unzip,zip}.h "$out/install/include/minizip/" &&
    cat >"$out/install/lib/pkgconfig/minizip.pc" <<'PC'
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

rm -rf "$prefix"
mkdir -p "$prefix"
trap 'rm -rf "$prefix"' EXIT
build_lib libjpeg-turbo build_jpeg
build_lib freetype build_freetype
build_lib libsdl2 build_sdl2
build_lib libsdl2-ttf build_sdl2_ttf
build_lib zlib build_zlib
build_lib minizip build_minizip
final="$store/prefix-$(printf %s "$wants" | sha256sum | cut -c1-16)"
# Another run that made the same set first has the same files in place: that one is kept.
[ -d "$final" ] || mv -T "$prefix" "$final" 2>/dev/null || true
echo "$final"
