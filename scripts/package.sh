#!/usr/bin/env bash
# Builds the Debian package build-package/timburik_<version>_amd64.deb and checks it as Debian
# would: its file list, the menu entry, the software-centre metadata and lintian.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --package
out=build-package
# Debian keeps games in /usr/games (on every user's PATH), not /usr/bin, and builds with its
# hardening flags (stack protector, fortified calls, read-only relocations). Of the tests only
# the end-to-end program is built, for the install test below; packing builds nothing more.
# Warnings are not errors here: a parent's newer compiler must not stop the package (GCC 12
# at -O3 also warns falsely inside std::string).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$out" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_INSTALL_BINDIR=games \
  "-DCMAKE_CXX_FLAGS=$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  "-DCMAKE_EXE_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)" -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
  -DTIMBURIK_TESTS=ON -DTIMBURIK_BENCH=OFF -DTIMBURIK_WERROR=OFF >/dev/null
cmake --build "$out" -j"$(nproc)" --target timburik wordcheck packaging_files e2e_tests
rm -f "$out"/timburik_*.deb
(cd "$out" && cpack -G DEB >/dev/null)
deb=$(ls "$out"/timburik_*_amd64.deb)
echo "== $deb"
dpkg-deb --info "$deb"
echo "== contents"
dpkg-deb --contents "$deb"

# The checks run on what the package holds, unpacked.
stage="$out/unpacked"
rm -rf "$stage"
dpkg-deb -x "$deb" "$stage"
desktop-file-validate "$stage"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$stage"/usr/share/metainfo/*.metainfo.xml
for page in "$stage"/usr/share/man/man6/*.6.gz; do
  # Any complaint of the formatter (an unknown request, a line it cannot set) fails here.
  problems=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null || true)
  if [ -n "$problems" ]; then echo "$page: $problems" >&2; exit 1; fi
done
echo "== lintian"
# Errors and warnings fail the package; the one remaining note is explained in the README.
lintian --fail-on error,warning "$deb"
echo "== the installed game, played"
# The unpacked package laid over /usr in a private mount namespace: the game and its checker
# run at /usr/games from an unrelated folder, with a fresh home, on the package's files alone.
TIMBURIK_STAGE="$stage" "$out"/tests/e2e_tests --gtest_filter='Installed.*' --gtest_brief=1
echo "package: $deb"
