#!/usr/bin/env bash
# Installs those of the given Debian packages that are not installed yet; asks nothing of apt
# when all of them are. Shared by the scripts that set up a build.
#   bash scripts/apt-need.sh PACKAGE...
set -euo pipefail
missing=()
for p in "$@"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  # Another install running at the same time (a second build script) is waited for, not failed.
  $sudo apt-get -o DPkg::Lock::Timeout=900 update -qq
  $sudo apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "${missing[@]}"
fi
