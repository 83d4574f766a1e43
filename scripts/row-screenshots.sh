#!/usr/bin/env bash
# Pictures of the properties window, the connection view's context menu and
# the tray menu (tests/tools/RowCommandsShowcase.cpp) on the test prefix's
# virtual display, into build/ARCH/screenshots/. Run after scripts/build.sh.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
arch=${1:-i686}
build="${KESTRO_BUILD_ROOT:-$here/build}/$arch"
out="$build/screenshots"
mkdir -p "$out"
cmake --build "$build" --target row_commands_showcase >/dev/null
# shellcheck source=wine-env.sh
. "$here/scripts/wine-env.sh"
prefix="$build/wineprefix"
bash "$here/scripts/wine-env.sh" start "$prefix" "$arch" >/dev/null
kestro_wine_environment "$prefix"
# Each "shoot NAME" line: the window or menu is up for a few seconds.
"$KESTRO_WINE" "$build/tests/tools/row_commands_showcase.exe" |
  while read -r word name; do
    [ "$word" = shoot ] || continue
    name=${name%$'\r'}
    sleep 1
    import -window root -display "$DISPLAY" "$out/$name.png"
    echo "$out/$name.png"
  done
