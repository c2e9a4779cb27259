#!/usr/bin/env bash
# Fails unless the program imports KnownDLLs only, and its header names the
# oldest Windows it runs on. Windows loads KnownDLLs from the system folder
# whatever lies beside the program; any other DLL named in the import table
# would be looked for in the program's folder first, before any code of ours
# could prevent it. A header that claimed an older Windows than 7 (6.1) would
# let that one fail on a missing entry point instead of refusing the program.
# Usage: check-imports.sh OBJDUMP EXE
set -eu
header=$("$1" -p "$2")
imports=$(echo "$header" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
versions=$(echo "$header" | sed -n 's/^\(Major\|Minor\)\(OSystem\|Subsystem\)Version\s*//p' | xargs)
printf '%s\nOS and subsystem versions: %s\n' "$imports" "$versions"
[ -n "$imports" ] && [ "$versions" = "6 1 6 1" ] &&
    ! echo "$imports" | grep -vxE '(kernel32|user32|gdi32|shell32|msvcrt|advapi32)\.dll'
