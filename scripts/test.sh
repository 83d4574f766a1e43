#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test under Wine, once
# for each architecture this machine's Wine runs (the tests install the
# programs into each build tree's prefix themselves). The 32-bit build is the
# product: it is built on every machine, and tested where it can run.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=arch.sh
. "$here/scripts/arch.sh"
bash "$here/scripts/setup.sh"

# Built before anything is known of what runs here: a machine that runs
# neither architecture still shows whether the sources build.
builds=i686
for arch in ${KESTRO_ARCHS:-$kestro_all_archs}; do
  kestro_wine_loader "$arch" >/dev/null
  [ "$arch" = i686 ] || builds="$builds $arch"
done
for arch in $builds; do
  start=$SECONDS
  bash "$here/scripts/build.sh" "$arch"
  echo "test: $arch built in $((SECONDS - start)) s"
done

if ! archs=$(kestro_runnable_archs); then
  echo "test: built $builds, but this machine runs none of them: nothing tested" >&2
  exit 1
fi
echo "test: testing ${archs//$'\n'/ }"

failed=""
for arch in $archs; do
  start=$SECONDS
  echo "test: the $arch suite"
  (cd "$(kestro_build_tree "$arch")" && ctest --output-on-failure -j2) || failed="$failed $arch"
  echo "test: the $arch suite ran in $((SECONDS - start)) s"
done
if [ -n "$failed" ]; then
  echo "test: the suite failed on$failed" >&2
  exit 1
fi
