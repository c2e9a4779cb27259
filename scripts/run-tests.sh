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

ORVALIS_BUILD_DIR=$build "$root/scripts/build-windows.sh" >/dev/null

# The Windows tests get a display of their own, whether or not one exists.
source "$root/scripts/xvfb.sh"
start_xvfb
trap stop_xvfb EXIT
ctest --test-dir "$build/windows" --output-on-failure
