#!/usr/bin/env bash
# The Wine environment of one build tree: one prefix of the build's
# architecture, a persistent wineserver and an Xvfb display for the windows.
#   wine-env.sh start PREFIX ARCH   create the prefix once (ARCH: i686 or x86_64),
#                                   start wineserver and Xvfb
#   wine-env.sh stop PREFIX         stop them again
# Source it to get kestro_wine_environment PREFIX: the variables, with
# KESTRO_WINE, the loader that starts the prefix's programs.

# shellcheck source=arch.sh
. "$(dirname "${BASH_SOURCE[0]}")/arch.sh"

kestro_wine_environment() {
  local arch
  if ! arch=$(cat "$1/.kestro-arch" 2>/dev/null); then
    echo "wine-env: $1 is not a Kestro prefix (create it with scripts/wine-env.sh start)" >&2
    return 1
  fi
  export WINEPREFIX="$1"
  case "$arch" in
    i686) export WINEARCH=win32 WINESERVER=/usr/lib/wine/wineserver32 ;;
    x86_64) export WINEARCH=win64 WINESERVER=/usr/lib/wine/wineserver64 ;;
  esac
  KESTRO_WINE=$(kestro_wine_loader "$arch") || return 1
  # Programs that start programs start them with the same loader.
  export KESTRO_WINE WINELOADER="$KESTRO_WINE"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
  export LC_ALL=zh_CN.UTF-8
  export http_proxy="" https_proxy="" HTTP_PROXY="" HTTPS_PROXY="" no_proxy="*"
  if [ -f "$1/.kestro-display" ]; then
    DISPLAY=$(cat "$1/.kestro-display")
    export DISPLAY
  fi
}

kestro_start_display() {
  local prefix="$1" n pid i
  if [ -f "$prefix/.kestro-display" ] && [ -f "$prefix/.kestro-xvfb" ] \
    && kill -0 "$(cat "$prefix/.kestro-xvfb")" 2>/dev/null; then
    return 0
  fi
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    pid=$!
    for i in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
      echo ":$n" >"$prefix/.kestro-display"
      echo "$pid" >"$prefix/.kestro-xvfb"
      return 0
    fi
  done
  echo "wine-env: could not start Xvfb" >&2
  return 1
}

kestro_start_prefix() {
  local prefix="$1" arch="$2" made
  kestro_wine_loader "$arch" >/dev/null || return 2
  mkdir -p "$prefix"
  made=$(cat "$prefix/.kestro-arch" 2>/dev/null || true)
  if [ -n "$made" ] && [ "$made" != "$arch" ]; then
    echo "wine-env: $prefix is a $made prefix, not $arch" >&2
    return 1
  fi
  echo "$arch" >"$prefix/.kestro-arch"
  kestro_start_display "$prefix" || return 1
  kestro_wine_environment "$prefix" || return 1
  if [ ! -f "$prefix/system.reg" ]; then
    "$KESTRO_WINE" wineboot -i >/dev/null 2>&1
    # Xvfb has no window manager: unmanaged windows spare Wine its wait of
    # a second for the manager each time a window is hidden.
    "$KESTRO_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    # A program that crashes prints Wine's backtrace and ends, instead of
    # waiting on a crash dialog that nobody will close.
    "$KESTRO_WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    "$WINESERVER" -w
  fi
  # Refused (and so not an error) when the prefix's server runs already.
  "$WINESERVER" -p >/dev/null 2>&1 </dev/null || true
  # Start the desktop process now, with no test's output attached: Wine
  # starts it from the first program that needs a window, and it would
  # keep that program's output pipe (and so its CTest run) open.
  "$KESTRO_WINE" rundll32.exe user32.dll,GetDesktopWindow >/dev/null 2>&1 </dev/null || true
}

kestro_stop_prefix() {
  local prefix="$1"
  if kestro_wine_environment "$prefix" 2>/dev/null; then
    "$WINESERVER" -k >/dev/null 2>&1
  fi
  if [ -f "$prefix/.kestro-xvfb" ]; then
    kill "$(cat "$prefix/.kestro-xvfb")" 2>/dev/null
  fi
  rm -f "$prefix/.kestro-xvfb" "$prefix/.kestro-display"
  return 0
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  case "${1:-}" in
    start)
      [ -n "${2:-}" ] && [ -n "${3:-}" ] || { echo "usage: $0 start PREFIX ARCH" >&2; exit 2; }
      kestro_start_prefix "$2" "$3"
      ;;
    stop)
      [ -n "${2:-}" ] || { echo "usage: $0 stop PREFIX" >&2; exit 2; }
      kestro_stop_prefix "$2"
      ;;
    *) echo "usage: $0 start PREFIX ARCH | stop PREFIX" >&2; exit 2 ;;
  esac
fi
