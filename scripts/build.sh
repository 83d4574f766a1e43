#!/usr/bin/env bash
# Configures and builds the build tree (default: build/) with the cross toolchain.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${KESTRO_BUILD_DIR:-$here/build}"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-i686.cmake" "$@"
cmake --build "$build"
