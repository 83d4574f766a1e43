#!/usr/bin/env bash
# Sets up the machine, builds, installs and starts the viewer under Wine. On a
# machine without a display it starts a virtual one, lets the viewer run for a
# while (KESTRO_SCREENSHOT_DELAY seconds, default 12), writes a screenshot of
# the screen, prints its path and ends the viewer and the virtual display.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${KESTRO_BUILD_DIR:-$here/build}"
bash "$here/scripts/setup.sh"
bash "$here/scripts/build.sh"
cmake --build "$build" --target install_wine
prefix="$build/wineprefix"
install_dir="$prefix/drive_c/Program Files/Kestro"
. "$here/scripts/wine-env.sh"
if [ -z "${DISPLAY:-}" ]; then
  echo "run: no display; starting a virtual one (Xvfb)"
  started_here=0
  [ -f "$prefix/.kestro-display" ] || started_here=1
  bash "$here/scripts/wine-env.sh" start "$prefix"
  kestro_wine_environment "$prefix"
  echo "run: virtual display $DISPLAY"
  (cd "$install_dir" && exec wine kestro.exe) &
  viewer=$!
  sleep "${KESTRO_SCREENSHOT_DELAY:-12}"
  shot="$build/kestro-screenshot.png"
  import -window root -display "$DISPLAY" "$shot"
  echo "run: screenshot written to $shot"
  wine taskkill /im kestro.exe >/dev/null 2>&1 || true
  wait "$viewer" || true
  if [ "$started_here" = 1 ]; then bash "$here/scripts/wine-env.sh" stop "$prefix"; fi
else
  kestro_wine_environment "$prefix"
  export DISPLAY
  [ -f "$prefix/system.reg" ] || { wineboot -i >/dev/null 2>&1; wineserver -w; }
  cd "$install_dir" && exec wine kestro.exe
fi
