#!/usr/bin/env bash
# Runs every example command of README.md as it is written there: Skerrit's, skerrit-preview's,
# Quillon's batch mode and the hollin-users session. They run in a throwaway home folder (HOME and
# the current folder) holding the sample files they name, with the build's programs first on PATH
# and build/dev there leading to the build, so "build/dev/hollin/hollin-users" works as typed. The
# Wine prefix of the hollin-users session is docs/hollin-data.md's, its registry written as the
# file Wine keeps (no Wine process is started). The build and package commands are checked by
# scripts/test.sh, scripts/test-windows.sh and scripts/test-packages.sh instead.
#
# Each command must end with the status the table below expects; a command the table does not
# know, or one in the table the README no longer has, fails the run, so that a new example is
# added here too. Output the README shows after a "$ " command must be printed exactly (with
# /home/me for the home folder). The reflow example is checked to reflow: its text must come out
# as paragraphs.
#
#   scripts/test-readme-examples.sh BUILD-DIR      (default build/dev)
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD
build=$(cd "${1:-build/dev}" && pwd)

# command as written | expected exit status
expected_status=$(cat <<'TABLE'
Skerrit skerrit/tests/data/harbour-light.txt|0
Skerrit -rCR -sLB "-iHarbour Light" story.txt story.pdb|0
Skerrit -tS4 -rCR notes.txt|0
Skerrit -y book.pdb book-vado.pdb|0
Skerrit -d1 docs/guide/index.html guide.pdb|0
skerrit-preview book.pdb out-folder|0
skerrit-preview --text book.pdb|0
skerrit-preview --info book.pdb|0
Quillon 2 names.pdb names.csv names.ifo|0
Quillon 1 "My Data/names.csv" namesPro.pdb "My Names" names.ifo|0
Quillon 1 names.csv names.pdb ""|1
Quillon --help|0
$ export WINEPREFIX=~/.wine-palm|0
$ build/dev/hollin/hollin-users list|0
$ build/dev/hollin/hollin-users install "Ann Doe" book.pdb|0
$ build/dev/hollin/hollin-users install 0 'C:\book2.pdb'|0
$ build/dev/hollin/hollin-users --library build/dev/hollin/libHollin.so.1 list|0
TABLE
)

work=$(mktemp -d "${TMPDIR:-/tmp}/readme-examples.XXXXXX")
trap 'rm -rf "$work"' EXIT
home=$work/home/me
mkdir -p "$home/build" "$home/skerrit/tests/data" "$home/docs" "$home/My Data"
ln -s "$build" "$home/build/dev"

failures=0
pass() { echo "ok      $1"; }
fail() {
    echo "FAILED  $1${2:+: $2}"
    failures=$((failures + 1))
}

# --- sample files the examples name -----------------------------------------------------------
cp skerrit/tests/data/harbour-light.txt "$home/skerrit/tests/data/"
cp -r docs/guide "$home/docs/"
# Hard-wrapped text with CR LF line ends: two paragraphs of two lines each.
printf 'The lamp on the point was lit\r\nat dusk every night.\r\n\r\nNo ship was lost\r\nwhile it burned.\r\n' \
    >"$home/story.txt"
printf 'Name\tPort\r\nHarbour\tNorth\r\n' >"$home/notes.txt"
printf 'A small Doc e-book.\nIts second line.\n' >"$work/book.txt"
if ! txt2pdbdoc "Small Book" "$work/book.txt" "$home/book.pdb" >/dev/null 2>&1; then
    fail "sample Doc e-book made with txt2pdbdoc (Debian package txt2pdbdoc)"
fi
# names.pdb, a Tavlo Pro database, made by Quillon itself from a CSV.
printf 'Ann Doe,North\nJohn Smith,South\n' >"$work/seed.csv"
(cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY "$build/quillon/Quillon" 1 seed.csv \
    "$home/names.pdb" names) >/dev/null 2>&1 || fail "sample Tavlo Pro database made by Quillon"
cp "$work/seed.csv" "$home/My Data/names.csv"

# The Wine prefix of docs/hollin-data.md: its recipe's folders and users.dat lines as written,
# and the registry keys its "wine reg add" lines make, as Wine writes them to user.reg.
palm_prefix=$home/.wine-palm
mkdir -p "$palm_prefix/drive_c" "$palm_prefix/dosdevices"
ln -s ../drive_c "$palm_prefix/dosdevices/c:"
cat >"$palm_prefix/user.reg" <<'REG'
WINE REGISTRY Version 2
;; All keys relative to \\User\\S-1-5-21-0-0-0-1000

#arch=win64

[Software\\Palm Computing\\Pilot Desktop\\Core] 1765400000
"Path"="C:\\Palm"

[Software\\Palm Computing\\Pilot Desktop\\HotSync Manager] 1765400000

