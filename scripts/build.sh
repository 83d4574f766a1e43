#!/usr/bin/env bash
# Configures and builds one architecture's build tree with its cross toolchain.
#   build.sh [i686|x86_64] [cmake options...]   (default i686, the product)
# The tree is build/ARCH; KESTRO_BUILD_ROOT chooses another folder for build/.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=arch.sh
. "$here/scripts/arch.sh"
arch=i686
case "${1:-}" in i686 | x86_64) arch=$1; shift ;; esac
build=$(kestro_build_tree "$arch")
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-$arch.cmake" "$@"
cmake --build "$build"
