#!/usr/bin/env bash
# Pictures of windows that the installed viewer shows only on a row or a
# peer: the properties window, the connection view's context menu and the
# tray menu (tests/tools/RowCommandsShowcase.cpp), and the WHOIS window with
# an answer from a WHOIS peer on 127.0.0.1 and the geolocation window
# (tests/tools/LookupScreens.cpp), on scripted tables in the test prefix's
# virtual display. Each program prints "shoot NAME" while a picture is up.
#   scripts/window-screenshots.sh [ARCH]
# ARCH defaults to the 32-bit build where this machine runs it, otherwise the
# 64-bit one. The pictures go to build/ARCH/screenshots/. The test prefix is
# left as it was found: its settings, and running only if it ran before.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=viewer-session.sh
. "$here/scripts/viewer-session.sh"
# Says why and fails where ARCH (or every architecture) cannot run here.
archs=$(KESTRO_ARCHS=${1:-${KESTRO_ARCHS:-}} kestro_runnable_archs)
arch=${archs%%$'\n'*}
build=$(kestro_build_tree "$arch")
prefix="$build/wineprefix"
out="$build/screenshots"
programs=(row_commands_showcase lookup_screens)
# Each program holds its windows for seconds; one that runs longer hangs.
program_timeout_s=120
mkdir -p "$out"
cmake --build "$build" --target "${programs[@]}" >/dev/null

# What the programs change in the prefix: the browser setting set below, and
# the viewer's settings, which the main window writes.
keys=('HKCU\Software\Wine\WineBrowser' 'HKCU\Software\Corvanet\Kestro')
saved=$(mktemp -d)
keys_saved=0
prefix_started=0
kestro_display_runs "$prefix" || prefix_started=1

wine_reg() { "$KESTRO_WINE" reg "$@" >/dev/null 2>&1; }
# Registry files are named by a Windows path: Z: is the root.
saved_key() { echo "Z:${saved//\//\\}\\$1.reg"; }

finish() {
  local i program
  if [ "$keys_saved" = 1 ]; then
    for i in "${!keys[@]}"; do
      wine_reg delete "${keys[$i]}" /f || true
      if [ -f "$saved/$i.reg" ]; then wine_reg import "$(saved_key "$i")" || true; fi
    done
  fi
  if [ "$prefix_started" = 1 ]; then
    kestro_stop_prefix "$prefix"
  elif [ -n "${KESTRO_WINE:-}" ]; then
    for program in "${programs[@]}"; do
      "$KESTRO_WINE" taskkill /f /im "$program.exe" >/dev/null 2>&1 || true
    done
  fi
  rm -rf "$saved"
}
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

kestro_start_prefix "$prefix" "$arch"
kestro_wine_environment "$prefix"
for i in "${!keys[@]}"; do
  wine_reg export "${keys[$i]}" "$(saved_key "$i")" /y || true
done
keys_saved=1

# The geolocation page goes to the tests' stand-in browser, not a real one.
wine_reg add "${keys[0]}" /v Browsers /t REG_SZ /d "$build/tests/record-opened-url.sh" /f
for program in "${programs[@]}"; do
  if ! timeout "$program_timeout_s" "$KESTRO_WINE" "$build/tests/tools/$program.exe" \
    | while read -r word name; do
      [ "$word" = shoot ] || continue
      name=${name%$'\r'}
      sleep 1
      kestro_screenshot "$out/$name.png"
    done; then
    echo "window-screenshots: $program failed, or did not end within $program_timeout_s s" >&2
    exit 1
  fi
done