[Software\\Palm Computing\\Pilot Desktop\\Preferences] 1765400000
"LastUserName"="Ann Doe"
REG
recipe=$(awk '/runs the commands of the next block/ { marked = 1; next }
    marked && /^```sh$/ { inside = 1; next } inside && /^```$/ { exit } inside' docs/hollin-data.md |
    grep -Ev '^(wine|wineboot|wineserver) ')
if ! (cd "$home" && HOME=$home bash -e -c "$recipe") >"$work/recipe.log" 2>&1; then
    fail "hollin-data.md: the recipe's files are made" "$(tail -n 3 "$work/recipe.log")"
fi
echo "a book for the handheld" >"$palm_prefix/drive_c/book2.pdb"

# --- the examples, as the README has them -----------------------------------------------------
# Indented lines that start with a program name, or with "$ " in the hollin-users session; usage
# lines ({Options}, [ifo-file]) are syntax, not examples. For "$ " commands, the lines up to the
# next command are the output the README shows.
readme_commands=$(awk '
    /^    (Skerrit|skerrit-preview|Quillon) / && !/\{Options\}|\[ifo-file\]/ { print substr($0, 5) }
    /^    \$ / { print substr($0, 5) }' README.md | sed -E 's/[[:space:]]+#.*$//')

known=$(cut -d'|' -f1 <<<"$expected_status" | sort)
if [ "$(sort <<<"$readme_commands")" != "$known" ]; then
    fail "the README's examples are the ones this script knows" \
        "$(diff <(echo "$known") <(sort <<<"$readme_commands") | grep '^[<>]' | tr '\n' ' ')"
fi

# The output the README shows after the "$ " command $1, /home/me standing for the home folder.
shown_output() {
    WANTED=$1 awk '
        /^    \$ / {
            if (inside) exit
            line = substr($0, 5)
            sub(/[ \t]+#.*$/, "", line)
            if (line == ENVIRON["WANTED"]) inside = 1
            next
        }
        inside && /^    / { printf "%s", pending; pending = ""; print substr($0, 5); next }
        inside && /^$/ { pending = pending "\n"; next }
        inside { exit }' README.md | sed "s|/home/me|$home|g"
}

# The exports of the hollin-users session hold for the commands after them, as in one shell.
exports=
while IFS= read -r line; do
    [ -n "$line" ] || continue
    # (ENVIRON, as awk -v would take the backslashes of C:\book2.pdb for escapes)
    status=$(WANTED=$line awk -F'|' '$1 == ENVIRON["WANTED"] { print $2 }' <<<"$expected_status")
    [ -n "$status" ] || continue
    command=${line#\$ }
    command_status=0
    output=$(cd "$home" && HOME=$home PATH="$build/skerrit:$build/quillon:$build/hollin:$PATH" \
        env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u WINEPREFIX \
        bash -c "$exports$command" </dev/null 2>"$work/stderr") || command_status=$?
    case $command in export\ *) exports+="$command; " ;; esac
    if [ "$command_status" != "$status" ]; then
        fail "$line" "exit status $command_status, expected $status; $(tail -n 2 "$work/stderr")"
        continue
    fi
    if [ "$line" != "$command" ]; then
        expected=$(shown_output "$line")
        if [ -n "$expected" ] && [ "$output" != "$expected" ]; then
            fail "$line" "output differs from the README's (expected, then actual)"
            diff <(echo "$expected") <(echo "$output") | sed 's/^/        /'
            continue
        fi
    fi
    pass "$line"
done <<<"$readme_commands"

# --- what the examples made -------------------------------------------------------------------
check_file() {
    if [ -s "$home/$1" ]; then pass "$2"; else fail "$2" "$1 is missing or empty"; fi
}
check_file skerrit/tests/data/harbour-light.PDB "Skerrit wrote harbour-light.PDB beside its source"
check_file notes.PDB "Skerrit wrote notes.PDB"
check_file book-vado.pdb "Skerrit re-encoded the Doc e-book"
check_file guide.pdb "Skerrit converted the guide"
check_file out-folder/index.html "skerrit-preview wrote out-folder/index.html"
check_file namesPro.pdb "Quillon built namesPro.pdb from My Data/names.csv"
check_file .wine-palm/drive_c/Palm/DoeA/Install/book.pdb "book.pdb is queued for Ann Doe"
check_file .wine-palm/drive_c/Palm/SmithJ/Install/book2.pdb "C:\\book2.pdb is queued for John Smith"

# The reflow example reflows: each paragraph one line, the blank line between them kept.
reflowed=$("$build/skerrit/skerrit-preview" --text "$home/story.pdb" 2>&1)
expected_story=$'The lamp on the point was lit at dusk every night.\n\nNo ship was lost while it burned.'
if [ "$reflowed" == "$expected_story" ]; then
    pass "the reflow example makes paragraphs of hard-wrapped CR/LF text"
else
    fail "the reflow example makes paragraphs of hard-wrapped CR/LF text" \
        "$(printf '%q' "$reflowed")"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
