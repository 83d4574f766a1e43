#!/usr/bin/env bash
# Sets up the machine, builds everything and installs the programs into the
# build tree's Wine prefix (C:\Program Files\Kestro).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/setup.sh"
bash "$here/scripts/build.sh"
cmake --build "${KESTRO_BUILD_DIR:-$here/build}" --target install_wine
