#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test under Wine.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${KESTRO_BUILD_DIR:-$here/build}"
bash "$here/scripts/install.sh"
cd "$build"
ctest --output-on-failure -j2
