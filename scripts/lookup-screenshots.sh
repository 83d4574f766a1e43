#!/usr/bin/env bash
# Pictures of the WHOIS window with an answer from a WHOIS peer on 127.0.0.1
# and of the geolocation window, on the prefix's virtual display of one build
# tree (the test prefix, with its stand-in browser):
#   scripts/lookup-screenshots.sh [ARCH [OUT]]
# ARCH defaults to i686; the pictures go to OUT, by default build/ARCH/screenshots/.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=viewer-session.sh
. "$here/scripts/viewer-session.sh"
arch=${1:-i686}
build=$(kestro_build_tree "$arch")
out=${2:-$build/screenshots}
mkdir -p "$out"
cmake --build "$build" --target lookup_screens >/dev/null
kestro_start_prefix "$build/wineprefix" "$arch"
kestro_wine_environment "$build/wineprefix"
# The geolocation page goes to the tests' stand-in browser, not a real one.
"$KESTRO_WINE" reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /t REG_SZ \
  /d "$build/tests/record-opened-url.sh" /f >/dev/null
"$KESTRO_WINE" "$build/tests/tools/lookup_screens.exe" | while read -r shown; do
  shown=${shown%$'\r'}
  sleep 1
  kestro_screenshot "$out/lookup-$shown.png"
done
