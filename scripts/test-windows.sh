#!/usr/bin/env bash
# The Windows build and its checks under Wine: builds the "windows" preset (32-bit, mingw-w64)
# and runs the Windows programs in one 32-bit Wine prefix made for this run. Each check prints
# "ok" or "FAILED" with its name and what differed; the script fails when any check failed.
#
#   scripts/test-windows.sh [build-dir]      (default build/windows; JOBS=n for the builds)
#
# On a machine whose kernel runs no 32-bit programs (scripts/wine-loader.sh tells), the same checks
# run on the "windows64" preset (default build/windows64) in a 64-bit prefix under Wine's 64-bit
# loader, and the script says so before building. A check whose expectation depends on the
# architecture (PE machine type, __stdcall name decoration) reads $windows_bits: 32 or 64.
#
# The Linux build for the comparisons is built in build/windows-linux-reference (optimised, without
# tests). scripts/setup-windows.sh installs mingw-w64 and Wine.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD
reference=build/windows-linux-reference
jobs=${JOBS:-$(nproc)}

wine_found=$(scripts/wine-loader.sh)
read -r windows_bits wine_loader <<<"$wine_found"
architecture_note=
if [ "$windows_bits" == 64 ]; then
    architecture_note="NOTE: this machine cannot run 32-bit programs; the Windows checks run on a \
64-bit build under 64-bit Wine ($wine_loader)."
    echo "$architecture_note"
    preset=windows64
    wine_arch=win64
    # `wine`, `wineboot` and `winepath` run the 64-bit loader for every check, also where a check
    # starts them through timeout, env or script.
    export WINELOADER=$wine_loader PATH=$root/scripts/wine64-commands:$PATH
else
    preset=windows
    wine_arch=win32
fi
build=${1:-build/$preset}

cmake --preset "$preset" -B "$build" >/dev/null
cmake --build "$build" -j"$jobs"
# The Linux programs the Windows outputs are compared with, optimised as the Windows build is.
cmake -S . -B "$reference" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" -DWARNINGS_AS_ERRORS=ON >/dev/null
cmake --build "$reference" -j"$jobs" --target Skerrit Quillon quillon_ferrand quillon_gostwick

work=$(mktemp -d "${TMPDIR:-/tmp}/test-windows.XXXXXX")
export WINEPREFIX=$work/prefix WINEARCH=$wine_arch WINEDEBUG=-all
# No Mono or Gecko installer prompts while the prefix is made; the programs need neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
xvfb_pid=
finish() {
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$work"
    # Again under the outcome, where a reader of the log looks first.
    [ -z "$architecture_note" ] || echo "$architecture_note"
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

# --- The build's architecture ------------------------------------------------------------------
# The machine field of a PE file's header, in hexadecimal: 2 bytes, little-endian, 4 bytes past the
# header's offset, which bytes 60 to 63 hold.
pe_machine() {
    [ -f "$1" ] || { echo missing; return; }
    local header
    header=$(od -An -tu1 -j60 -N4 "$1" | awk '{print $1 + 256 * ($2 + 256 * ($3 + 256 * $4))}')
    od -An -tx1 -j$((header + 4)) -N2 "$1" | awk '{print $2 $1}'
}

# The deliverables are built for the processor that the Wine prefix runs: i386 in the usual
# 32-bit build, x86-64 in the 64-bit one.
architecture_checks() {
    local machine=014c file wanted= found=
    [ "$windows_bits" == 64 ] && machine=8664
    for file in skerrit/Skerrit.exe quillon/Quillon.exe quillon/ferrand.exe quillon/gostwick.exe \
        hollin/Hollin.dll; do
        wanted+="$file $machine"$'\n'
        found+="$file $(pe_machine "$root/$build/$file")"$'\n'
    done
    expect_output "windows: the programs and Hollin.dll are $windows_bits-bit (machine $machine)" \
        "$wanted" "$found"
}
architecture_checks

# Every Wine program of the run sees one X display, so that the dialog can be shown: Wine keeps
# the display its first program found for the whole session. Xvfb picks a free display number.
if command -v Xvfb >/dev/null; then
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/xvfb-display" \
        >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 1 50); do
        [ -s "$work/xvfb-display" ] && break
        sleep 0.1
    done
    if [ -s "$work/xvfb-display" ]; then
        export DISPLAY=:$(cat "$work/xvfb-display")
    else
        unset DISPLAY
    fi
else
    unset DISPLAY
fi

echo "Creating the $wine_arch Wine prefix $WINEPREFIX"
wineboot --init >/dev/null 2>&1
drive_c=$WINEPREFIX/drive_c
# Without a window manager, Wine draws the caption and frame of its windows itself.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
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
    local name="hollin: install copies into the new Install folder and sets Install4660 to 1"
    local result flag copy
    result=$(run_wine "$probe" install 0 'C:\tmp\book.pdb')
    flag=$(run_wine reg query "$palm\\HotSync Manager" /v Install4660 |
        grep -c 'REG_DWORD *0x1$' || true)
    copy=$(cmp -s "$drive_c/tmp/book.pdb" "$installed" && echo same || echo differs)
    if [ "$result" == "install 0" ] && [ "$copy" == same ] && [ "$flag" == 1 ]; then
        pass "$name"
    else
        fail "$name" "result '$result', copy $copy, flag lines $flag"
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
        "$(run_wine "$probe" install 1 'C:\tmp\missing.pdb'
            run_wine "$probe" install 2 'C:\tmp\book.pdb')"

    wine reg add 'HKCU\Software\U.S. Robotics\Pilot Desktop\Core' /v Path /d 'C:\Robotics' /f \
        >/dev/null 2>&1
    expect_output "hollin: with both vendor keys the U.S. Robotics key is used" \
        "core 0 \"C:\\Robotics\"" "$(run_wine "$probe" list | head -n 1)"

    # A value is read only when it fits its field with its NUL: 255 characters of a data folder
    # are read, 256 are not.
    local long_path
    long_path="C:\\$(printf 'a%.0s' $(seq 1 252))"
    local robotics='HKCU\Software\U.S. Robotics\Pilot Desktop\Core'
    wine reg add "$robotics" /v Path /d "$long_path" /f >/dev/null 2>&1
    expect_output "hollin: a data folder of 255 characters is read" "core 0 \"$long_path\"" \
        "$(run_wine "$probe" list | head -n 1)"
    wine reg add "$robotics" /v Path /d "${long_path}a" /f >/dev/null 2>&1
    expect_output "hollin: a data folder of 256 characters is not read" 'core 0 ""' \
        "$(run_wine "$probe" list | head -n 1)"

    hollin_install_safety_checks "$probe" "$palm"
}

