#!/usr/bin/env bash
# Builds the Windows program, the test converter and the test tools for
# ORVALIS_ARCH (i686, the product, by default; or x86_64) into
# $ORVALIS_BUILD_DIR/windows-ARCH (default: build/windows-ARCH) and prints
# that folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=${ORVALIS_ARCH:-i686}
build=${ORVALIS_BUILD_DIR:-$root/build}/windows-$arch
preset=windows
[ "$arch" = i686 ] || preset=windows-$arch
(cd "$root" && cmake --preset "$preset" -B "$build" >/dev/null)
cmake --build "$build" -j "$(nproc)" >&2
echo "$build"
