#!/usr/bin/env bash
# Runs a Windows program under Wine in the tests' own prefix, which the
# build directory's test environment names through WINEPREFIX.
set -eu
: "${WINEPREFIX:?WINEPREFIX must name the tests prefix}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEDEBUG="${WINEDEBUG:--all}"
exec wine "$@"
