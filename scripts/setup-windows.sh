#!/usr/bin/env bash
# Installs what the Windows build and its Wine checks need: the 32-bit mingw-w64 cross compilers
# and 32-bit Wine, which comes from the i386 architecture, and for machines whose kernel runs no
# 32-bit programs the 64-bit compilers and 64-bit Wine, which scripts/test-windows.sh then uses.
# Idempotent: with everything present it changes nothing and never calls apt-get.
set -euo pipefail

packages=(gcc-mingw-w64-i686 g++-mingw-w64-i686 gcc-mingw-w64-x86-64-posix
    g++-mingw-w64-x86-64-posix wine wine32:i386 wine64 xvfb)

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi

need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "Adding the i386 architecture for 32-bit Wine"
    "${as_root[@]}" dpkg --add-architecture i386
    need_update=1
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing Debian packages: ${missing[*]}"
if [ "$need_update" -eq 1 ] || ! apt-cache show wine32:i386 >/dev/null 2>&1; then
    "${as_root[@]}" apt-get update -qq
fi
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