# --- Hollin.dll: failed installs change nothing; installs wait for one another ---------------
# Runs after hollin_checks has made the two users of the Palm Computing key and queued book.pdb
# for user 0.
hollin_install_safety_checks() {
    local probe=$1 palm=$2
    local installs=$drive_c/Palm/SmithJ/Install
    wine reg delete 'HKCU\Software\U.S. Robotics' /f >/dev/null 2>&1 || true
    mkdir -p "$drive_c/tmp/other"
    printf 'another book of that name' >"$drive_c/tmp/other/book.pdb"

    local name="hollin: without the HotSync Manager key an install gives -5 and places nothing"
    wine reg delete "$palm\\HotSync Manager" /f >/dev/null 2>&1 || true
    local results
    results=$(run_wine "$probe" install 0 'C:\tmp\other\book.pdb'
        run_wine "$probe" install 1 'C:\tmp\book.pdb')
    if [ "$results" == $'install -5\ninstall -5' ] &&
        cmp -s "$drive_c/tmp/book.pdb" "$installs/book.pdb" &&
        [ "$(ls -A "$installs")" == book.pdb ] && [ ! -e "$drive_c/Palm/JonesT/Install" ]; then
        pass "$name"
    else
        fail "$name" "results '${results//$'\n'/, }'; SmithJ\\Install: $(ls -A "$installs" |
            tr '\n' ' ')JonesT\\Install $([ -e "$drive_c/Palm/JonesT/Install" ] && echo made ||
            echo absent)"
    fi

    # Wine shows a Unix symbolic link as a link, so Windows' check of where the folder really is
    # sees one leading outside the data folder.
    wine reg add "$palm\\HotSync Manager" /f >/dev/null 2>&1
    local outside=$work/hollin-outside link=$drive_c/Palm/JonesT/Install
    mkdir -p "$outside" "$drive_c/Palm/Queue"
    ln -s "$outside" "$link"
    name="hollin: an Install folder linked outside the data folder gives -4 and writes nothing"
    results=$(run_wine "$probe" install 1 'C:\tmp\book.pdb')
    if [ "$results" == "install -4" ] && [ -z "$(ls -A "$outside")" ]; then
        pass "$name"
    else
        fail "$name" "result '$results', outside: $(ls -A "$outside" | tr '\n' ' ')"
    fi
    rm "$link"
    ln -s ../Queue "$link"
    name="hollin: an Install folder linked to a folder inside the data folder is used"
    results=$(run_wine "$probe" install 1 'C:\tmp\book.pdb')
    if [ "$results" == "install 0" ] &&
        cmp -s "$drive_c/tmp/book.pdb" "$drive_c/Palm/Queue/book.pdb"; then
        pass "$name"
    else
        fail "$name" "result '$results', Queue: $(ls -A "$drive_c/Palm/Queue" | tr '\n' ' ')"
    fi
    rm "$link"

    # Two installs at once for two users, a few rounds: both succeed and both flags are set.
    name="hollin: two installs at once for two users both set their flags"
    local round outcome problems=()
    for round in 1 2 3 4 5 6; do
        wine reg delete "$palm\\HotSync Manager" /f >/dev/null 2>&1 || true
        wine reg add "$palm\\HotSync Manager" /f >/dev/null 2>&1
        run_wine "$probe" install 0 'C:\tmp\book.pdb' >"$work/hollin-install-0" &
        local first=$!
        run_wine "$probe" install 1 'C:\tmp\book.pdb' >"$work/hollin-install-1" &
        wait $first $!
        outcome="$(cat "$work/hollin-install-0" "$work/hollin-install-1" | tr '\n' ' ')"
        outcome+="$(run_wine reg query "$palm\\HotSync Manager" | grep -c 'REG_DWORD *0x1$' ||
            true)"
        [ "$outcome" == "install 0 install 0 2" ] || problems+=("round $round: $outcome")
    done
    if [ ${#problems[@]} -eq 0 ]; then
        pass "$name"
    else
        fail "$name" "${problems[*]} (results, then flags set)"
    fi

    # An install waits while another program holds the installs' mutex, and goes on after.
    name="hollin: an install waits for the named mutex HOLLIN_INSTALL_MUTEX"
    rm -f "$drive_c/hollin-release"
    wine "$probe" hold-lock 'C:\hollin-release' >"$work/hollin-holder" 2>/dev/null &
    local holder=$!
    for _ in $(seq 1 100); do
        grep -q held "$work/hollin-holder" && break
        sleep 0.2
    done
    run_wine "$probe" install 1 'C:\tmp\other\book.pdb' >"$work/hollin-waiting" &
    local installer=$! waited=no
    # Long enough for an install that does not wait to have ended.
    sleep 3
    kill -0 "$installer" 2>/dev/null && waited=yes
    touch "$drive_c/hollin-release"
    wait "$installer" "$holder" || true
    if grep -q held "$work/hollin-holder" && [ $waited == yes ] &&
        [ "$(cat "$work/hollin-waiting")" == "install 0" ] &&
        cmp -s "$drive_c/tmp/other/book.pdb" "$drive_c/Palm/JonesT/Install/book.pdb"; then
        pass "$name"
    else
        fail "$name" "holder: $(tr -d '\r' <"$work/hollin-holder" | tr '\n' ' ')waited: $waited," \
            "install: $(cat "$work/hollin-waiting")"
    fi
}

# --- Skerrit.exe ----------------------------------------------------------------------------
# same_database NAME LINUX WINDOWS: equal byte for byte apart from the three dates: creation and
# modification in the database header (bytes 36 to 43) and the date in the header record (bytes
# 32 to 35 of record 0, whose offset is the first entry of the record list at byte 78).
same_database() {
    local name=$1 linux=$2 windows=$3
    if [ ! -s "$linux" ] || [ ! -s "$windows" ]; then
        fail "$name" "missing output (Linux $(stat -c %s "$linux" 2>/dev/null || echo none)," \
            "Windows $(stat -c %s "$windows" 2>/dev/null || echo none) bytes)"
        return
    fi
    if [ "$(stat -c %s "$linux")" != "$(stat -c %s "$windows")" ]; then
        fail "$name" "sizes differ: Linux $(stat -c %s "$linux"), Windows $(stat -c %s "$windows")"
        return
    fi
    local record0 differing
    record0=$(od -An -tu1 -j78 -N4 "$linux" | awk '{print (($1 * 256 + $2) * 256 + $3) * 256 + $4}')
    differing=$({ cmp -l "$linux" "$windows" || true; } | awk -v r="$record0" '{ o = $1 - 1;
        if (!((o >= 36 && o < 44) || (o >= r + 32 && o < r + 36))) printf "%d ", o }' | cut -c1-80)
    if [ -z "$differing" ]; then
        pass "$name"
    else
        fail "$name" "bytes differ at offsets $differing"
    fi
}

# The closing message and the exit status of a run, which the two builds must share.
closing() { tr -d '\r' <"$1" | tail -n 1; }

skerrit_checks() {
    local skerrit=$root/$build/skerrit/Skerrit.exe
    local linux=$root/$reference/skerrit/Skerrit
    local corpus=$work/skerrit
    mkdir -p "$corpus/linux" "$corpus/windows"
    cp -r "$root/skerrit/tests/win/site" "$corpus/site"
    cp "$root"/skerrit/fuzz/corpus/doc_input/*.pdb "$root"/skerrit/fuzz/corpus/html_page/*.htm \
        "$root/skerrit/tests/data/harbour-light.txt" "$corpus/"
    # A text of 40 chapters with CR LF line ends and tabs: several groups of eight chunks.
    local chapter
    for chapter in $(seq 1 40); do
        printf 'Chapter %d\r\n\tPart\ttabbed\r\n\r\n' "$chapter"
        sed 's/$/\r/' "$root/skerrit/tests/data/harbour-light.txt"
    done >"$corpus/book.txt"

    # name | source | options (as the shell reads them)
    local cases='text|book.txt|
text-remove-cr|book.txt|-rCR
text-remove-lf-tab-spaces|book.txt|-rLF -tS4
text-cr-to-lf-single-breaks|book.txt|-c -sLB2
text-tab-breaks-title|book.txt|-tLB3 "-iA title longer than thirty-one characters"
text-short|harbour-light.txt|
doc-compressed|compressed.pdb|
doc-uncompressed-remove-lf|uncompressed.pdb|-rLF
html-site|site/index.htm|
html-site-depth-0|site/index.htm|-d0
html-site-depth-1|site/index.htm|-d1
html-page-in-folder|site/guide/tides.htm|
html-tags|tags.htm|
html-structure|structure.htm|
html-refs|refs.htm|
html-plaintext|plaintext.htm|
html-frames|frames.htm|
html-cycle|cycle.htm|'
    local name source options
    while IFS='|' read -r name source options; do
        local -a args
        eval "args=($options)"
        local status=0
        (cd "$corpus" && "$linux" -y "${args[@]}" "$source" "linux/$name.pdb" </dev/null \
            >"linux/$name.log" 2>&1) || status=$?
        echo "exit $status" >>"$corpus/linux/$name.log"
        status=0
        (cd "$corpus" && wine "$skerrit" -y "${args[@]}" "$source" "windows\\$name.pdb" \
            </dev/null >"windows/$name.log" 2>/dev/null) || status=$?
        echo "exit $status" >>"$corpus/windows/$name.log"
        same_database "skerrit: $name gives the Linux database" "$corpus/linux/$name.pdb" \
            "$corpus/windows/$name.pdb"
        local linux_end windows_end
        linux_end=$(tr -d '\r' <"$corpus/linux/$name.log" | tail -n 2)
        windows_end=$(tr -d '\r' <"$corpus/windows/$name.log" | tail -n 2)
        if [ "$linux_end" != "$windows_end" ]; then
            fail "skerrit: $name ends as on Linux" "Linux '${linux_end//$'\n'/ / }'," \
                "Windows '${windows_end//$'\n'/ / }'"
        fi
    done <<<"$cases"

    # The console output is Linux's, but for the CR LF that ends each line of a Windows console
    # program's text output: the usage screen (which waits for Enter) and a whole conversion with
    # its step lines and percentages.
    local linux_text windows_text
    linux_text=$(cd "$corpus" && printf '\n' | "$linux" 2>&1; echo "exit $?"
        "$linux" -y -tS4 harbour-light.txt linux/console.pdb </dev/null 2>&1 | od -c)
    windows_text=$(cd "$corpus" && printf '\n' | wine "$skerrit" 2>/dev/null | sed 's/\r$//'
        echo "exit ${PIPESTATUS[1]}"
        wine "$skerrit" -y -tS4 harbour-light.txt 'linux/console.pdb' </dev/null 2>/dev/null |
            sed 's/\r$//' | od -c)
    expect_output "skerrit: usage screen and conversion output are Linux's (apart from CR LF)" \
        "$linux_text" "$windows_text"

    # Failures end with the same message and status on both platforms (Windows takes "/" too);
    # the reason line after the message holds each system's own error text.
    local failing_cases='missing-source|nothere.txt|nothere.pdb
missing-destination-folder|harbour-light.txt|nofolder/x.pdb'
    local destination linux_end windows_end
    while IFS='|' read -r name source destination; do
        linux_end=$(cd "$corpus" && "$linux" -y "$source" "$destination" </dev/null 2>&1 |
            grep '^Error: '; echo "exit ${PIPESTATUS[0]}")
        windows_end=$(cd "$corpus" && wine "$skerrit" -y "$source" "$destination" </dev/null \
            2>/dev/null | tr -d '\r' | grep '^Error: '; echo "exit ${PIPESTATUS[0]}")
        expect_output "skerrit: $name gives the Linux message and status" "$linux_end" \
            "$windows_end"
    done <<<"$failing_cases"

    # A drive-relative source is found through the current directory of its drive: Z: is the
    # current drive (Wine maps the Linux working directory onto it), C: has no current directory
    # of its own and so means its root.
    cp "$corpus/harbour-light.txt" "$drive_c/harbour-light.txt"
    (cd "$corpus" && wine "$skerrit" -y 'Z:harbour-light.txt' 'windows\drive-z.pdb' </dev/null \
        >/dev/null 2>&1 && wine "$skerrit" -y 'C:harbour-light.txt' 'windows\drive-c.pdb' \
        </dev/null >/dev/null 2>&1)
    same_database "skerrit: Z:name is read through drive Z's current directory" \
        "$corpus/linux/text-short.pdb" "$corpus/windows/drive-z.pdb"
    same_database "skerrit: C:name is read from drive C's root" \
        "$corpus/linux/text-short.pdb" "$corpus/windows/drive-c.pdb"

    # A link written with backslashes and other letter case names the same page on Windows:
    # the four pages are the start page, tides.htm, Boats.HTM (once, though tides.htm links it as
    # boats.htm) and index.htm.
    sed 's|guide/boats.htm|Guide\\Boats.HTM|' "$corpus/site/index.htm" >"$corpus/site/mixed.htm"
    local pages
    pages=$(cd "$corpus/site" && wine "$skerrit" -y mixed.htm '..\windows\mixed.pdb' </dev/null \
        2>/dev/null | tr '\r' '\n' | sed -n 's/^     [A-Z]:.*\\//p' | tr '\n' ' ')
    expect_output "skerrit: a link with backslashes and other letter case reaches its page" \
        "mixed.htm tides.htm Boats.HTM index.htm " "$pages"

    # Another spelling of the source as destination is refused before anything is written: on
    # Windows names differ from the file they name in letter case and in ".\".
    expect_output "skerrit: .\\BOOK.TXT is refused as the destination of book.txt" \
        $'Error: The source and destination file names are identical.\nexit 1' \
        "$(cd "$corpus" && wine "$skerrit" -y book.txt '.\BOOK.TXT' </dev/null 2>/dev/null |
            tr -d '\r' | tail -n 1; echo "exit ${PIPESTATUS[0]}")"

    # Escape polling, with key events written into the console input of a probe: Wine gives a
    # program a console when it runs on a terminal, so it runs under script(1)'s pseudo-terminal.
    local escape
    escape=$(timeout 60 script -qfec "wine '$root/$build/skerrit/tests/win/escape-probe.exe'" \
        /dev/null </dev/null 2>&1 | tr -d '\r ' | sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g')
    # Wine's terminal console moves the cursor instead of writing blanks: words come out joined.
    if [ "$(grep -c '^ok' <<<"$escape")" == 5 ] && ! grep -q FAILED <<<"$escape"; then
        pass "skerrit: Escape pressed among other keys cancels, once; other keys do not"
    else
        fail "skerrit: Escape pressed among other keys cancels, once; other keys do not" \
            "$(grep -a -E 'ok|FAILED' <<<"$escape" | tr '\n' ';')"
    fi

    skerrit_destination_checks

    # Every temporary file was deleted when closed.
    wineserver -w
    local left
    left=$(find "$drive_c/users" -iname 'tmp*.tmp' | wc -l)
    if [ "$left" == 0 ]; then
        pass "skerrit: no temporary file left in the Windows temporary folder"
    else
        fail "skerrit: no temporary file left in the Windows temporary folder" "$left left"
    fi
}

# --- Skerrit.exe: only a successful run replaces the destination ---------------------------------
# Skerrit.exe writes the database as skrXXXX.tmp beside the destination and moves it over the
# destination only when the conversion succeeded. Each case runs in a folder of its own holding an
# old out.pdb; afterwards the old bytes must still be there, no file may have been added, and the
# exit status (0 converted, 1 stopped before converting, 2 failed, 3 canceled) and the last two
# lines of output must be as given (a shell pattern).
skerrit_old_database='the old database, which a failed run must leave as it is'

# skerrit_destination_case NAME STATUS PATTERN ARGUMENTS...
skerrit_destination_case() {
    local name=$1 status=$2 pattern=$3
    shift 3
    local folder=$skerrit_safe/$name
    mkdir -p "$folder"
    cp "$skerrit_safe"/inputs/* "$folder/"
    printf '%s' "$skerrit_old_database" >"$folder/out.pdb"
    local before after end actual=0
    before=$(ls -A "$folder")
    end=$(cd "$folder" && wine "$skerrit" "$@" </dev/null 2>/dev/null | tr -d '\r' | tail -n 2
        exit "${PIPESTATUS[0]}") || actual=$?
    after=$(ls -A "$folder")
    if [ "$actual" == "$status" ] && [[ "$end" == $pattern ]] &&
        [ "$(cat "$folder/out.pdb")" == "$skerrit_old_database" ] && [ "$before" == "$after" ]; then
        pass "skerrit: $name keeps the old database, status $status"
    else
        fail "skerrit: $name keeps the old database, status $status" \
            "status $actual, ending '${end//$'\n'/ / }', files now: ${after//$'\n'/ }"
    fi
}

# True when two databases differ only in their dates (as same_database compares them).
skerrit_same_but_dates() {
    local record0
    [ "$(stat -c %s "$1")" == "$(stat -c %s "$2")" ] || return 1
    record0=$(od -An -tu1 -j78 -N4 "$1" | awk '{print (($1 * 256 + $2) * 256 + $3) * 256 + $4}')
    [ -z "$({ cmp -l "$1" "$2" || true; } | awk -v r="$record0" '{ o = $1 - 1;
        if (!((o >= 36 && o < 44) || (o >= r + 32 && o < r + 36))) print o }')" ]
}

skerrit_destination_checks() {
    local skerrit=$root/$build/skerrit/Skerrit.exe
    local cancel_probe=$root/$build/skerrit/tests/win/cancel-probe.exe
    skerrit_safe=$work/skerrit-destination
    local inputs=$skerrit_safe/inputs
    mkdir -p "$inputs"
    cp "$root/skerrit/tests/data/harbour-light.txt" "$inputs/book.txt"
    # Doc books from the corpus, changed in place: record 0 starts with the compression field,
    # record 1 of the compressed book with a back reference to before its start.
    local record0 record1
    cp "$root/skerrit/fuzz/corpus/doc_input/uncompressed.pdb" "$inputs/odd.pdb"
    record0=$(od -An -tu4 --endian=big -j78 -N4 "$inputs/odd.pdb" | tr -d ' ')
    printf 'DH' | dd of="$inputs/odd.pdb" bs=1 seek="$record0" conv=notrunc status=none
    cp "$root/skerrit/fuzz/corpus/doc_input/compressed.pdb" "$inputs/bad.pdb"
    record1=$(od -An -tu4 --endian=big -j86 -N4 "$inputs/bad.pdb" | tr -d ' ')
    printf '\x80\x20' | dd of="$inputs/bad.pdb" bs=1 seek="$record1" conv=notrunc status=none
    # 23,863 tabs of 9999 spaces each: 5,945 bytes more than one database holds.
    head -c 23863 /dev/zero | tr '\0' '\t' >"$inputs/tabs.txt"

    skerrit_destination_case source-missing 2 \
        $'Error: Failed to open source file missing.txt\nReason: *missing.txt: *' \
        -y missing.txt out.pdb
    skerrit_destination_case doc-compression-unknown 2 \
        $'Error: Failed preprocessing step\nReason: odd.pdb: not a Doc book that can be read: its compression field is 17480 (1 = stored, 2 = PalmDOC).' \
        -y odd.pdb out.pdb
    skerrit_destination_case doc-record-damaged 2 \
        $'Error: Failed preprocessing step\nReason: bad.pdb: text record 1 of the Doc book is damaged or cannot be read.' \
        -y bad.pdb out.pdb
    skerrit_destination_case text-too-long 2 \
        $'Error: Failed preprocessing step\nReason: tabs.txt: the text to convert is 238606137 bytes; one database holds at most 238600192.' \
        -y -tS9999 tabs.txt out.pdb
    skerrit_destination_case overwrite-declined 1 '*Terminating conversion.' book.txt out.pdb
    skerrit_destination_case usage 1 '*o At most one of the -t options may be used.' -h

    # A successful run replaces the old database, and leaves nothing beside it.
    local folder=$skerrit_safe/converted status=0
    mkdir -p "$folder"
    cp "$inputs/book.txt" "$folder/"
    printf '%s' "$skerrit_old_database" >"$folder/out.pdb"
    (cd "$folder" && wine "$skerrit" -y book.txt out.pdb </dev/null >/dev/null 2>&1) || status=$?
    if [ $status == 0 ] && [ "$(od -An -c -j60 -N8 "$folder/out.pdb" | tr -d ' ')" == VaDoVaDo ] &&
        [ "$(ls -A "$folder" | tr '\n' ' ')" == "book.txt out.pdb " ]; then
        pass "skerrit: a successful run replaces the old database, status 0"
    else
        fail "skerrit: a successful run replaces the old database, status 0" \
            "status $status, files: $(ls -A "$folder" | tr '\n' ' ')"
    fi

    # A conversion that runs for a while: 5 MB of text.
    local big=$skerrit_safe/big.txt copy
    for copy in $(seq 1 1600); do cat "$inputs/book.txt"; done >"$big"

    # Escape already waiting in the console input cancels at the first progress report.
    folder=$skerrit_safe/canceled
    mkdir -p "$folder"
    cp "$big" "$folder/"
    printf '%s' "$skerrit_old_database" >"$folder/out.pdb"
    local output
    output=$(cd "$folder" && timeout 120 script -qfec \
        "wine '$cancel_probe' -y big.txt out.pdb; echo \"exit \$?\"" /dev/null </dev/null 2>&1 |
        tr -d '\r ' | sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g')
    if grep -q '^Conversioncanceled\.$' <<<"$output" && grep -qx 'exit3' <<<"$output" &&
        [ "$(cat "$folder/out.pdb")" == "$skerrit_old_database" ] &&
        [ "$(ls -A "$folder" | tr '\n' ' ')" == "big.txt out.pdb " ]; then
        pass "skerrit: Escape cancels with status 3 and keeps the old database"
    else
        fail "skerrit: Escape cancels with status 3 and keeps the old database" \
            "$(tail -n 3 <<<"$output" | tr '\n' ';') files: $(ls -A "$folder" | tr '\n' ' ')"
    fi

    # A process killed mid-run: the system removes the file marked for deletion.
    folder=$skerrit_safe/killed
    mkdir -p "$folder"
    cp "$big" "$folder/"
    printf '%s' "$skerrit_old_database" >"$folder/out.pdb"
    (cd "$folder" && exec wine "$skerrit" -y big.txt out.pdb </dev/null >/dev/null 2>&1) &
    local pid=$! waited
    for waited in $(seq 1 300); do
        ls "$folder" | grep -qi '^skr.*\.tmp$' && break
        sleep 0.1
    done
    local seen=no
    ls "$folder" | grep -qi '^skr.*\.tmp$' && seen=yes
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    for waited in $(seq 1 100); do
        ls "$folder" | grep -qi '^skr.*\.tmp$' || break
        sleep 0.1
    done
    if [ $seen == yes ] && [ "$(cat "$folder/out.pdb")" == "$skerrit_old_database" ] &&
        [ "$(ls -A "$folder" | tr '\n' ' ')" == "big.txt out.pdb " ]; then
        pass "skerrit: a killed run leaves the old database and no temporary file"
    else
        fail "skerrit: a killed run leaves the old database and no temporary file" \
            "temporary file seen: $seen, files now: $(ls -A "$folder" | tr '\n' ' ')"
    fi

    # Two runs writing one destination at once: each ends with status 0 and its success message
    # (neither holds the destination open, so neither is refused it), and the destination is
    # always one whole database, the one that finished last.
    folder=$skerrit_safe/concurrent
    mkdir -p "$folder"
    cp "$big" "$folder/first.txt"
    cp "$inputs/book.txt" "$folder/second.txt"
    (cd "$folder" && wine "$skerrit" -y -iBook first.txt first.pdb &&
        wine "$skerrit" -y -iBook second.txt second.pdb) </dev/null >/dev/null 2>&1 || true
    local round whole=0 statuses= log
    for round in 1 2 3; do
        (cd "$folder" && wine "$skerrit" -y -iBook first.txt out.pdb </dev/null \
            >"$skerrit_safe/first.log" 2>/dev/null) &
        local first=$!
        (cd "$folder" && wine "$skerrit" -y -iBook second.txt out.pdb </dev/null \
            >"$skerrit_safe/second.log" 2>/dev/null) &
        local second=$! first_status=0 second_status=0
        wait "$first" || first_status=$?
        wait "$second" || second_status=$?
        statuses+="$first_status$second_status "
        for log in first second; do
            tr -d '\r' <"$skerrit_safe/$log.log" | grep -qx 'Conversion successfully completed.' ||
                statuses+="($log did not succeed) "
        done
        if skerrit_same_but_dates "$folder/first.pdb" "$folder/out.pdb" ||
            skerrit_same_but_dates "$folder/second.pdb" "$folder/out.pdb"; then
            whole=$((whole + 1))
        fi
    done
    if [ "$whole" == 3 ] && [ "$statuses" == "00 00 00 " ] &&
        [ "$(ls -A "$folder" | tr '\n' ' ')" == "first.pdb first.txt out.pdb second.pdb second.txt " ]; then
        pass "skerrit: two runs writing one destination at once each write a whole database"
    else
        fail "skerrit: two runs writing one destination at once each write a whole database" \
            "whole in $whole of 3 rounds, statuses $statuses, files: $(ls -A "$folder" | tr '\n' ' ')"
    fi
}

# --- Quillon.exe and its companions ---------------------------------------------------------
quillon_checks() {
    local windows_programs=$root/$build/quillon linux_programs=$root/$reference/quillon
    local inputs=$work/quillon/inputs
    mkdir -p "$inputs"
    cp "$root"/quillon/fuzz/corpus/database/rich.pdb "$root"/quillon/fuzz/corpus/csv/*.csv \
        "$root"/quillon/fuzz/corpus/info/three-fields.ifo "$inputs/"
    cp "$root/quillon/fuzz/corpus/tavlo3/sample.pdb" "$inputs/tavlo3.pdb"
    cp "$inputs/rich.pdb" "$inputs/my data.pdb"
    (cd "$inputs" && env -u DISPLAY "$linux_programs/Quillon" 2 rich.pdb rich.csv rich.ifo)

    # name | program | arguments (as the shell reads them). Each case runs in a folder of its own
    # holding copies of the inputs; afterwards the folders of the two platforms must hold the same
    # files with the same bytes, gostwick.err and the exit code included. No case leads to a
    # message box (the information-file reader's messages are always shown in one), which would
    # wait for a click.
    local cases='pdb-to-csv-with-info|Quillon|2 rich.pdb out.csv out.ifo
pdb-to-csv-without-info|Quillon|2 rich.pdb out.csv
pdb-to-csv-quoted-paths|Quillon|2 "my data.pdb" "my data.csv" "my data.ifo"
csv-to-pdb-with-info|Quillon|1 rich.csv out.pdb Rebuilt rich.ifo
csv-to-pdb-comma|Quillon|1 comma.csv out.pdb Comma
csv-to-pdb-quoted|Quillon|1 quoted.csv out.pdb Quoted
csv-to-pdb-semicolon-read-as-comma|Quillon|1 python-semicolon-binary.csv out.pdb Binary
csv-missing|Quillon|1 missing.csv out.pdb Missing
pdb-missing|Quillon|2 missing.pdb out.csv out.ifo
pdb-not-a-database|Quillon|2 comma.csv out.csv
unknown-mode|Quillon|3 a b
gostwick|gostwick.exe|1 rich.csv out.pdb Companion rich.ifo
gostwick-csv-missing|gostwick.exe|1 missing.csv out.pdb Companion
ferrand|ferrand.exe|2 tavlo3.pdb out.csv out.ifo
ferrand-not-tavlo3|ferrand.exe|2 rich.pdb out.csv out.ifo'
    local name program arguments
    while IFS='|' read -r name program arguments; do
        local case_dir=$work/quillon/$name
        local -a args
        eval "args=($arguments)"
        mkdir -p "$case_dir/linux" "$case_dir/windows"
        cp "$inputs"/* "$case_dir/linux/"
        cp "$inputs"/* "$case_dir/windows/"
        local status=0
        (cd "$case_dir/linux" && timeout 60 env -u DISPLAY "$linux_programs/$program" "${args[@]}" \
            </dev/null >/dev/null 2>&1) || status=$?
        echo "exit $status" >"$case_dir/linux/exit-code"
        status=0
        (cd "$case_dir/windows" && timeout 60 wine "$windows_programs/${program%.exe}.exe" \
            "${args[@]}" </dev/null >/dev/null 2>&1) || status=$?
        echo "exit $status" >"$case_dir/windows/exit-code"
        local differences
        differences=$({ diff -r "$case_dir/linux" "$case_dir/windows" 2>&1 || true; } | head -n 5)
        if [ -z "$differences" ]; then
            pass "quillon: $name gives the Linux files$(quillon_outcome "$case_dir/windows")"
        else
            fail "quillon: $name gives the Linux files" "${differences//$'\n'/; }"
        fi
    done <<<"$cases"
}

# What a case left behind, for the log: the message in gostwick.err, or the exit code.
quillon_outcome() {
    if [ -f "$1/gostwick.err" ]; then
        printf ' (gostwick.err: "%s")' "$(head -c 60 "$1/gostwick.err" | tr '\n' ' ')"
    elif ! grep -qx 'exit 0' "$1/exit-code"; then
        printf ' (%s)' "$(cat "$1/exit-code")"
    fi
}

# --- Quillon's main dialog under Xvfb --------------------------------------------------------
# A BMP of 24-bit pixels as a PNG, with nothing beyond Python's standard library.
bmp_to_png() {
    python3 - "$1" "$2" <<'PYTHON'
import struct, sys, zlib
data = open(sys.argv[1], 'rb').read()
offset, = struct.unpack_from('<I', data, 10)
width, height, _, bits = struct.unpack_from('<iiHH', data, 18)
assert bits == 24 and height > 0
stride = (width * 3 + 3) & ~3
rows = []
for y in range(height):
    start = offset + (height - 1 - y) * stride
    bgr = data[start:start + width * 3]
    rgb = bytearray(width * 3)
    rgb[0::3], rgb[1::3], rgb[2::3] = bgr[2::3], bgr[1::3], bgr[0::3]
    rows.append(b'\0' + bytes(rgb))
def chunk(kind, body):
    return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))
png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0))
png += chunk(b'IDAT', zlib.compress(b''.join(rows), 9)) + chunk(b'IEND', b'')
open(sys.argv[2], 'wb').write(png)
PYTHON
}

dialog_checks() {
    local linux_programs_for_dialog=$root/$reference/quillon
    local name="quillon: main dialog under Xvfb (docs/quillon-dialog-windows.png)"
    if [ -z "${DISPLAY:-}" ]; then
        fail "$name" "no display: Xvfb is not installed or did not start"
        return
    fi
    local probe_output status=0
    probe_output=$(timeout 120 wine "$root/$build/quillon/dialog-probe.exe" \
        'C:\quillon-dialog.bmp' 2>/dev/null | tr -d '\r') || status=$?
    if [ $status -eq 0 ] && bmp_to_png "$drive_c/quillon-dialog.bmp" \
        "$root/$build/quillon-dialog-windows.png"; then
        pass "$name"
    else
        fail "$name" "$(grep -v '^ok' <<<"$probe_output" | tr '\n' ';')"
    fi
    sed 's/^/        /' <<<"$probe_output"

    # Buttons 1000 and 1001 with the semicolon chosen, through the file-open dialog and the name
    # request: the database comes back as the Linux batch mode rebuilds it from a comma CSV.
    name="quillon: PDB to CSV and back through the dialog's buttons with the semicolon"
    local trip=$work/quillon/round-trip
    mkdir -p "$trip/linux" "$trip/windows"
    cp "$root/quillon/fuzz/corpus/database/rich.pdb" "$trip/linux/"
    cp "$root/quillon/fuzz/corpus/database/rich.pdb" "$trip/windows/"
    (cd "$trip/linux" && env -u DISPLAY "$linux_programs_for_dialog/Quillon" 2 rich.pdb \
        rich.csv rich.ifo && env -u DISPLAY "$linux_programs_for_dialog/Quillon" 1 rich.csv \
        rebuilt.pdb "Round Trip" rich.ifo) >/dev/null 2>&1 || true
    status=0
    probe_output=$(cd "$trip/windows" && timeout 120 wine \
        "$root/$build/quillon/dialog-probe.exe" --round-trip "$(winepath -w rich.pdb 2>/dev/null)" \
        "$(winepath -w rich.csv 2>/dev/null)" "Round Trip" 2>/dev/null | tr -d '\r') || status=$?
    if [ $status -eq 0 ] && grep -q '^"Name";' "$trip/windows/rich.csv" &&
        cmp -s "$trip/linux/rebuilt.pdb" "$trip/windows/rich.pdb" &&
        cmp -s "$trip/linux/rich.ifo" "$trip/windows/rich.ifo"; then
        pass "$name"
    else
        fail "$name" "$(grep -v '^ok' <<<"$probe_output" | tr '\n' ';')"
    fi
    sed 's/^/        /' <<<"$probe_output"

    # Button 1006: the upgrade started from the dialog, with the companions in the current folder.
    name="quillon: button 1006 upgrades a Tavlo 3.x database through ferrand.exe and gostwick.exe"
    local upgrade=$work/quillon/upgrade-button
    mkdir -p "$upgrade"
    cp "$root/$build/quillon/ferrand.exe" "$root/$build/quillon/gostwick.exe" "$upgrade/"
    cp "$root/quillon/fuzz/corpus/tavlo3/sample.pdb" "$upgrade/tavlo3.pdb"
    status=0
    probe_output=$(cd "$upgrade" && timeout 120 wine "$root/$build/quillon/dialog-probe.exe" \
        --upgrade "$(winepath -w tavlo3.pdb 2>/dev/null)" 2>/dev/null | tr -d '\r') || status=$?
    local completed='^message box: Conversion of Tavlo 3.x format .pdb file: tavlo3.pdb complete.'
    if [ $status -eq 0 ] && grep -q "$completed" <<<"$probe_output" &&
        [ -s "$upgrade/tavlo3Pro.pdb" ] && [ ! -e "$upgrade/tavlo3.csv" ]; then
        pass "$name"
    else
        fail "$name" "$(grep -v '^ok' <<<"$probe_output" | tr '\n' ';')"
    fi
    sed 's/^/        /' <<<"$probe_output"

    # Batch mode 1 with an empty name asks for one; the answer names the database as the name on
    # the command line does on Linux.
    name="quillon: batch mode asks for a missing database name in its dialog"
    local folder=$work/quillon/name-request
    mkdir -p "$folder/linux" "$folder/windows"
    cp "$root/quillon/fuzz/corpus/csv/comma.csv" "$folder/linux/"
    cp "$root/quillon/fuzz/corpus/csv/comma.csv" "$folder/windows/"
    (cd "$folder/linux" && env -u DISPLAY "$linux_programs_for_dialog/Quillon" 1 comma.csv \
        named.pdb "Typed Name" >/dev/null 2>&1) || true
    status=0
    probe_output=$(cd "$folder/windows" && timeout 120 wine \
        "$root/$build/quillon/dialog-probe.exe" --name ' 1 comma.csv named.pdb ""' 'Typed Name' \
        2>/dev/null | tr -d '\r') || status=$?
    if [ $status -eq 0 ] && [ -s "$folder/windows/named.pdb" ] &&
        cmp -s "$folder/linux/named.pdb" "$folder/windows/named.pdb"; then
        pass "$name"
    else
        fail "$name" "$(grep -v '^ok' <<<"$probe_output" | tr '\n' ';') database $(cmp \
            "$folder/linux/named.pdb" "$folder/windows/named.pdb" 2>&1 | head -n 1)"
    fi
    sed 's/^/        /' <<<"$probe_output"
}

# --- Quillon's legacy upgrade: CreateProcess, exit codes and the companions -------------------
upgrade_checks() {
    local windows_programs=$root/$build/quillon linux_programs=$root/$reference/quillon
    local folder=$work/quillon/upgrade
    mkdir -p "$folder/with-companions" "$folder/without-companions"
    cp "$windows_programs/ferrand.exe" "$windows_programs/gostwick.exe" "$folder/with-companions/"
    local place
    for place in with-companions without-companions; do
        cp "$root/quillon/fuzz/corpus/tavlo3/sample.pdb" "$folder/$place/tavlo3.pdb"
    done
    local chosen output
    chosen=$(winepath -w "$folder/with-companions/tavlo3.pdb" 2>/dev/null)
    output=$(cd "$folder/with-companions" && timeout 120 wine \
        "$windows_programs/upgrade-probe.exe" "$chosen" 2>/dev/null | tr -d '\r')
    expect_output "quillon: the upgrade runs ferrand.exe and gostwick.exe and reports success" \
"message: Conversion of Tavlo 3.x format .pdb file: tavlo3.pdb complete.
You should now use InstallApp to install the converted .pdb file back to your Palm unit.
pdbPath: ${chosen%.pdb}Pro.pdb" "$output"
    expect_output "quillon: the upgrade leaves the new database and deletes its working files" \
        "ferrand.exe gostwick.exe tavlo3.pdb tavlo3Pro.pdb " \
        "$(cd "$folder/with-companions" && ls | tr '\n' ' ')"
    # The new database holds what ferrand.exe reads from the old one.
    (cd "$folder/with-companions" &&
        wine "$windows_programs/Quillon.exe" 2 tavlo3Pro.pdb upgraded.csv >/dev/null 2>&1 &&
        "$linux_programs/ferrand.exe" 2 tavlo3.pdb exported.csv exported.ifo \
            >/dev/null 2>&1) || true
    if [ -s "$folder/with-companions/upgraded.csv" ] &&
        cmp -s "$folder/with-companions/upgraded.csv" "$folder/with-companions/exported.csv"; then
        pass "quillon: the upgraded database holds the old database's records"
    else
        fail "quillon: the upgraded database holds the old database's records" \
            "its CSV differs from ferrand.exe's export on Linux"
    fi

    # Quillon also looks beside its own program, so this run uses a copy of the probe that has no
    # companions beside it either.
    mkdir -p "$folder/probe-alone"
    cp "$windows_programs/upgrade-probe.exe" "$folder/probe-alone/"
    chosen=$(winepath -w "$folder/without-companions/tavlo3.pdb" 2>/dev/null)
    output=$(cd "$folder/without-companions" && timeout 120 wine \
        "$folder/probe-alone/upgrade-probe.exe" "$chosen" 2>/dev/null | tr -d '\r' | head -n 1)
    expect_output "quillon: without ferrand.exe in the current folder or beside Quillon, the upgrade says so" \
        "message: Cannot locate the ferrand.exe application." "$output"
}

# --- Quillon: a failure changes no file, and the exit code says what happened ----------------
# Every case starts from a folder that holds the inputs, the user's own out.pdb, out.csv and
# out.ifo and an older gostwick.err. Windows must leave the same folder as Linux (gostwick.err and
# the exit code included), the user's files with their bytes and no temporary file. The display
# is set, so a batch run that showed a message box would wait and be stopped by the time limit.
quillon_failure_case_inputs() {
    local folder=$1 field names=F0
    for field in $(seq 1 50); do names+=",F$field"; done
    printf 'Name,Phone\r\nAnn,555\r\n' >"$folder/good.csv"
    printf 'Name,Phone\r\n"Ann,555\r\n' >"$folder/unclosed.csv"
    printf '%s\r\n' "$names" >"$folder/wide.csv"
    printf '1\r\n' >"$folder/types.ifo"
    cp "$root/quillon/fuzz/corpus/database/rich.pdb" "$folder/good.pdb"
    head -c 1800 "$folder/good.pdb" >"$folder/cut.pdb"
    printf "the user's database" >"$folder/out.pdb"
    printf "the user's csv" >"$folder/out.csv"
    printf "the user's ifo" >"$folder/out.ifo"
    printf 'an older report' >"$folder/gostwick.err"
}

quillon_failure_checks() {
    local windows_programs=$root/$build/quillon linux_programs=$root/$reference/quillon
    # name | expected exit code | arguments (as the shell reads them)
    local cases='missing-csv|1|1 missing.csv out.pdb Name
unclosed-quote|1|1 unclosed.csv out.pdb Name
51-fields|1|1 wide.csv out.pdb Name
32-character-name|1|1 good.csv out.pdb nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn
bad-ifo|1|1 good.csv out.pdb Name types.ifo
missing-ifo|1|1 good.csv out.pdb Name missing.ifo
pdb-into-missing-folder|1|1 good.csv no/such/out.pdb Name
corrupt-pdb|1|2 cut.pdb out.csv out.ifo
missing-pdb|1|2 missing.pdb out.csv out.ifo
ifo-into-missing-folder|1|2 good.pdb out.csv no/such/out.ifo
mode-3|2|3 a b
mode-12|2|12 good.csv out.pdb Name
mode-1-without-files|2|1
more-arguments-than-mode-2-takes|2|2 good.pdb out.csv out.ifo more'
    local name expected arguments
    while IFS='|' read -r name expected arguments; do
        local case_dir=$work/quillon/failure-$name
        local -a args
        read -r -a args <<<"$arguments"
        mkdir -p "$case_dir/linux" "$case_dir/windows"
        quillon_failure_case_inputs "$case_dir/linux"
        quillon_failure_case_inputs "$case_dir/windows"
        local before status=0
        before=$(ls "$case_dir/windows")
        (cd "$case_dir/linux" && timeout 60 env -u DISPLAY "$linux_programs/Quillon" \
            "${args[@]}" </dev/null >/dev/null 2>&1) || status=$?
        echo "exit $status" >"$case_dir/linux.exit"
        status=0
        (cd "$case_dir/windows" && timeout 60 wine "$windows_programs/Quillon.exe" "${args[@]}" \
            </dev/null >/dev/null 2>&1) || status=$?
        echo "exit $status" >"$case_dir/windows.exit"
        local problems=()
        [ "$(cat "$case_dir/windows.exit")" == "exit $expected" ] ||
            problems+=("$(cat "$case_dir/windows.exit"), expected $expected")
        cmp -s "$case_dir/linux.exit" "$case_dir/windows.exit" ||
            problems+=("Linux $(cat "$case_dir/linux.exit")")
        [ "$(ls "$case_dir/windows")" == "$before" ] ||
            problems+=("files now: $(ls "$case_dir/windows" | tr '\n' ' ')")
        local changed
        changed=$(quillon_user_files_changed "$case_dir/windows")
        [ -z "$changed" ] || problems+=("changed: $changed")
        local differences
        differences=$({ diff -r "$case_dir/linux" "$case_dir/windows" 2>&1 || true; } | head -n 5)
        [ -z "$differences" ] || problems+=("differs from Linux: ${differences//$'\n'/; }")
        if [ ${#problems[@]} -eq 0 ]; then
            pass "quillon: $name leaves every file as it was$(quillon_outcome_of "$case_dir")"
        else
            fail "quillon: $name leaves every file as it was" "$(printf '%s; ' "${problems[@]}")"
        fi
    done <<<"$cases"

    # A successful run replaces the user's database and removes the older report, as on Linux.
    local success=$work/quillon/failure-success
    mkdir -p "$success/linux" "$success/windows"
    quillon_failure_case_inputs "$success/linux"
    quillon_failure_case_inputs "$success/windows"
    (cd "$success/linux" && env -u DISPLAY "$linux_programs/Quillon" 1 good.csv out.pdb Name \
        </dev/null >/dev/null 2>&1) || true
    (cd "$success/windows" && timeout 60 wine "$windows_programs/Quillon.exe" 1 good.csv out.pdb \
        Name </dev/null >/dev/null 2>&1) || true
    local expected_files
    expected_files=$(ls "$success/linux" | grep -vx gostwick.err | tr '\n' ' ')
    if [ ! -e "$success/linux/gostwick.err" ] && [ -s "$success/windows/out.pdb" ] &&
        cmp -s "$success/linux/out.pdb" "$success/windows/out.pdb" &&
        [ "$(ls "$success/windows" | tr '\n' ' ')" == "$expected_files" ]; then
        pass "quillon: a successful run replaces the database and removes the older gostwick.err"
    else
        fail "quillon: a successful run replaces the database and removes the older gostwick.err" \
            "files now: $(ls "$success/windows" | tr '\n' ' ')"
    fi

    # The legacy upgrade beside the user's own tavlo3.csv and tavlo3.ifo, and over an existing
    # tavlo3Pro.pdb: declined, nothing runs; agreed, it is replaced. The user's files keep their
    # bytes and no working file stays.
    local folder=$work/quillon/upgrade-beside-user-files
    mkdir -p "$folder"
    cp "$windows_programs/ferrand.exe" "$windows_programs/gostwick.exe" "$folder/"
    cp "$root/quillon/fuzz/corpus/tavlo3/sample.pdb" "$folder/tavlo3.pdb"
    printf "the user's csv" >"$folder/tavlo3.csv"
    printf "the user's ifo" >"$folder/tavlo3.ifo"
    printf 'an earlier upgrade' >"$folder/tavlo3Pro.pdb"
    local chosen output listing
    chosen=$(winepath -w "$folder/tavlo3.pdb" 2>/dev/null)
    listing=$(ls "$folder" | tr '\n' ' ')
    output=$(cd "$folder" && timeout 120 wine "$windows_programs/upgrade-probe.exe" "$chosen" no \
        2>/dev/null | tr -d '\r' | sed 's/ *$//')
    expect_output "quillon: the upgrade asks before replacing tavlo3Pro.pdb; no runs nothing" \
"question: ${chosen%.pdb}Pro.pdb already exists.
Do you want to replace it?
answer: no
pdbPath:
files: $listing
tavlo3Pro.pdb: an earlier upgrade" "$output
files: $(ls "$folder" | tr '\n' ' ')
tavlo3Pro.pdb: $(cat "$folder/tavlo3Pro.pdb")"
    output=$(cd "$folder" && timeout 120 wine "$windows_programs/upgrade-probe.exe" "$chosen" yes \
        2>/dev/null | tr -d '\r' | grep -v '^question\|^Do you\|^answer')
    local kept=yes
    [ "$(cat "$folder/tavlo3.csv")" == "the user's csv" ] || kept=no
    [ "$(cat "$folder/tavlo3.ifo")" == "the user's ifo" ] || kept=no
    if [ "$kept" == yes ] && [ "$(ls "$folder" | tr '\n' ' ')" == "$listing" ] &&
        grep -q '^message: Conversion of Tavlo 3.x format .pdb file: tavlo3.pdb complete.' \
            <<<"$output" && ! grep -q 'an earlier upgrade' "$folder/tavlo3Pro.pdb"; then
        pass "quillon: the upgrade replaces tavlo3Pro.pdb when agreed; the user's files stay"
    else
        fail "quillon: the upgrade replaces tavlo3Pro.pdb when agreed; the user's files stay" \
            "user's files kept: $kept; files now: $(ls "$folder" | tr '\n' ' '); ${output//$'\n'/; }"
    fi

    if [ -z "${DISPLAY:-}" ]; then
        fail "quillon: the dialog's questions and the name request's Cancel" \
            "no display: Xvfb is not installed or did not start"
        return
    fi

    # Button 1000 onto the user's rich.csv and rich.ifo asks first: No keeps both, Yes replaces
    # them with what the Linux batch mode exports.
    local over=$work/quillon/export-over answer
    mkdir -p "$over/linux" "$over/windows"
    cp "$root/quillon/fuzz/corpus/database/rich.pdb" "$over/linux/"
    cp "$root/quillon/fuzz/corpus/database/rich.pdb" "$over/windows/"
    printf "the user's csv" >"$over/windows/rich.csv"
    printf "the user's ifo" >"$over/windows/rich.ifo"
    (cd "$over/linux" && env -u DISPLAY "$linux_programs/Quillon" 2 rich.pdb rich.csv rich.ifo \
        </dev/null >/dev/null 2>&1) || true
    chosen=$(cd "$over/windows" && winepath -w rich.pdb 2>/dev/null)
    for answer in no yes; do
        local name="quillon: exporting onto an existing CSV and .ifo asks first; $answer"
        local status=0 probe_output
        probe_output=$(cd "$over/windows" && timeout 120 wine \
            "$windows_programs/dialog-probe.exe" --export-over "$chosen" "$answer" 2>/dev/null |
            tr -d '\r') || status=$?
        local question="message box: ${chosen%.pdb}.csv and ${chosen%.pdb}.ifo already exist."
        local files_as_expected=no
        if [ "$answer" == no ]; then
            [ "$(cat "$over/windows/rich.csv")" == "the user's csv" ] &&
                [ "$(cat "$over/windows/rich.ifo")" == "the user's ifo" ] && files_as_expected=yes
        else
            cmp -s "$over/linux/rich.csv" "$over/windows/rich.csv" &&
                cmp -s "$over/linux/rich.ifo" "$over/windows/rich.ifo" && files_as_expected=yes
        fi
        if [ $status -eq 0 ] && grep -qF "$question" <<<"$probe_output" &&
            [ "$files_as_expected" == yes ] && [ "$(ls "$over/windows" | wc -l)" == 3 ]; then
            pass "$name"
        else
            fail "$name" "files as expected: $files_as_expected; $(grep -v '^ok' <<<"$probe_output" |
                tr '\n' ';') files now: $(ls "$over/windows" | tr '\n' ' ')"
        fi
        sed 's/^/        /' <<<"$probe_output"
    done

    # The database-name request cancelled in batch mode: exit code 1, the reason in gostwick.err,
    # the database as it was.
    local name="quillon: cancelling the batch name request writes nothing and ends with 1"
    local cancel=$work/quillon/cancel-name
    mkdir -p "$cancel"
    quillon_failure_case_inputs "$cancel"
    rm "$cancel/gostwick.err"
    local status=0 probe_output
    probe_output=$(cd "$cancel" && timeout 120 wine "$windows_programs/dialog-probe.exe" \
        --cancel-name ' 1 good.csv out.pdb ""' 2>/dev/null | tr -d '\r') || status=$?
    if [ $status -eq 0 ] && [ "$(cat "$cancel/out.pdb")" == "the user's database" ] &&
        [ "$(cat "$cancel/gostwick.err")" == "Error - No name for the database was given" ]; then
        pass "$name"
    else
        fail "$name" "$(grep -v '^ok' <<<"$probe_output" | tr '\n' ';') files now:" \
            "$(ls "$cancel" | tr '\n' ' ')"
    fi
    sed 's/^/        /' <<<"$probe_output"
}

# Which of the user's out.pdb, out.csv and out.ifo (as quillon_failure_case_inputs wrote them)
# no longer hold their bytes.
quillon_user_files_changed() {
    local kind
    for kind in database csv ifo; do
        local file=$1/out.${kind/database/pdb}
        [ "$(cat "$file" 2>/dev/null)" == "the user's $kind" ] || printf '%s ' "${file##*/}"
    done
}

# The exit code of a failure case and the first line it left in gostwick.err.
quillon_outcome_of() {
    printf ' (%s' "$(cat "$1/windows.exit")"
    if [ -f "$1/windows/gostwick.err" ]; then
        printf ', gostwick.err: "%s"' "$(head -n 1 "$1/windows/gostwick.err" | head -c 60)"
    fi
    printf ')'
}
# --- end of the Quillon failure checks --------------------------------------------------------

hollin_checks
skerrit_checks
quillon_checks
upgrade_checks
dialog_checks
quillon_failure_checks

wineserver -w
if [ ${#failures[@]} -ne 0 ]; then
    echo "${#failures[@]} Windows check(s) failed:"
    printf '  %s\n' "${failures[@]}"
    exit 1
fi
echo "All Windows checks passed."
