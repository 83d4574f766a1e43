#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test under Wine (the
# tests install the programs into the build tree's prefix themselves).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${KESTRO_BUILD_DIR:-$here/build}"
bash "$here/scripts/setup.sh"
bash "$here/scripts/build.sh"
cd "$build"
ctest --output-on-failure -j2
