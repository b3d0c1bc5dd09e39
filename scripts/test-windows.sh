#!/usr/bin/env bash
# The Windows build and its checks under Wine: builds the "windows" preset (32-bit, mingw-w64)
# and runs the Windows programs in one 32-bit Wine prefix made for this run. Each check prints
# "ok" or "FAILED" with its name and what differed; the script fails when any check failed.
#
#   scripts/test-windows.sh [build-dir]      (default build/windows)
#
# The Linux build for the comparisons is built in build/windows-linux-reference (release preset
# settings, without tests). scripts/setup-windows.sh installs mingw-w64 and Wine.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD
build=${1:-build/windows}
reference=build/windows-linux-reference
jobs=$(nproc)
[ "$jobs" -gt 2 ] || jobs=2

cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" -j"$jobs"

work=$(mktemp -d "${TMPDIR:-/tmp}/test-windows.XXXXXX")
export WINEPREFIX=$work/prefix WINEARCH=win32 WINEDEBUG=-all
# No Mono or Gecko installer prompts while the prefix is made; the programs need neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
finish() {
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap finish EXIT

failures=()
pass() { echo "ok      $1"; }
fail() {
    echo "FAILED  $1${2:+: $2}"
    failures+=("$1")
}
# Runs a Windows program; its console output with the CR of each line end removed.
run_wine() { wine "$@" 2>/dev/null | tr -d '\r'; }
# expect_output NAME EXPECTED ACTUAL: the two texts equal, or a diff under the failure line.
expect_output() {
    if [ "$2" == "$3" ]; then
        pass "$1"
    else
        fail "$1" "output differs (expected, then actual)"
        diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") | sed 's/^/        /' || true
    fi
}

echo "Creating the Wine prefix $WINEPREFIX"
wineboot --init >/dev/null 2>&1
drive_c=$WINEPREFIX/drive_c
wineserver -w

# --- Hollin.dll -----------------------------------------------------------------------------
hollin_checks() {
    local probe=$root/$build/hollin/hollin-probe.exe
    local palm='HKCU\Software\Palm Computing\Pilot Desktop'

    local exports
    exports=$(run_wine "$probe" exports)
    expect_output "hollin: exports 1 to 7 by ordinal and by name are the same functions" \
"ordinal 1 ud_InstallUser same
ordinal 2 ud_GetUserSubDir same
ordinal 3 ud_GetUserName same
ordinal 4 ud_GetUserMagic same
ordinal 5 ud_GetCore same
ordinal 6 ud_GetLastUserNumber same
ordinal 7 ud_GetNumUsers same" "$exports"

    expect_output "hollin: without Palm Desktop's keys every export gives -1, buffers untouched" \
'core -1 untouched
users -1
last -1
user -1 name -1 untouched subdir -1 untouched magic -1
user 0 name -1 untouched subdir -1 untouched magic -1' "$(run_wine "$probe" list)"

    wine reg add "$palm\\Preferences" /v LastUserName /d "Tom Jones" /f >/dev/null 2>&1
    wine reg add "$palm\\HotSync Manager" /f >/dev/null 2>&1
    expect_output "hollin: vendor key without a data folder: no user list" \
'core 0 ""
users 0
last 0
user -1 name -2 "" subdir -2 "" magic -2
user 0 name -2 "" subdir -2 "" magic -2' "$(run_wine "$probe" list)"
    expect_output "hollin: install without a user list gives -2" "install -2" \
        "$(run_wine "$probe" install 0 'C:\tmp\book.pdb')"

    # users.dat: two users, the second is the last user; between them a 0x01 that is not
    # followed by 0x80, which the scan for the next entry must pass over.
    # Palm Desktop makes each user's folder; the library adds only the Install folder in it.
    mkdir -p "$drive_c/Palm/SmithJ" "$drive_c/Palm/JonesT" "$drive_c/tmp"
    printf '\x02%s' '000000000000' >"$drive_c/Palm/users.dat"
    printf '\x34\x12\x00\x00\x0aJane Smith\x06SmithJ\x00\x05\x01\x07\x01\x80' \
        >>"$drive_c/Palm/users.dat"
    printf '\x02\x01\x00\x00\x09Tom Jones\x06JonesT\x00' >>"$drive_c/Palm/users.dat"
    wine reg add "$palm\\Core" /v Path /d 'C:\Palm' /f >/dev/null 2>&1
    expect_output "hollin: user list from users.dat, last user found by name" \
'core 0 "C:\Palm"
users 2
last 1
user -1 name -3 "" subdir -3 "" magic -3
user 0 name 0 "Jane Smith" subdir 0 "SmithJ" magic 4660
user 1 name 0 "Tom Jones" subdir 0 "JonesT" magic 258
user 2 name -3 "" subdir -3 "" magic -3' "$(run_wine "$probe" list)"

    printf 'first book' >"$drive_c/tmp/book.pdb"
    local installed=$drive_c/Palm/SmithJ/Install/book.pdb
    local result flag
    result=$(run_wine "$probe" install 0 'C:\tmp\book.pdb')
    flag=$(run_wine reg query "$palm\\HotSync Manager" /v Install4660 | grep -c 'REG_DWORD *0x1$' || true)
    if [ "$result" == "install 0" ] && cmp -s "$drive_c/tmp/book.pdb" "$installed" && [ "$flag" == 1 ]; then
        pass "hollin: install copies into the new Install folder and sets Install4660 to 1"
    else
        fail "hollin: install copies into the new Install folder and sets Install4660 to 1" \
            "result '$result', copy $(cmp -s "$drive_c/tmp/book.pdb" "$installed" && echo same || echo differs), flag lines $flag"
    fi
    printf 'second book, longer' >"$drive_c/tmp/book.pdb"
    result=$(run_wine "$probe" install 0 'C:\tmp\book.pdb')
    if [ "$result" == "install 0" ] && cmp -s "$drive_c/tmp/book.pdb" "$installed" &&
        [ "$(find "$drive_c/Palm/SmithJ/Install" -type f | wc -l)" == 1 ]; then
        pass "hollin: installing the same file again replaces the copy"
    else
        fail "hollin: installing the same file again replaces the copy" "result '$result'"
    fi
    expect_output "hollin: install of a missing file gives -4, of a user past the end -3" \
        $'install -4\ninstall -3' \
        "$(run_wine "$probe" install 1 'C:\tmp\missing.pdb'; run_wine "$probe" install 2 'C:\tmp\book.pdb')"

    wine reg add 'HKCU\Software\U.S. Robotics\Pilot Desktop\Core' /v Path /d 'C:\Robotics' /f \
        >/dev/null 2>&1
    expect_output "hollin: with both vendor keys the U.S. Robotics key is used" \
        "core 0 \"C:\\Robotics\"" "$(run_wine "$probe" list | head -n 1)"
}

hollin_checks

wineserver -w
if [ ${#failures[@]} -ne 0 ]; then
    echo "${#failures[@]} Windows check(s) failed:"
    printf '  %s\n' "${failures[@]}"
    exit 1
fi
echo "All Windows checks passed."
