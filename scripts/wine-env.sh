#!/usr/bin/env bash
# The Wine environment of one build tree: one 32-bit prefix, a persistent
# wineserver and an Xvfb display for the windows.
#   wine-env.sh start PREFIX   create the prefix once, start wineserver and Xvfb
#   wine-env.sh stop PREFIX    stop them again
# Source it (with KESTRO_WINEPREFIX set) to get the environment variables only.
set -u

kestro_wine_environment() {
  export WINEPREFIX="$1"
  export WINEARCH=win32
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
  local prefix="$1" n
  if [ -f "$prefix/.kestro-display" ] && [ -f "$prefix/.kestro-xvfb" ] \
    && kill -0 "$(cat "$prefix/.kestro-xvfb")" 2>/dev/null; then
    return 0
  fi
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    local pid=$!
    local i
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

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  cmd="${1:-}"
  prefix="${2:-}"
  [ -n "$cmd" ] && [ -n "$prefix" ] || { echo "usage: $0 start|stop PREFIX" >&2; exit 2; }
  case "$cmd" in
    start)
      mkdir -p "$prefix"
      kestro_start_display "$prefix" || exit 1
      kestro_wine_environment "$prefix"
      if [ ! -f "$prefix/system.reg" ]; then
        wineboot -i >/dev/null 2>&1
        # Xvfb has no window manager: unmanaged windows spare Wine its wait of
        # a second for the manager each time a window is hidden.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
        # A program that crashes prints Wine's backtrace and ends, instead of
        # waiting on a crash dialog that nobody will close.
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
        wineserver -w
      fi
      wineserver -p >/dev/null 2>&1 </dev/null
      # Start the desktop process now, with no test's output attached: Wine
      # starts it from the first program that needs a window, and it would
      # keep that program's output pipe (and so its CTest run) open.
      wine rundll32.exe user32.dll,GetDesktopWindow >/dev/null 2>&1 </dev/null
      ;;
    stop)
      kestro_wine_environment "$prefix"
      wineserver -k >/dev/null 2>&1
      if [ -f "$prefix/.kestro-xvfb" ]; then
        kill "$(cat "$prefix/.kestro-xvfb")" 2>/dev/null
        rm -f "$prefix/.kestro-xvfb" "$prefix/.kestro-display"
      fi
      exit 0
      ;;
    *) echo "usage: $0 start|stop PREFIX" >&2; exit 2 ;;
  esac
fi
