#!/usr/bin/env bash
# Fetches and unpacks a Debian source package with apt-get source, through a private copy of
# the machine's apt sources turned into deb-src lines, so /etc/apt is never touched.
#   debian-source.sh version PKG      prints the source version apt would fetch
#   debian-source.sh fetch PKG DIR    unpacks that version into DIR/<pkg>-<version>, prints it
# Needs dpkg-dev (dpkg-source). The private apt state lives under $APT_PRIVATE_DIR.
set -euo pipefail
state=${APT_PRIVATE_DIR:-${TIMBURIK_CACHE:-/var/cache/timburik}/apt-src}
mkdir -p "$state/lists/partial" "$state/cache/archives/partial" "$state/sources.list.d"

# deb lines become deb-src lines, in both the one-line and the deb822 formats.
write_sources() {
  local list="$state/sources.list"
  : >"$list.new"
  if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' /etc/apt/sources.list >>"$list.new"
  fi
  rm -f "$state/sources.list.d/"*
  local f
  for f in /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] && sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f" >>"$list.new"
  done
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    sed 's/^Types:.*$/Types: deb-src/' "$f" >"$state/sources.list.d/$(basename "$f")"
  done
  mv "$list.new" "$list"
}

apt_opts=(
  -o "Dir::Etc::SourceList=$state/sources.list"
  -o "Dir::Etc::SourceParts=$state/sources.list.d"
  -o "Dir::State::Lists=$state/lists"
  -o "Dir::Cache=$state/cache"
  -o "Dir::Cache::pkgcache=" -o "Dir::Cache::srcpkgcache="
  -o "Debug::NoLocking=1"
)

# The lists are refreshed at most once an hour; several fetches in a row share them.
update_lists() {
  local stamp="$state/lists/.updated"
  if [ -z "$(find "$stamp" -mmin -60 2>/dev/null)" ]; then
    write_sources
    apt-get "${apt_opts[@]}" update -qq >&2
    touch "$stamp"
  fi
}

# The versions the listed archives offer, highest first.
source_versions() {
  local left best v rest
  left=$(apt-cache "${apt_opts[@]}" showsrc "$1" 2>/dev/null | awk '/^Version:/ {print $2}' | sort -u)
  while [ -n "$left" ]; do
    best=""
    for v in $left; do
      if [ -z "$best" ] || dpkg --compare-versions "$v" gt "$best"; then best=$v; fi
    done
    echo "$best"
    rest=""
    for v in $left; do [ "$v" = "$best" ] || rest="$rest $v"; done
    left=$rest
  done
}

# Whether the archive serves a version's files, asked by fetching its small .dsc: an index
# can name a version whose files a mirror does not hold (a security update missing from it,
# say). A version found served is remembered; one found missing is asked again once the
# lists have been refreshed.
served() {
  local pkg=$1 version=$2 mark url
  mark="$state/served/${pkg}_${version//:/_}"
  [ -f "$mark.yes" ] && return 0
  [ -f "$mark.no" ] && [ "$mark.no" -nt "$state/lists/.updated" ] && return 1
  mkdir -p "$state/served"
  url=$(apt-get "${apt_opts[@]}" source --print-uris --only-source "$pkg=$version" 2>/dev/null |
    sed -n "s/^'\([^']*\.dsc\)' .*/\1/p" | head -n1)
  if [ -n "$url" ] && /usr/lib/apt/apt-helper "${apt_opts[@]}" download-file "$url" "$mark.dsc" >/dev/null 2>&1; then
    rm -f "$mark.dsc" "$mark.no"
    touch "$mark.yes"
    return 0
  fi
  rm -f "$mark.dsc"
  touch "$mark.no"
  return 1
}

# The highest version the archive serves; the next one down is used, and said so, when the
# highest cannot be fetched. With none reachable (no network), the highest listed, as a
# build from the cache needs no download.
source_version() {
  local pkg=$1 versions v
  versions=$(source_versions "$pkg")
  for v in $versions; do
    if served "$pkg" "$v"; then
      [ "$v" = "$(head -n1 <<<"$versions")" ] ||
        echo "debian-source: $pkg $(head -n1 <<<"$versions") is listed but not served; using $v" >&2
      echo "$v"
      return
    fi
  done
  head -n1 <<<"$versions"
}

cmd=${1:?usage: debian-source.sh version|fetch PKG [DIR]}
pkg=${2:?package name}
update_lists
version=$(source_version "$pkg")
[ -n "$version" ] || { echo "debian-source: no source package $pkg in the archive" >&2; exit 1; }
case "$cmd" in
  version) echo "$version" ;;
  fetch)
    dest=${3:?destination folder}
    out="$dest/$pkg-${version//:/_}"
    if [ ! -f "$out/.unpacked" ]; then
      rm -rf "$out" "$out.work"
      mkdir -p "$out.work"
      (cd "$out.work" && apt-get "${apt_opts[@]}" source -qq --only-source "$pkg=$version" >&2)
      src=$(find "$out.work" -mindepth 1 -maxdepth 1 -type d | head -1)
      [ -n "$src" ] || { echo "debian-source: $pkg unpacked nothing" >&2; exit 1; }
      mv "$src" "$out"
      rm -rf "$out.work"
      touch "$out/.unpacked"
    fi
    echo "$out"
    ;;
  *) echo "debian-source: unknown command $cmd" >&2; exit 2 ;;
esac
