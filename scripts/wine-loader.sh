#!/usr/bin/env bash
# Prints how this machine runs Windows programs under Wine, as "BITS COMMAND":
#   32 wine        Wine's 32-bit loader runs here: `wine`, 32-bit prefixes, 32-bit programs.
#   64 LOADER      it does not, but Wine's 64-bit loader LOADER does: run it directly, with
#                  WINELOADER=LOADER so that the programs Wine starts itself (wineboot, the
#                  wineserver's helpers) use it too, in a 64-bit prefix with 64-bit programs.
# Fails, saying why, when neither loader runs.
#
# Some kernels run no 32-bit programs at all: the 32-bit loader then fails with "Exec format
# error", yet Debian's `wine` picks it whenever the wine32 package is installed.
set -euo pipefail

# Debian installs the 32-bit loader as /usr/lib/wine/wine (package wine32) and the 64-bit one as
# /usr/lib/wine/wine64 (package wine64); without Debian's layout, `wine` and `wine64` are the
# loaders themselves.
wine32_loader() {
    if [ -d /usr/lib/wine ]; then
        echo /usr/lib/wine/wine
    else
        command -v wine || echo wine
    fi
}

wine64_loader() {
    if [ -x /usr/lib/wine/wine64 ]; then
        echo /usr/lib/wine/wine64
    else
        command -v wine64 || echo wine64
    fi
}

loader_runs() { "$1" --version >/dev/null 2>&1; }

main() {
    local wine32 wine64
    wine32=$(wine32_loader)
    wine64=$(wine64_loader)
    if loader_runs "$wine32"; then
        echo "32 wine"
    elif loader_runs "$wine64"; then
        echo "64 $wine64"
    else
        echo "Wine cannot run here: neither $wine32 nor $wine64 runs" \
            "(scripts/setup-windows.sh installs Wine)" >&2
        return 1
    fi
}

main "$@"
