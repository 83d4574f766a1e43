#!/usr/bin/env bash
# Runs one Windows program under Wine in the build tree's prefix. CTest uses
# it as the cross-compiling emulator; KESTRO_WINEPREFIX names the prefix.
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=wine-env.sh
. "$here/wine-env.sh"
: "${KESTRO_WINEPREFIX:?KESTRO_WINEPREFIX is not set}"
kestro_wine_environment "$KESTRO_WINEPREFIX"
exec wine "$@"
