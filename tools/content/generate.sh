#!/bin/sh
# Regenerates every picture, sound and the word list of the game's content:
# assets/ (compiled into the executable), data/ (the default content pack) and
# packaging/icons/ (the desktop icon, drawn from the same tiles).
# Usage: tools/content/generate.sh [OUTPUT_ROOT]   (default: the repository)
# Reruns give byte-identical files; the outputs are committed, so building
# the game never needs this script.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=${1:-$(cd "$here/../.." && pwd)}

# Debian packages the generators draw with. Pillow must be Debian's, for
# Debian's python3: the font rendering (and so the bytes) depends on it.
packages="python3 python3-pil sox espeak-ng fonts-noto-color-emoji fonts-dejavu-core fonts-dejavu-extra"
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    # shellcheck disable=SC2086  # the list is meant to split into names
    $sudo apt-get install -y $missing
fi

py=/usr/bin/python3
export PYTHONDONTWRITEBYTECODE=1
cd "$here"
$py make_words.py "$root"
$py make_tiles.py "$root"
$py make_assets.py "$root"
$py make_sounds.py "$root"
$py make_voices.py "$root"
$py make_icon.py "$root"
echo "content written under $root"
