# Sourced: chooses the Windows build that this machine's Wine can run and
# exports ORVALIS_ARCH (i686 or x86_64).
#
# The product is 32-bit, and Wine runs it through its 32-bit loader. Some
# machines (sandboxed kernels) cannot start 32-bit Linux programs at all;
# there the tests build the same sources for x86-64 and run them with
# wine64, through a `wine` on PATH that starts wine64.
choose_wine_arch() {
    local shim_folder=$1
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then
        export ORVALIS_ARCH=i686
        return
    fi
    export ORVALIS_ARCH=x86_64
    echo "note: this machine cannot run 32-bit programs; a 64-bit build of the" \
         "same sources runs under wine64 instead." >&2
    mkdir -p "$shim_folder"
    local name
    for name in wine wine-stable; do
        printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$shim_folder/$name"
        chmod +x "$shim_folder/$name"
    done
    export PATH="$shim_folder:$PATH"
    export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
}
