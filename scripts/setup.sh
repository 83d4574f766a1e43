#!/usr/bin/env bash
# Installs everything the build and the tests need on Debian 12, from Debian's
# packages only. Safe to run again: what is already there is skipped.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
third="$here/third_party"

if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi

packages=(
  g++-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
  cmake ninja-build dpkg-dev wixl msitools iproute2
  wine wine64 wine32:i386
  xvfb xauth x11-utils imagemagick
  locales fonts-wqy-microhei
  geoip-database famfamfam-flag-png famfamfam-silk
  googletest python3
)

missing=()
for p in "${packages[@]}"; do
  if [ "$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null)" != installed ]; then
    missing+=("$p")
  fi
done

need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
  need_update=1
fi

# The GeoIP Legacy library's source, which our CMake compiles with the cross
# compiler, comes from Debian's source packages: a deb-src entry (ours, unless
# the machine has one already) and package lists that know it.
geoip_source="$third/geoip/libGeoIP/GeoIP.c"
src_list=/etc/apt/sources.list.d/kestro-src.sources
if [ ! -f "$geoip_source" ] && ! apt-cache showsrc geoip 2>/dev/null | grep -qx 'Package: geoip'; then
  if [ ! -f "$src_list" ]; then
    $sudo tee "$src_list" >/dev/null <<'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  fi
  need_update=1
fi

if [ ${#missing[@]} -gt 0 ] || [ $need_update -eq 1 ]; then
  $sudo apt-get update -q || { echo "setup: apt-get update failed (see above)" >&2; exit 1; }
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf8$'; then
  $sudo sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen
fi

if [ ! -f "$geoip_source" ]; then
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' EXIT
  if ! (cd "$tmp" && apt-get source -q geoip) >"$tmp/apt-get-source.log" 2>&1; then
    echo "setup: could not fetch the GeoIP library's source (apt-get source geoip):" >&2
    tail -n 20 "$tmp/apt-get-source.log" >&2
    exit 1
  fi
  unpacked=("$tmp"/geoip-*/)
  if [ ! -f "${unpacked[0]}libGeoIP/GeoIP.c" ]; then
    echo "setup: apt-get source geoip unpacked no libGeoIP/GeoIP.c into $tmp" >&2
    exit 1
  fi
  rm -rf "$third/geoip"
  mkdir -p "$third/geoip"
  cp -r "${unpacked[0]}". "$third/geoip/"
fi

echo "setup: done"
