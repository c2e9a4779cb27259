#!/usr/bin/env bash
# Fails when the program imports a DLL that Windows does not ship: it must
# run from a folder holding nothing but itself and the converter.
set -eu
objdump=$1
exe=$2
system_dlls="kernel32.dll user32.dll gdi32.dll shell32.dll comctl32.dll version.dll msvcrt.dll advapi32.dll"
imports=$("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$imports" ] || { echo "no imports found in $exe"; exit 1; }
status=0
for dll in $imports; do
    case " $system_dlls " in
    *" $dll "*) echo "ok      $dll" ;;
    *) echo "NOT A SYSTEM DLL: $dll"; status=1 ;;
    esac
done
exit $status
