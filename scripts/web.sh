#!/usr/bin/env bash
# The game as a static web site, built with Debian's emscripten into build-web/site/.
#   bash scripts/web.sh          installs what is missing, builds the libraries (cached) and the site
#   bash scripts/web.sh serve    the same, then serves the site on http://127.0.0.1:8080/ ($PORT)
#   bash scripts/web.sh test     the same, then the browser tests in Debian's Chromium
#   bash scripts/web.sh bench    the same, then measures the site and writes bench/RESULTS.md's browser part
#   bash scripts/web.sh profile  the same, then says where the program's bytes go (by library and
#                                function), from a build that keeps the functions' names
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-build}
case "$mode" in build | serve | test | bench | profile) ;; *) echo "usage: bash scripts/web.sh [serve|test|bench|profile]" >&2; exit 2 ;; esac

# stb's headers (libstb-dev) are compiled into the game as they are, for the browser too.
# brotli and gzip make the compressed copies the server sends beside each file; terser
# (node-terser) minifies the program's JavaScript.
packages=(emscripten dpkg-dev cmake make python3 fonts-dejavu-core fonttools python3-pil libstb-dev brotli gzip node-terser)
[ "$mode" = test ] || [ "$mode" = bench ] && packages+=(chromium)
command -v node >/dev/null || packages+=(nodejs)
command -v npm >/dev/null || packages+=(npm)
# npm reaches its registry over https, with the system's certificates.
[ "$mode" = test ] || [ "$mode" = bench ] && packages+=(ca-certificates)
bash scripts/apt-need.sh "${packages[@]}"

# Debian's emscripten finds its JavaScript tools (acorn) among Debian's node modules, which a
# node installed from elsewhere does not search.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

prefix=$(bash scripts/web-libs.sh)
export PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig"
export PKG_CONFIG_PATH=""
# The page's one font, cut down to the letters the game can show (Latin, Cyrillic and their
# punctuation): a tenth of the whole file for the first visit to download.
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
mkdir -p build-web
if [ ! -s build-web/DejaVuSans-Bold.ttf ] || [ "$font" -nt build-web/DejaVuSans-Bold.ttf ]; then
  pyftsubset "$font" --output-file=build-web/DejaVuSans-Bold.ttf \
    --unicodes=U+0020-007E,U+00A0-00FF,U+0401-045F,U+2010-2026,U+2116 --layout-features='*'
fi
# Optimised for size: the program is most of what a first visit downloads, and the browser
# compiles it while it arrives; -Oz also picks emscripten's size-optimised libc.
opt="-Oz -DNDEBUG -flto"
# The libraries' prefix names their builds; what an earlier configure found under another one is
# looked for again.
emcmake cmake -S . -B build-web -UJPEG_INCLUDE_DIR -UJPEG_LIBRARY_RELEASE -UJPEG_LIBRARY_DEBUG \
  -U'pkgcfg_lib_*' -U'__pkg_config_*' -U'SDL2_*' -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE="$opt" -DCMAKE_CXX_FLAGS_RELEASE="$opt" -DTIMBURIK_TESTS=OFF -DTIMBURIK_BENCH=OFF \
  -DTIMBURIK_WERROR=ON -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_FIND_ROOT_PATH_MODE_LIBRARY=BOTH -DCMAKE_FIND_ROOT_PATH_MODE_INCLUDE=BOTH -DCMAKE_FIND_ROOT_PATH_MODE_PACKAGE=BOTH -DTIMBURIK_WEB_FONT="$PWD/build-web/DejaVuSans-Bold.ttf" >/dev/null
cmake --build build-web -j2 --target timburik_web
# Debian's Python, which has Debian's PIL, whatever python3 comes first on the PATH.
/usr/bin/python3 tools/web/make_site.py --data data --site build-web/site --page platform/web/index.html \
  --font-licence /usr/share/doc/fonts-dejavu-core/copyright
echo "web: site in build-web/site ($(du -sh build-web/site | cut -f1))"

case "$mode" in
  profile)
    # Linked once more with the names kept, profiled, and linked again as shipped: only the
    # link runs twice, and the site keeps the program it had.
    cmake -DTIMBURIK_WEB_PROFILE=ON build-web >/dev/null
    cp build-web/site/timburik.wasm build-web/timburik.shipped.wasm
    cmake --build build-web -j2 --target timburik_web
    cp build-web/site/timburik.wasm build-web/timburik.names.wasm
    cmake -DTIMBURIK_WEB_PROFILE=OFF build-web >/dev/null
    cmake --build build-web -j2 --target timburik_web
    libs=()
    for a in "$prefix"/lib/*.a build-web/*.a; do libs+=("$(basename "$a" .a | sed 's/^lib//')=$a"); done
    # The program linked anew: its compressed copies made anew beside it.
    /usr/bin/python3 tools/web/make_site.py --data data --site build-web/site --page platform/web/index.html \
      --font-licence /usr/share/doc/fonts-dejavu-core/copyright >/dev/null
    /usr/bin/python3 tools/web/size_profile.py build-web/timburik.names.wasm "${libs[@]}" \
      --shipped build-web/site/timburik.wasm --nm "$(command -v llvm-nm)" --top "${TOP:-30}" --markdown \
      --embedded assets/*.jpg assets/*.bmp build-web/DejaVuSans-Bold.ttf
    ;;
  serve)
    exec node tools/web/serve.mjs build-web/site "${PORT:-8080}"
    ;;
  test | bench)
    # The test drivers, exactly as package-lock.json pins them; they drive the installed
    # Chromium and download no browser.
    (cd tests/web && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
    if [ "$mode" = test ]; then
      /usr/bin/python3 -m unittest discover -s tools/web
      node --test --test-reporter=tap tests/web/serve.test.mjs
      exec node tests/web/run.mjs build-web/site
    else
      exec node tests/web/bench.mjs build-web/site bench/RESULTS.md
    fi
    ;;
esac
