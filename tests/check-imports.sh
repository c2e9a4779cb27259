#!/usr/bin/env bash
# Fails unless the program imports KnownDLLs only. Windows loads those from
# the system folder whatever lies beside the program; any other DLL named in
# the import table would be looked for in the program's folder first, before
# any code of ours could prevent it.
# Usage: check-imports.sh OBJDUMP EXE
set -eu
imports=$("$1" -p "$2" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
echo "$imports"
[ -n "$imports" ] &&
    ! echo "$imports" | grep -vxE '(kernel32|user32|gdi32|shell32|msvcrt|advapi32)\.dll'
