#!/usr/bin/env bash
# Checks that the release is reproducible: builds the committed HEAD twice,
# in two clones in different folders one after the other, and fails unless
# Orvalis.exe, the zip and the installer come out byte for byte the same.
# Uncommitted changes are not part of the check.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/bootstrap.sh"

commit=$(git -C "$root" rev-parse HEAD)
if [ -n "$(git -C "$root" status --porcelain)" ]; then
    echo "Uncommitted changes are left out: checking $commit only." >&2
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
copies=("$work/a" "$work/second/copy")
for copy in "${copies[@]}"; do
    git clone -q "$root" "$copy"
    git -C "$copy" checkout -q --detach "$commit"
    # Each clone builds in its own folder, whatever the caller uses.
    env -u ORVALIS_BUILD_DIR "$copy/scripts/package.sh" >"$copy.log" 2>&1 ||
        { cat "$copy.log"; exit 1; }
done

zip=$(cd "${copies[0]}" && echo dist/Orvalis-*-win32.zip)
msi=$(cd "${copies[0]}" && echo dist/Orvalis-*-win32.msi)
status=0
for file in build/release/Orvalis.exe "$zip" "$zip.sha256" "$msi" "$msi.sha256"; do
    if cmp "${copies[0]}/$file" "${copies[1]}/$file"; then
        echo "same bytes: $file"
    else
        status=1
    fi
done
[ "$status" -eq 0 ] && echo "Reproducible: $commit" || echo "NOT reproducible: $commit"
exit "$status"
