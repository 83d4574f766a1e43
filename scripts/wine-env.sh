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

# True while process PID runs: one that has ended but is not yet reaped (a
# zombie) does not.
kestro_process_runs() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  stat=${stat##*) }
  [ "${stat%% *}" != Z ]
}

# True once a client connects to display :N.
kestro_display_answers() {
  timeout 10 xdpyinfo -display ":$1" >/dev/null 2>&1
}

# kestro_end_xvfb PID N: ends the Xvfb PID of display :N with SIGTERM, on
# which it removes its lock file and socket, and waits for it (20 s at most).
# One that does not end is killed, and its files are removed here: a socket
# left behind makes the number useless to the next server.
kestro_end_xvfb() {
  local pid="$1" n="$2" deadline=$((SECONDS + 20))
  # A number from an old file may name another process by now.
  if [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ]; then
    kill -TERM "$pid" 2>/dev/null
    while kestro_process_runs "$pid" && [ $SECONDS -lt $deadline ]; do sleep 0.1; done
    if kestro_process_runs "$pid"; then
      echo "wine-env: Xvfb $pid of display :$n did not end on SIGTERM; killing it" >&2
      kill -KILL "$pid" 2>/dev/null
    fi
  fi
  # Reaped here when it is this shell's child.
  wait "$pid" 2>/dev/null
  if kestro_display_owner_is "$n" "$pid"; then
    rm -f "/tmp/.X$n-lock" "/tmp/.X11-unix/X$n"
  fi
  return 0
}

# True when display :N's lock file names process PID: the server of that
# number is that process.
kestro_display_owner_is() {
  [ "$(tr -d ' \n' 2>/dev/null <"/tmp/.X$1-lock")" = "$2" ]
}

# Ends the prefix's display, if it has one, and forgets it. A server that no
# longer holds the number recorded (its files can outlive a restart of the
# machine) is not the prefix's and is left alone.
kestro_stop_display() {
  local prefix="$1" pid display
  pid=$(cat "$prefix/.kestro-xvfb" 2>/dev/null || true)
  display=$(cat "$prefix/.kestro-display" 2>/dev/null || true)
  if [ -n "$pid" ] && [ -n "$display" ] && kestro_display_owner_is "${display#:}" "$pid"; then
    kestro_end_xvfb "$pid" "${display#:}"
  fi
  rm -f "$prefix/.kestro-xvfb" "$prefix/.kestro-display"
}

# True when the prefix's own display runs and takes clients.
kestro_display_runs() {
  local display pid
  display=$(cat "$1/.kestro-display" 2>/dev/null) || return 1
  pid=$(cat "$1/.kestro-xvfb" 2>/dev/null) || return 1
  kestro_display_owner_is "${display#:}" "$pid" && kestro_process_runs "$pid" \
    && kestro_display_answers "${display#:}"
}

# Starts an Xvfb display for the prefix unless its own still answers. Other
# build trees start displays at the same time: Xvfb takes its number by
# creating the lock file exclusively and ends when the number is taken, so a
# start that loses the race tries the next number.
kestro_start_display() {
  local prefix="$1" n pid deadline
  if kestro_display_runs "$prefix"; then return 0; fi
  kestro_stop_display "$prefix"
  if ! command -v xdpyinfo >/dev/null; then
    echo "wine-env: xdpyinfo (x11-utils) is missing; scripts/setup.sh installs it" >&2
    return 1
  fi
  for n in $(seq 90 140); do
    # A socket without a lock is a killed server's: a new server on that
    # number runs but takes no clients.
    if [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; then continue; fi
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp </dev/null >/dev/null 2>"$prefix/.kestro-xvfb-log" &
    pid=$!
    # Ready once the lock is ours and a client connects.
    deadline=$((SECONDS + 20))
    while kestro_process_runs "$pid" && [ $SECONDS -lt $deadline ]; do
      if kestro_display_owner_is "$n" "$pid" && kestro_display_answers "$n"; then
        echo ":$n" >"$prefix/.kestro-display"
        echo "$pid" >"$prefix/.kestro-xvfb"
        return 0
      fi
      sleep 0.1
    done
    kestro_end_xvfb "$pid" "$n"
  done
  echo "wine-env: could not start Xvfb on a free display from :90 to :140" >&2
  if [ -s "$prefix/.kestro-xvfb-log" ]; then tail -n 5 "$prefix/.kestro-xvfb-log" >&2; fi
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
    # Wine finds a prefix's server by the folder's inode: a prefix deleted
    # and made again at this path can get the old one's, and with it a server
    # still running for the old prefix and whatever still runs there.
    kestro_end_wineserver
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

# Ends the wineserver of the prefix in WINEPREFIX, if one runs, with every
# program of it, and waits for its end.
kestro_end_wineserver() {
  if "$WINESERVER" -k >/dev/null 2>&1 </dev/null; then
    timeout 30 "$WINESERVER" -w >/dev/null 2>&1 </dev/null || true
  fi
}

kestro_stop_prefix() {
  local prefix="$1"
  if kestro_wine_environment "$prefix" 2>/dev/null; then kestro_end_wineserver; fi
  kestro_stop_display "$prefix"
  return 0
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  case "${1:-}" in
    start)
      if [ -z "${2:-}" ] || [ -z "${3:-}" ]; then echo "usage: $0 start PREFIX ARCH" >&2; exit 2; fi
      kestro_start_prefix "$2" "$3"
      ;;
    stop)
      [ -n "${2:-}" ] || { echo "usage: $0 stop PREFIX" >&2; exit 2; }
      kestro_stop_prefix "$2"
      ;;
    *) echo "usage: $0 start PREFIX ARCH | stop PREFIX" >&2; exit 2 ;;
  esac
fi
