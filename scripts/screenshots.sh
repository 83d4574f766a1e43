#!/usr/bin/env bash
# Screenshots of the installed viewer under Wine on a virtual display, typed
# in with real key presses: the splash, the main window with its menu bar and
# tool bar, each menu open, the options and About windows and the close
# question; then each of the ten views (Alt+0 .. Alt+9) with this machine's
# real tables, and the TCP statistics view before and after F5. Run after
# scripts/build.sh; it uses the 32-bit build where this machine runs it,
# otherwise the 64-bit one (KESTRO_ARCHS chooses). The pictures go to
# build/ARCH/screenshots/.
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
# A first run's window: no settings of an earlier one.
KESTRO_WINEPREFIX="$build/wineprefix" "$here/scripts/wine-run.sh" reg delete \
  'HKCU\Software\Corvanet\Kestro' /f >/dev/null 2>&1 || true
kestro_viewer_start "$build" "$arch"
trap kestro_viewer_stop EXIT
drive() { "$KESTRO_WINE" "$build/tests/tools/viewer_driver.exe" "$@"; }
keys() { for key in "$@"; do drive keys "$key"; done; }
shoot() { sleep "$2"; kestro_screenshot "$out/$1.png"; }

shoot splash 1.5
drive startup
shoot main 1
for tag in 0 1 2 3 4 5 6 7 8 9; do
  keys "alt+$tag"
  shoot "view$tag" 2
done
keys alt+8
shoot tcp-before-f5 2
keys f5
shoot tcp-after-f5 3
keys alt+4
menus=(file view options process help)
for i in "${!menus[@]}"; do
  keys f10
  for ((step = 0; step < i; ++step)); do keys right; done
  keys down
  shoot "menu-${menus[$i]}" 1
  keys esc esc
done
keys f10 right right down up enter
shoot options 1.5
keys esc
keys f10 right right right right down enter
shoot about 1.5
keys esc
drive close ask
shoot close-question 1
drive answer minimize
