#!/usr/bin/env bash
# Builds both architectures' trees and writes their Windows Installer packages
# to dist/: Kestro-<version>-x86.msi (32-bit Windows, and 64-bit Windows too)
# and Kestro-<version>-x64.msi (64-bit Windows only). cmake options (such as
# -DKESTRO_BUILD_NUMBER=N) go to both builds.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=arch.sh
. "$here/scripts/arch.sh"
bash "$here/scripts/setup.sh"
mkdir -p "$here/dist"
for arch in i686 x86_64; do
  bash "$here/scripts/build.sh" "$arch" "$@"
  tree=$(kestro_build_tree "$arch")
  version=$(sed -n 's/^#define KESTRO_FILE_VERSION_TEXT "\(.*\)"$/\1/p' "$tree/generated/KestroVersion.h")
  case $arch in i686) name=x86 ;; x86_64) name=x64 ;; esac
  package="$tree/Kestro-$version-$name.msi"
  [ -f "$package" ] || { echo "package: the build made no $package" >&2; exit 1; }
  cp "$package" "$here/dist/"
  echo "package: dist/Kestro-$version-$name.msi"
done
