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
    # Debian's Wine does not find its own fonts (MS Sans Serif, Tahoma) by
    # itself; without them dialogs fall back to a wider face than Windows'.
    cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
    ;;
stop)
    wineserver -k 2>/dev/null || true
    ;;
esac
