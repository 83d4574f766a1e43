#!/usr/bin/env bash
# Screenshots of the installed viewer under Wine on a virtual display: each
# of the ten views (Alt+0 .. Alt+9) with this machine's real tables, and the
# TCP statistics view before and after F5. Run after scripts/build.sh; it
# uses the 32-bit build where this machine runs it, otherwise the 64-bit one
# (KESTRO_ARCHS chooses). The pictures go to build/ARCH/screenshots/.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=viewer-session.sh
. "$here/scripts/viewer-session.sh"
archs=$(kestro_runnable_archs)
arch=${archs%%$'\n'*}
build=$(kestro_build_tree "$arch")
out="$build/screenshots"
mkdir -p "$out"
cmake --build "$build" --target viewer_driver >/dev/null
kestro_viewer_start "$build" "$arch"
trap kestro_viewer_stop EXIT
sleep 6
keys() { "$KESTRO_WINE" "$build/tests/tools/viewer_driver.exe" keys "$1"; }
shoot() { sleep "$2"; kestro_screenshot "$out/$1.png"; }
for tag in 0 1 2 3 4 5 6 7 8 9; do
  keys "alt+$tag"
  shoot "view$tag" 2
done
keys alt+8
shoot tcp-before-f5 2
keys f5
shoot tcp-after-f5 3
