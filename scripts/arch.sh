# shellcheck shell=bash
# Sourced by the other scripts: the two Windows architectures we build, which
# of them this machine's Wine can run, and the build tree of each.
#
#   i686    32-bit Windows, the product; always built
#   x86_64  64-bit Windows, for machines whose kernel runs 64-bit code only
#
# KESTRO_ARCHS narrows (or orders) the architectures to test and run, e.g.
# KESTRO_ARCHS=x86_64. KESTRO_WINE_i686 and KESTRO_WINE_x86_64 name another
# Wine loader for that architecture (a loader that cannot run shows what
# happens on a machine where that architecture cannot run).

kestro_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
kestro_all_archs="i686 x86_64"

# The build tree of one architecture.
kestro_build_tree() {
  echo "${KESTRO_BUILD_ROOT:-$kestro_root/build}/$1"
}

# The Wine loader that starts programs of one architecture. Debian's `wine`
# picks the 32-bit loader whenever it is installed, even where it cannot run.
kestro_wine_loader() {
  case "$1" in
    i686) echo "${KESTRO_WINE_i686:-/usr/lib/wine/wine}" ;;
    x86_64) echo "${KESTRO_WINE_x86_64:-/usr/lib/wine/wine64}" ;;
    *) echo "unknown architecture '$1' (i686 or x86_64)" >&2; return 2 ;;
  esac
}

# Runs the architecture's Wine loader once. Succeeds where it runs; otherwise
# prints why it does not, in one line.
kestro_wine_probe() {
  local loader out
  loader=$(kestro_wine_loader "$1") || return 2
  if out=$("$loader" --version 2>&1); then
    return 0
  fi
  # The shell's own "line N:" prefix says nothing about the machine.
  printf '%s\n' "$out" | head -n 1 | sed -E 's/^.*line [0-9]+: //'
  return 1
}

# Prints the architectures to test or run here, in order, one a line; says on
# standard error, one line each, which cannot run and why. Fails when none can.
kestro_runnable_archs() {
  local arch reason found=0
  for arch in ${KESTRO_ARCHS:-$kestro_all_archs}; do
    kestro_wine_loader "$arch" >/dev/null || return 2
    if reason=$(kestro_wine_probe "$arch"); then
      echo "$arch"
      found=1
    else
      echo "kestro: the $arch build cannot run on this machine: $reason" >&2
    fi
  done
  if [ "$found" = 0 ]; then
    echo "kestro: Wine runs none of the architectures ${KESTRO_ARCHS:-$kestro_all_archs} on this machine; see above" >&2
    return 1
  fi
}
