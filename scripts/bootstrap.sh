#!/usr/bin/env bash
# Installs everything the build, the demo and the tests need on a fresh
# Debian machine. Safe to run again: it does nothing when all is present.
set -euo pipefail

packages=(
  cmake ninja-build g++ googletest git
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine32:i386 wine64 fonts-wine xvfb xdotool x11-utils imagemagick
  procps python3 wixl msitools faketime
)

missing=()
have_i386=0
dpkg --print-foreign-architectures | grep -qx i386 && have_i386=1
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ "${#missing[@]}" -eq 0 ] && [ "$have_i386" -eq 1 ]; then
  exit 0
fi

SUDO=
[ "$(id -u)" -eq 0 ] || SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
[ "$have_i386" -eq 1 ] || $SUDO dpkg --add-architecture i386
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${packages[@]}"
