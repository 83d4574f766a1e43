#!/usr/bin/env bash
# Sets up the machine, builds, installs and starts the viewer under Wine. On a
# machine without a display it starts a virtual one and writes a screenshot.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${KESTRO_BUILD_DIR:-$here/build}"
bash "$here/scripts/install.sh"
prefix="$build/wineprefix"
. "$here/scripts/wine-env.sh"
if [ -z "${DISPLAY:-}" ]; then
  echo "run: no display; starting a virtual one (Xvfb)"
  bash "$here/scripts/wine-env.sh" start "$prefix"
  kestro_wine_environment "$prefix"
  (cd "$prefix/drive_c/Program Files/Kestro" && wine kestro.exe) &
  sleep "${KESTRO_SCREENSHOT_DELAY:-12}"
  shot="$build/kestro-screenshot.png"
  import -window root -display "$DISPLAY" "$shot"
  echo "run: screenshot written to $shot"
  wait
else
  kestro_wine_environment "$prefix"
  export DISPLAY
  [ -f "$prefix/system.reg" ] || { wineboot -i >/dev/null 2>&1; wineserver -w; }
  cd "$prefix/drive_c/Program Files/Kestro" && exec wine kestro.exe
fi
