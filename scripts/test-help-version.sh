#!/usr/bin/env bash
# --help and --version of every program, run as a user or a script runs them: each must print to
# standard output, exit 0, write nothing on standard error and return at once with standard input
# closed and no display (a program that waited for a key or a window would be ended by the
# timeout). --version prints the program's line from program-versions.txt, the list CMake writes
# from the one set of version numbers; --help starts with the line in the table below.
#
#   scripts/test-help-version.sh program-versions.txt PROGRAM-PATH...
set -uo pipefail

versions_file=$1
shift
declare -A program_path
for path in "$@"; do
    program_path[$(basename "$path")]=$path
done

# program | first line of --help
help_table='Skerrit|---------------------------
skerrit-preview|Usage: skerrit-preview BOOK.pdb OUT-FOLDER   write OUT-FOLDER/index.html, the whole book
Quillon|Usage: Quillon                                              show the dialog
ferrand.exe|Usage: ferrand.exe 2 tavlo3-pdb-file csv-file [ifo-file]
gostwick.exe|Usage: gostwick.exe 1 csv-file pdb-file database-name [ifo-file]
hollin-users|Usage: hollin-users [--library FILE] list'

failures=0
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

check() {
    local program=$1 option=$2 expected=$3
    local path=${program_path[$program]:-}
    if [ -z "$path" ]; then
        echo "FAILED $program $option: no path given for it"
        failures=$((failures + 1))
        return
    fi
    local status=0
    (cd "$scratch" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
        timeout 20 "$path" "$option" >"$scratch/out" 2>"$scratch/err" <&-) || status=$?
    local first
    first=$(head -n 1 "$scratch/out")
    if [ "$status" -ne 0 ] || [ -s "$scratch/err" ] || [ "$first" != "$expected" ]; then
        echo "FAILED $program $option: exit $status, first line '$first' (expected '$expected')," \
            "standard error: '$(cat "$scratch/err")'"
        failures=$((failures + 1))
    else
        echo "ok $program $option"
    fi
}

while IFS='|' read -r program first_help_line; do
    check "$program" --help "$first_help_line"
    version_line=$(awk -F '\t' -v p="$program" '$1 == p { print $2 }' "$versions_file")
    check "$program" --version "$version_line"
done <<<"$help_table"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
