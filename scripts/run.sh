#!/usr/bin/env bash
# Sets up the machine, builds, installs and starts the viewer under Wine: the
# 32-bit viewer where this machine runs it, otherwise the 64-bit one. On a
# machine without a display it starts a virtual one, lets the viewer run for a
# while (KESTRO_SCREENSHOT_DELAY seconds, default 12), writes a screenshot of
# the screen, prints its path and ends the viewer and the virtual display.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=viewer-session.sh
. "$here/scripts/viewer-session.sh"
bash "$here/scripts/setup.sh"
archs=$(kestro_runnable_archs)
arch=${archs%%$'\n'*}
bash "$here/scripts/build.sh" i686
[ "$arch" = i686 ] || bash "$here/scripts/build.sh" "$arch"
build=$(kestro_build_tree "$arch")
echo "run: starting the $arch viewer"
if [ -z "${DISPLAY:-}" ]; then
  kestro_viewer_start "$build" "$arch"
  echo "run: virtual display $DISPLAY"
  sleep "${KESTRO_SCREENSHOT_DELAY:-12}"
  echo "run: screenshot written to $(kestro_screenshot "$build/kestro-screenshot.png")"
  kestro_viewer_stop
else
  user_display=$DISPLAY
  cmake --build "$build" --target install_wine >/dev/null
  kestro_start_prefix "$build/wineprefix" "$arch"
  kestro_wine_environment "$build/wineprefix"
  export DISPLAY="$user_display"
  cd "$build/wineprefix/drive_c/Program Files/Kestro" && exec "$KESTRO_WINE" kestro.exe
fi
