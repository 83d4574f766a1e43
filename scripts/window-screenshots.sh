#!/usr/bin/env bash
# Pictures of windows that the installed viewer shows only on a row or a
# peer: the properties window, the connection view's context menu and the
# tray menu (tests/tools/RowCommandsShowcase.cpp), and the WHOIS window with
# an answer from a WHOIS peer on 127.0.0.1 and the geolocation window
# (tests/tools/LookupScreens.cpp), on scripted tables in the test prefix's
# virtual display. Each program prints "shoot NAME" while a picture is up.
#   scripts/window-screenshots.sh [ARCH]   (default i686)
# The pictures go to build/ARCH/screenshots/.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=viewer-session.sh
. "$here/scripts/viewer-session.sh"
arch=${1:-i686}
build=$(kestro_build_tree "$arch")
out="$build/screenshots"
mkdir -p "$out"
cmake --build "$build" --target row_commands_showcase lookup_screens >/dev/null
kestro_start_prefix "$build/wineprefix" "$arch"
kestro_wine_environment "$build/wineprefix"
# The geolocation page goes to the tests' stand-in browser, not a real one.
"$KESTRO_WINE" reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /t REG_SZ \
  /d "$build/tests/record-opened-url.sh" /f >/dev/null
for program in row_commands_showcase lookup_screens; do
  "$KESTRO_WINE" "$build/tests/tools/$program.exe" | while read -r word name; do
    [ "$word" = shoot ] || continue
    name=${name%$'\r'}
    sleep 1
    kestro_screenshot "$out/$name.png"
  done
done
