#!/usr/bin/env bash
# Builds everything and runs every test: the logic natively under
# AddressSanitizer and UBSan, then the Windows build under Wine and Xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/bootstrap.sh"

build=${ORVALIS_BUILD_DIR:-$root/build}
jobs=$(nproc)

(cd "$root" && cmake --preset host -B "$build/host" >/dev/null)
cmake --build "$build/host" -j "$jobs"
ctest --test-dir "$build/host" --output-on-failure

source "$root/scripts/wine-arch.sh"
choose_wine_arch "$build/wine-shim"
windows=$(ORVALIS_BUILD_DIR=$build "$root/scripts/build-windows.sh")
if [ "$ORVALIS_ARCH" != i686 ]; then
    # The product itself is still built, and must still need no DLL beside it.
    (cd "$root" && cmake --preset windows -B "$build/product-i686" -DBUILD_TESTING=OFF >/dev/null)
    cmake --build "$build/product-i686" -j "$jobs" --target Orvalis
    "$root/tests/check-imports.sh" i686-w64-mingw32-objdump "$build/product-i686/Orvalis.exe"
fi

# The Windows tests get a display of their own, whether or not one exists.
source "$root/scripts/xvfb.sh"
start_xvfb
trap stop_xvfb EXIT
ctest --test-dir "$windows" --output-on-failure
