#!/usr/bin/env bash
# Makes the Windows release: dist/Orvalis-<version>-win32.zip (Orvalis.exe,
# README.txt, LICENSE.txt), the installer dist/Orvalis-<version>-win32.msi
# with the same files, and a .sha256 for each, from a 32-bit build of its own
# in $ORVALIS_BUILD_DIR/release (default: build/release). The same commit
# gives the same bytes, whatever folder it is built in and whenever.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/bootstrap.sh"

if [ -n "$(git -C "$root" status --porcelain)" ]; then
    echo "Warning: uncommitted changes; this release is not that of any commit." >&2
fi
# Every date inside the release is the commit's.
SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct)
export SOURCE_DATE_EPOCH

build=${ORVALIS_BUILD_DIR:-$root/build}/release
(cd "$root" && cmake --preset windows -B "$build" -DBUILD_TESTING=OFF >/dev/null)
cmake --build "$build" -j "$(nproc)" --target release >&2

# Each file of the release, with its checksum, once that is checked.
cd "$root/dist"
for sum in Orvalis-*-win32.zip.sha256 Orvalis-*-win32.msi.sha256; do
    sha256sum --quiet -c "$sum"
    cat "$sum"
done
