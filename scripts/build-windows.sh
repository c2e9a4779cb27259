#!/usr/bin/env bash
# Builds the Windows program, the test converter and the test tools into
# $ORVALIS_BUILD_DIR/windows (default: build/windows) and prints that folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORVALIS_BUILD_DIR:-$root/build}/windows
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" >/dev/null
cmake --build "$build" -j "$(nproc)" >&2
echo "$build"
