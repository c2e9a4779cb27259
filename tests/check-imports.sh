#!/usr/bin/env bash
# Fails when the program imports a DLL that Windows does not ship: it must
# run from a folder holding nothing but itself and the converter.
# Usage: check-imports.sh OBJDUMP EXE
set -eu
imports=$("$1" -p "$2" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
echo "$imports"
[ -n "$imports" ] &&
    ! echo "$imports" | grep -vxE '(kernel32|user32|gdi32|shell32|comctl32|version|msvcrt|advapi32)\.dll'
