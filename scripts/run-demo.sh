#!/usr/bin/env bash
# Runs Orvalis under Wine in a demo application folder, demo/, with the test
# converter standing in for the real AWDVSTUB.EXE (which is not ours to ship):
# it writes a blank one-page TIFF for every AWD file. Drop *.awd files into
# demo/Drop and watch them turn into demo/Store/Fax_NNNNN.tif. Use the tray
# icon's "Close" (or Ctrl+C here) to end it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/bootstrap.sh"
source "$root/scripts/wine-arch.sh"
choose_wine_arch "$root/demo/wine-shim"
build=$("$root/scripts/build-windows.sh")

demo=$root/demo
mkdir -p "$demo/Drop" "$demo/Store"
cp "$build/Orvalis.exe" "$demo/Orvalis.exe"
cp "$build/tests/converter/AWDVSTUB.exe" "$demo/AWDVSTUB.EXE"
winpath() { printf 'Z:%s' "$(echo "$1" | tr / '\\')"; }
if [ ! -f "$demo/Orvalis.ini" ]; then
    printf '[File]\r\nDrop=%s\r\nStore=%s\r\nCurrent=0\r\n[Tempo]\r\nV1=500\r\nV2=3000\r\n' \
        "$(winpath "$demo/Drop")" "$(winpath "$demo/Store")" >"$demo/Orvalis.ini"
fi

export WINEPREFIX=$demo/wineprefix WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
if [ -z "${DISPLAY:-}" ]; then
    source "$root/scripts/xvfb.sh"
    start_xvfb
    echo "No display: running on the virtual display $DISPLAY."
fi
"$root/tests/wine-prefix.sh" start
trap 'wineserver -k 2>/dev/null || true; [ -z "${xvfb_pid:-}" ] || stop_xvfb' EXIT

echo "Orvalis runs in $demo. Put *.awd files into $demo/Drop;"
echo "the TIF files appear in $demo/Store. Errors go to $demo/Orvalis.err."
cd "$demo"
wine Orvalis.exe || true
