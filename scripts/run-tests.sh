#!/usr/bin/env bash
# Builds everything and runs every test: the logic natively under
# AddressSanitizer and UBSan, then the Windows build under Wine and Xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/bootstrap.sh"

build=${ORVALIS_BUILD_DIR:-$root/build}
jobs=$(nproc)

cmake -S "$root" -B "$build/host" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build/host" -j "$jobs"
ctest --test-dir "$build/host" --output-on-failure

cmake -S "$root" -B "$build/windows" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" >/dev/null
cmake --build "$build/windows" -j "$jobs"

# The Windows tests get a display of their own, whether or not one exists.
source "$root/scripts/xvfb.sh"
start_xvfb
trap stop_xvfb EXIT
ctest --test-dir "$build/windows" --output-on-failure
