#!/usr/bin/env bash
# Screenshots of the installed viewer under Wine on a virtual display: each
# of the ten views (Alt+0 .. Alt+9) with this machine's real tables, and the
# TCP statistics view before and after F5. Run after scripts/build.sh; the
# pictures go to build/screenshots/.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${KESTRO_BUILD_DIR:-$here/build}"
prefix="$build/wineprefix"
out="$build/screenshots"
mkdir -p "$out"
cmake --build "$build" --target install_wine viewer_driver >/dev/null
bash "$here/scripts/wine-env.sh" start "$prefix"
. "$here/scripts/wine-env.sh"
kestro_wine_environment "$prefix"
(cd "$prefix/drive_c/Program Files/Kestro" && exec wine kestro.exe) &
viewer=$!
trap 'kill $viewer 2>/dev/null || true; bash "$here/scripts/wine-env.sh" stop "$prefix"' EXIT
sleep 6
shoot() { sleep "$2"; import -window root -display "$DISPLAY" "$out/$1.png"; echo "$out/$1.png"; }
for tag in 0 1 2 3 4 5 6 7 8 9; do
  wine "$build/tests/tools/viewer_driver.exe" keys "alt+$tag"
  shoot "view$tag" 2
done
wine "$build/tests/tools/viewer_driver.exe" keys alt+8
shoot tcp-before-f5 2
wine "$build/tests/tools/viewer_driver.exe" keys f5
shoot tcp-after-f5 3
