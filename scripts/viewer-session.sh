# shellcheck shell=bash
# Sourced by run.sh and screenshots.sh: the installed viewer of one build tree
# started on the prefix's virtual display, pictures of that display, and the
# end of it all.

# shellcheck source=wine-env.sh
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

# kestro_viewer_start BUILD ARCH: installs the programs into BUILD's prefix,
# starts the prefix with its display (unless it runs already) and the viewer
# from its install folder, as a user starts it.
kestro_viewer_start() {
  local build="$1" arch="$2"
  kestro_prefix="$build/wineprefix"
  kestro_display_started=0
  kestro_display_runs "$kestro_prefix" || kestro_display_started=1
  cmake --build "$build" --target install_wine >/dev/null
  kestro_start_prefix "$kestro_prefix" "$arch"
  kestro_wine_environment "$kestro_prefix"
  (cd "$kestro_prefix/drive_c/Program Files/Kestro" && exec "$KESTRO_WINE" kestro.exe) &
  kestro_viewer_pid=$!
}

# kestro_screenshot FILE: a picture of the whole virtual display.
kestro_screenshot() {
  timeout 30 import -window root -display "$DISPLAY" "$1"
  echo "$1"
}

# Ends the viewer, and the prefix's wineserver and display if
# kestro_viewer_start started them.
kestro_viewer_stop() {
  # Ended, not closed: closing would ask the close question.
  "$KESTRO_WINE" taskkill /f /im kestro.exe >/dev/null 2>&1 || true
  wait "$kestro_viewer_pid" 2>/dev/null || true
  if [ "$kestro_display_started" = 1 ]; then kestro_stop_prefix "$kestro_prefix"; fi
}
