#!/usr/bin/env bash
# Installs the Debian packages the game and its tests need. Safe to run again.
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  libsdl2-dev libsdl2-ttf-dev libfontconfig-dev fonts-dejavu-core
  libjpeg62-turbo-dev libstb-dev libsystemd-dev libminizip-dev zlib1g-dev
  googletest libgtest-dev libbenchmark-dev
)
if [ "${1:-}" = "--tests" ]; then
  # End-to-end tests drive the real program in a virtual X server.
  # The file chooser's tests run a stand-in portal on a bus of their own.
  packages+=(xvfb xdotool imagemagick x11-utils libx11-dev clang libclang-rt-14-dev dbus-daemon)
fi
if [ "${1:-}" = "--package" ]; then
  # CPack's Debian generator (dpkg-shlibdeps, file) and the checks of what it makes; the
  # installed program is then driven on a virtual screen as the end-to-end tests do.
  packages+=(dpkg-dev file lintian desktop-file-utils appstream man-db groff-base
             xvfb xdotool imagemagick x11-utils libx11-dev)
fi
bash "$(dirname "$0")/apt-need.sh" "${packages[@]}"
