#!/usr/bin/env bash
# Creates the tests' Wine prefix (start) or stops its wineserver (stop).
set -eu
: "${WINEPREFIX:?}"
case "$1" in
start)
    # -i creates the prefix when missing and is quick once it exists.
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    test -f "$WINEPREFIX/system.reg"
    ;;
stop)
    wineserver -k 2>/dev/null || true
    ;;
esac
