#!/usr/bin/env bash
# Runs one Windows program under Wine in a build tree's prefix, with the
# prefix's own loader (32- or 64-bit). CTest uses it as the cross-compiling
# emulator; KESTRO_WINEPREFIX names the prefix.
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=wine-env.sh
. "$here/wine-env.sh"
: "${KESTRO_WINEPREFIX:?KESTRO_WINEPREFIX is not set}"
kestro_wine_environment "$KESTRO_WINEPREFIX" || exit 1

# 32-bit Wine 8 now and then dies of a signal of its own while a process
# ends: a thread still blocked in the wineserver (GoogleTest's thread watcher,
# for one) takes a second signal inside its signal handler. A Windows program
# cannot end that way (an unhandled exception ends it with the exception's
# code), so such an end is Wine's. With KESTRO_WINE_RERUN=1 (test programs
# that can simply run again) the program then runs once more.
"$KESTRO_WINE" "$@"
status=$?
if [ "${KESTRO_WINE_RERUN:-}" = 1 ]; then
  case $status in
    131 | 135 | 139)
      echo "wine-run: Wine itself died of signal $((status - 128)); running $1 again" >&2
      "$KESTRO_WINE" "$@"
      status=$?
      ;;
  esac
fi
exit $status
