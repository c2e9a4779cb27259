#!/usr/bin/env bash
# Builds the program and prints its benchmark figures (see benchmark.py):
# all of them, or those named, e.g. scripts/benchmark.sh backlog pickup menu.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/bootstrap.sh"
source "$root/scripts/wine-arch.sh"
choose_wine_arch "$root/build/wine-shim"
build=$("$root/scripts/build-windows.sh")

export WINEPREFIX=$build/bench-prefix WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
export ORVALIS_EXE=$build/Orvalis.exe
export ORVALIS_CONVERTER=$build/tests/converter/AWDVSTUB.exe
export ORVALIS_PROBE=$build/tests/e2e/probe.exe
export ORVALIS_PLANTED_DLL=$build/tests/e2e/planted.dll
export ORVALIS_E2E_WORK=$build/bench-work
source "$root/scripts/xvfb.sh"
start_xvfb
trap 'wineserver -k 2>/dev/null || true; stop_xvfb' EXIT
"$root/tests/wine-prefix.sh" start
python3 -u "$root/scripts/benchmark.py" "$@"
