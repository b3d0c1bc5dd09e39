#!/usr/bin/env bash
# Installation and packages, checked as a user meets them. Builds the "package" preset (and the
# "windows" preset for the ZIP), then:
#   - installs into a temporary DESTDIR, lists what was installed and runs every installed program
#     from there; builds a small C program against the installed Hollin through pkg-config and
#     through CMake's find_package; renders every man page; checks Quillon's desktop entry and
#     icons and Skerrit's bash completion; follows docs/hollin-data.md's recipe for a Wine prefix;
#   - makes the Debian package, runs lintian on it (errors fail), installs it with dpkg, runs the
#     programs from PATH and removes it again;
#   - makes the Windows ZIP, lists it, and runs its programs and a Hollin.dll host under Wine.
# Each check prints "ok" or "FAILED" with its name; the script fails when any check failed.
#
#   scripts/test-packages.sh            (JOBS=n for the builds; SKIP_WINDOWS=1 leaves out the ZIP)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD
jobs=${JOBS:-$(nproc)}
linux_build=$root/build/package
windows_build=$root/build/windows

# Every program answers --version with its line from program-versions.txt; each installed program
# is also started once with a small real task (a conversion, a listing). Without the version
# check (for a build whose programs do not answer --version yet) this switch is false:
version_option_ready=true

scripts/setup.sh
cmake --preset package >/dev/null
cmake --build --preset package -j"$jobs"

work=$(mktemp -d "${TMPDIR:-/tmp}/test-packages.XXXXXX")
installed_package=
finish() {
    if [ -n "$installed_package" ]; then
        as_root dpkg --purge "$installed_package" >/dev/null 2>&1 || true
    fi
    WINEPREFIX=$work/windows-prefix wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX=$work/home/.wine-palm wineserver -k >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap finish EXIT

failures=()
pass() { echo "ok      $1"; }
fail() {
    echo "FAILED  $1${2:+: $2}"
    failures+=("$1")
}
expect_output() {
    if [ "$2" == "$3" ]; then
        pass "$1"
    else
        fail "$1" "output differs (expected, then actual)"
        diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") | sed 's/^/        /' || true
    fi
}
as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}
cache_value() { sed -n "s/^$2:[A-Z]*=//p" "$1/CMakeCache.txt"; }


versions_file=$linux_build/program-versions.txt
# The version line a program prints, from the build's own list.
version_text() { awk -F'\t' -v name="$2" '$1 == name { print $2 }' "$1"; }
suite_version=$(sed -n 's/.*(Palm desktop tools \(.*\))$/\1/p' "$versions_file" | head -n 1)

# --- Running an installed program ------------------------------------------------------------
# check_program LABEL NAME PATH [RUNNER...]: the program's version line and its small task, run
# through RUNNER (nothing, or wine) in a folder of its own. A Windows program's CR LF line ends
# are dropped before comparing.
check_program() {
    local label=$1 name=$2 program=$3
    shift 3
    local folder=$work/runs/$label/$name
    mkdir -p "$folder"
    if $version_option_ready; then
        # The line on standard output, and exit status 0.
        local expected status=0 output
        expected=$(version_text "$versions_file" "$name")
        output=$(cd "$folder" && "$@" "$program" --version </dev/null 2>/dev/null) || status=$?
        expect_output "$label: $name --version" "$expected"$'\n'"exit 0" \
            "$(tr -d '\r' <<<"$output")"$'\n'"exit $status"
    fi
    local outcome
    if outcome=$(cd "$folder" && program_task "$name" "$program" "$@" 2>&1); then
        pass "$label: $name runs ($outcome)"
    else
        fail "$label: $name runs" "${outcome//$'\n'/; }"
    fi
}

# program_task NAME PATH [RUNNER...], in an empty current folder: one small real task; prints what
# it did, and fails when the result is not there.
program_task() {
    local name=$1 program=$2
    shift 2
    local output status=0
    case "$name" in
        Skerrit)
            cp "$root/skerrit/tests/data/harbour-light.txt" .
            output=$("$@" "$program" -y harbour-light.txt book.pdb </dev/null | tr -d '\r') ||
                status=$?
            [ $status -eq 0 ] && [ -s book.pdb ] &&
                grep -q '^Conversion successfully completed.$' <<<"$output" &&
                echo "converted a text file"
            ;;
        skerrit-preview)
            cp "$root/skerrit/tests/data/harbour-light.txt" .
            "$@" "$(dirname "$program")/Skerrit" -y harbour-light.txt book.pdb </dev/null >/dev/null
            "$@" "$program" --info book.pdb </dev/null >info.txt && [ -s info.txt ] &&
                echo "described a converted book"
            ;;
        Quillon)
            cp "$root/quillon/fuzz/corpus/database/rich.pdb" .
            env -u DISPLAY "$@" "$program" 2 rich.pdb rich.csv </dev/null >/dev/null 2>&1
            [ -s rich.csv ] && [ ! -e gostwick.err ] && echo "exported a database to CSV"
            ;;
        ferrand.exe)
            cp "$root/quillon/fuzz/corpus/tavlo3/sample.pdb" tavlo3.pdb
            "$@" "$program" 2 tavlo3.pdb old.csv old.ifo </dev/null >/dev/null 2>&1
            [ -s old.csv ] && echo "exported a Tavlo 3.x database"
            ;;
        gostwick.exe)
            cp "$root/quillon/fuzz/corpus/csv/comma.csv" .
            "$@" "$program" 1 comma.csv comma.pdb Comma </dev/null >/dev/null 2>&1
            [ -s comma.pdb ] && echo "built a database from CSV"
            ;;
        hollin-users)
            mkdir -p no-palm
            output=$(WINEPREFIX=$PWD/no-palm "$@" "$program" list 2>&1) || status=$?
            [ $status -eq 1 ] && grep -q 'Palm Desktop was not found' <<<"$output" &&
                echo "loaded the library, found no Palm Desktop in an empty prefix"
            ;;
        *)
            echo "no task for $name"
            return 1
            ;;
    esac
}

# --- The installed tree ---------------------------------------------------------------------
destdir=$work/destdir
prefix=$destdir/usr
libdir=$(cache_value "$linux_build" CMAKE_INSTALL_LIBDIR)
DESTDIR=$destdir cmake --install "$linux_build" >/dev/null
echo "Installed files (DESTDIR $destdir):"
(cd "$destdir" && find . \( -type f -o -type l \) -printf '  %P\n' | sort)

doc=share/doc/palm-desktop-tools
expected_files=(bin/Skerrit bin/Quillon bin/hollin-users libexec/quillon/ferrand.exe
    libexec/quillon/gostwick.exe "$libdir/libHollin.so.1" "$libdir/libHollin.so" include/Hollin.h
    "$libdir/pkgconfig/hollin.pc" "$libdir/cmake/Hollin/HollinConfig.cmake"
    "$libdir/cmake/Hollin/HollinConfigVersion.cmake" share/man/man1/Skerrit.1.gz
    share/man/man1/Quillon.1.gz share/man/man1/hollin-users.1.gz share/man/man3/Hollin.3.gz
    share/applications/quillon.desktop share/bash-completion/completions/Skerrit
    "$doc/README.md" "$doc/copyright" "$doc/changelog.Debian.gz" "$doc/docs/hollin-data.md")
for size in 16 32 48 64 128 256; do
    expected_files+=("share/icons/hicolor/${size}x$size/apps/quillon.png")
done
programs=(Skerrit Quillon hollin-users)
if [ -x "$linux_build/skerrit/skerrit-preview" ]; then
    programs=(Skerrit skerrit-preview Quillon hollin-users)
    expected_files+=(bin/skerrit-preview share/man/man1/skerrit-preview.1.gz)
fi
missing=()
for file in "${expected_files[@]}"; do
    [ -e "$prefix/$file" ] || missing+=("$file")
done
if [ ${#missing[@]} -eq 0 ]; then
    pass "install: programs, companions, library, header, pkg-config, CMake, man, desktop, docs"
else
    fail "install: programs, companions, library, header, pkg-config, CMake, man, desktop, docs" \
        "missing ${missing[*]}"
fi

soname=$(readelf -d "$prefix/$libdir/libHollin.so.1" | sed -n 's/.*Library soname: \[\(.*\)\]/\1/p')
expect_output "install: libHollin.so.1 has the soname libHollin.so.1" libHollin.so.1 "$soname"
search_paths=$(for file in "$prefix"/bin/* "$prefix"/libexec/quillon/* "$prefix/$libdir"/*.so.*; do
    readelf -d "$file" | grep -E 'RPATH|RUNPATH' | sed "s|^|$(basename "$file"): |"
done || true)
expect_output "install: no program or library carries a library search path" "" "$search_paths"

# Everything found relative to the tree: the library through LD_LIBRARY_PATH, as the tree is not
# in the system's library folders.
for name in "${programs[@]}"; do
    LD_LIBRARY_PATH=$prefix/$libdir check_program installed "$name" "$prefix/bin/$name"
done
for name in ferrand.exe gostwick.exe; do
    check_program installed "$name" "$prefix/libexec/quillon/$name"
done
# Without LD_LIBRARY_PATH, hollin-users loads libHollin.so.1 from its installation's library folder.
mkdir -p "$work/no-palm-prefix"
users_output=$(WINEPREFIX=$work/no-palm-prefix "$prefix/bin/hollin-users" list 2>&1) || true
if grep -q 'Palm Desktop was not found' <<<"$users_output"; then
    pass "installed: hollin-users finds the installed library by its soname"
else
    fail "installed: hollin-users finds the installed library by its soname" "$users_output"
fi

# --- Hollin consumers -------------------------------------------------------------------------
# hollin-consumer run with a Wine prefix: what it prints.
run_consumer() { WINEPREFIX=$2 LD_LIBRARY_PATH=$prefix/$libdir "$1"; }
mkdir -p "$work/no-palm"
consumer_checks() {
    local pc_path=$prefix/$libdir/pkgconfig flags status=0
    flags=$(PKG_CONFIG_PATH=$pc_path pkg-config --cflags --libs hollin) || status=$?
    local -a flag_words
    read -ra flag_words <<<"$flags"
    # The libraries follow the source that needs them.
    if [ $status -eq 0 ] && cc -std=c99 -Wall -Werror \
        "$root/scripts/package-checks/hollin-consumer.c" "${flag_words[@]}" \
        -o "$work/consumer-pkg-config" 2>"$work/cc.log"; then
        expect_output "consumer: built through pkg-config ($flags) and run" "users -1" \
            "$(run_consumer "$work/consumer-pkg-config" "$work/no-palm")"
    else
        fail "consumer: built through pkg-config" "$(cat "$work/cc.log")"
    fi
    expect_output "consumer: pkg-config reports Hollin's version" "$suite_version" \
        "$(PKG_CONFIG_PATH=$pc_path pkg-config --modversion hollin)"

    if cmake -S "$root/scripts/package-checks" -B "$work/consumer-cmake" -G Ninja \
        -DCMAKE_PREFIX_PATH="$prefix" >"$work/cmake.log" 2>&1 &&
        cmake --build "$work/consumer-cmake" >>"$work/cmake.log" 2>&1; then
        expect_output "consumer: built through find_package(Hollin) and run" "users -1" \
            "$(run_consumer "$work/consumer-cmake/hollin-consumer" "$work/no-palm")"
    else
        fail "consumer: built through find_package(Hollin)" "$(tail -n 5 "$work/cmake.log")"
    fi
}
consumer_checks

# --- Man pages, desktop entry, icons, completion -----------------------------------------------
man_pages=()
for source in docs/man/*.scd; do
    man_pages+=("$(basename "$source" .scd)")
done
for page in "${man_pages[@]}"; do
    warnings=$(groff -man -ww -z "$linux_build/docs/man/$page" 2>&1 || echo "groff failed")
    expect_output "man: $page renders without a warning" "" "$warnings"
    installed_page=$prefix/share/man/man${page##*.}/$page.gz
    [ -e "$installed_page" ] || continue
    if MANWIDTH=80 man -l "$installed_page" 2>/dev/null | grep -q '^NAME'; then
        pass "man: man -l shows the installed $page"
    else
        fail "man: man -l shows the installed $page"
    fi
done
# The seven functions' names lead to Hollin(3).
function_pages=$(for function in ud_InstallUser ud_GetUserSubDir ud_GetUserName ud_GetUserMagic \
    ud_GetCore ud_GetLastUserNumber ud_GetNumUsers; do
    MANPATH=$prefix/share/man man -w "$function" 2>&1 | sed "s|^$prefix/||"
done | sort -u)
expect_output "man: each ud_ function's name opens Hollin(3)" share/man/man3/Hollin.3.gz \
    "$function_pages"

expect_output "desktop: quillon.desktop is valid" "" \
    "$(desktop-file-validate "$prefix/share/applications/quillon.desktop" 2>&1)"
icon_sizes=$(for size in 16 32 48 64 128 256; do
    file -b "$prefix/share/icons/hicolor/${size}x$size/apps/quillon.png" | cut -d, -f1-2
done)
expect_output "desktop: each icon has its folder's size" "$(for size in 16 32 48 64 128 256; do
    echo "PNG image data, $size x $size"
done)" "$icon_sizes"

# complete_skerrit WORD...: what Skerrit's completion offers for the last word, in a folder of
# a few files.
complete_skerrit() {
    bash -c '
        source /usr/share/bash-completion/bash_completion 2>/dev/null || true
        source "$1"
        cd "$2"
        shift 2
        compopt() { :; }
        COMP_WORDS=(Skerrit "$@")
        COMP_CWORD=$#
        _Skerrit
        printf "%s\n" "${COMPREPLY[@]}" | sort | tr "\n" " "
    ' completion "$prefix/share/bash-completion/completions/Skerrit" "$work/completion" "$@"
}
mkdir -p "$work/completion/folder"
touch "$work/completion/"{page.html,notes.txt,book.pdb,picture.png}
expect_output "completion: -r offers -rCR and -rLF" "-rCR -rLF " "$(complete_skerrit -r)"
expect_output "completion: -t offers -tLB and -tS" "-tLB -tS " "$(complete_skerrit -t)"
expect_output "completion: a source is a page, text or e-book (or a folder)" \
    "book.pdb folder notes.txt page.html " "$(complete_skerrit -y '')"
expect_output "completion: the destination is a database" "book.pdb folder " \
    "$(complete_skerrit -y notes.txt '')"

# --- docs/hollin-data.md's prefix recipe, read by the installed hollin-users ------------------
recipe_checks() {
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    local home=$work/home
    mkdir -p "$home"
    local recipe expected_list
    recipe=$(awk '/runs the commands of the next block/ { marked = 1; next }
        marked && /^```sh$/ { inside = 1; next } inside && /^```$/ { exit } inside' \
        docs/hollin-data.md)
    # The indented block after "Then `hollin-users list` shows:", blank lines within it kept.
    expected_list=$(awk '/^Then `hollin-users list` shows:$/ { found = 1; next }
        found && /^    / { printf "%s", pending; pending = ""; print substr($0, 5); printed = 1 }
        found && /^    / { next }
        found && /^$/ { if (printed) pending = pending "\n"; next }
        found { exit }' docs/hollin-data.md)
    if ! (cd "$work" && HOME=$home env -u DISPLAY bash -e -c "$recipe") >"$work/recipe.log" 2>&1
    then
        fail "hollin-data.md: the prefix recipe runs" "$(tail -n 3 "$work/recipe.log")"
        return
    fi
    pass "hollin-data.md: the prefix recipe runs"
    local palm_prefix=$home/.wine-palm users=$prefix/bin/hollin-users
    expect_output "hollin-data.md: hollin-users lists the recipe's users as the page shows" \
        "$expected_list" "$(WINEPREFIX=$palm_prefix LD_LIBRARY_PATH=$prefix/$libdir "$users" list)"
    expect_output "consumer: the library reads the recipe's prefix" \
        $'users 2\nuser 0 0 John Smith\nuser 1 0 Ann Doe' \
        "$(run_consumer "$work/consumer-cmake/hollin-consumer" "$palm_prefix")"
    echo "a book" >"$work/book.pdb"
    (cd "$work" && WINEPREFIX=$palm_prefix LD_LIBRARY_PATH=$prefix/$libdir \
        "$users" install "Ann Doe" book.pdb >/dev/null)
    if cmp -s "$work/book.pdb" "$palm_prefix/drive_c/Palm/DoeA/Install/book.pdb" &&
        grep -qx '"Install77"=dword:00000001' "$palm_prefix/user.reg"; then
        pass "hollin-data.md: install copies into DoeA\\Install and sets Install77"
    else
        fail "hollin-data.md: install copies into DoeA\\Install and sets Install77"
    fi
}
if command -v wine >/dev/null; then
    # Wine's launcher takes the 32-bit loader whenever 32-bit Wine is installed. On a machine that
    # cannot run 32-bit programs the recipe, which needs no Windows program of ours, runs with the
    # 64-bit loader instead.
    read -r recipe_wine_bits recipe_wine_loader \
        <<<"$("$root/scripts/wine-loader.sh" 2>/dev/null)" || true
    if [ "$recipe_wine_bits" == 64 ]; then
        WINELOADER=$recipe_wine_loader PATH=$root/scripts/wine64-commands:$PATH recipe_checks
    else
        recipe_checks
    fi
else
    fail "hollin-data.md: the prefix recipe runs" "wine is not installed"
fi

# --- The Debian package -----------------------------------------------------------------------
deb_checks() {
    rm -f "$linux_build"/*.deb
    cpack --preset package >"$work/cpack.log" 2>&1 || {
        fail "deb: cpack makes the package" "$(tail -n 5 "$work/cpack.log")"
        return
    }
    local deb
    deb=$(ls "$linux_build"/*.deb)
    pass "deb: cpack makes $(basename "$deb")"
    dpkg-deb --info "$deb" | sed -n 's/^ \(Package\|Version\|Depends\|Suggests\):/  &/p'

    local lintian_status=0
    lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || lintian_status=$?
    grep -v 'running with root privileges' "$work/lintian.log" | sed 's/^/        /' || true
    if [ $lintian_status -eq 0 ]; then
        pass "deb: lintian reports no error ($(grep -c '^W:' "$work/lintian.log" || true) warnings)"
    else
        fail "deb: lintian reports no error"
    fi

    local package
    package=$(dpkg-deb --field "$deb" Package)
    if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        fail "deb: dpkg -i" "$package is already installed on this machine; remove it first"
        return
    fi
    installed_package=$package
    if ! as_root dpkg -i "$deb" >"$work/dpkg.log" 2>&1; then
        fail "deb: dpkg -i" "$(tail -n 5 "$work/dpkg.log")"
        return
    fi
    pass "deb: dpkg -i installs it"
    local name
    for name in "${programs[@]}"; do
        expect_output "deb: $name is found on PATH" "/usr/bin/$name" "$(command -v "$name")"
        check_program deb "$name" "$(command -v "$name")"
    done
    expect_output "deb: man finds Skerrit(1) and Hollin(3)" \
        $'/usr/share/man/man1/Skerrit.1.gz\n/usr/share/man/man3/Hollin.3.gz' \
        "$(man -w Skerrit; man -w 3 Hollin)"
    if ldconfig -p | grep -q 'libHollin.so.1 '; then
        pass "deb: the ldconfig trigger put libHollin.so.1 in the library cache"
    else
        fail "deb: the ldconfig trigger put libHollin.so.1 in the library cache"
    fi
    as_root dpkg --purge "$package" >/dev/null
    installed_package=
    # Purged: no file, no library in the cache, nothing left in dpkg's records.
    if [ ! -e /usr/bin/Skerrit ] && ! ldconfig -p | grep -q 'libHollin.so.1 ' &&
        ! dpkg-query -W "$package" >/dev/null 2>&1; then
        pass "deb: dpkg --purge removes it"
    else
        fail "deb: dpkg --purge removes it"
    fi
}
deb_checks

# --- The Windows ZIP --------------------------------------------------------------------------
# "1.0e" -> 1.0.5.0, as the version resource numbers it.
windows_numbers() {
    local version=$1 letter='' third=0
    if [[ $version =~ ^([0-9]+)\.([0-9]+)([a-z]?)$ ]]; then
        letter=${BASH_REMATCH[3]}
        [ -z "$letter" ] || third=$(($(printf '%d' "'$letter") - 96))
        echo "${BASH_REMATCH[1]}.${BASH_REMATCH[2]}.$third.0"
    fi
}

# version_resource FILE: "FILE <FileVersion> <ProductVersion> <numeric file version>", read from
# the file's resources by windres.
version_resource() {
    i686-w64-mingw32-windres -i "$1" -O rc 2>/dev/null | awk -v file="$1" '
        /^ FILEVERSION / { sub(/^ FILEVERSION /, ""); gsub(/, /, "."); numbers = $0 }
        /VALUE "FileVersion"/ { split($0, f, "\""); file_version = f[4] }
        /VALUE "ProductVersion"/ { split($0, f, "\""); product_version = f[4] }
        END { print file, file_version, product_version, numbers }'
}

# make_zip PRESET BUILD-DIR: builds the preset and makes its ZIP; prints the ZIP's path.
make_zip() {
    local preset=$1 build_dir=$2
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j"$jobs" >"$work/$preset-build.log" 2>&1 || {
        fail "zip: the $preset build" "$(tail -n 5 "$work/$preset-build.log")"
        return 1
    }
    rm -f "$build_dir"/*.zip
    cpack --preset "$preset" >"$work/cpack-$preset.log" 2>&1 || {
        fail "zip: cpack makes the $preset ZIP" "$(tail -n 5 "$work/cpack-$preset.log")"
        return 1
    }
    ls "$build_dir"/*.zip
}

# unpack_zip ZIP FOLDER: unpacks it below FOLDER; prints the folder that holds the programs.
unpack_zip() {
    unzip -q "$1" -d "$2"
    echo "$2/$(basename "$1" .zip)"
}

# build_hollin_consumer FOLDER GCC: a host program built against the ZIP's Hollin.h and Hollin.dll
# alone, as README-windows.txt says, without a warning.
build_hollin_consumer() {
    local folder=$1 gcc=$2 build_log=$work/mingw-$2.log
    "$gcc" -std=c99 -Wall -Werror -I"$folder" \
        "$root/scripts/package-checks/hollin-consumer.c" "$folder/Hollin.dll" \
        -Wl,--enable-stdcall-fixup -o "$folder/hollin-consumer.exe" >"$build_log" 2>&1 || true
    [ -s "$folder/hollin-consumer.exe" ] && [ ! -s "$build_log" ] && return 0
    head -n 5 "$build_log"
    return 1
}

zip_checks() {
    local zip
    zip=$(make_zip windows "$windows_build") || return
    echo "Contents of $(basename "$zip"):"
    unzip -Z1 "$zip" | sed 's/^/  /'
    local top
    top=$(basename "$zip" .zip)
    local listed expected=""
    listed=$(unzip -Z1 "$zip" | sed "s|^$top/||" | grep -v '/$' | sort)
    local entry
    for entry in Skerrit.exe Quillon.exe ferrand.exe gostwick.exe Hollin.dll Hollin.h \
        README-windows.txt doc/README.md doc/docs/hollin-data.md; do
        grep -qx "$entry" <<<"$listed" || expected+="$entry "
    done
    expect_output "zip: programs, Hollin.dll, Hollin.h, README-windows.txt and the docs" "" \
        "${expected:+missing $expected}"

    local folder
    folder=$(unpack_zip "$zip" "$work/zip")
    local readme=$folder/README-windows.txt
    if [ "$(grep -c $'\r$' "$readme")" == "$(wc -l <"$readme")" ]; then
        pass "zip: README-windows.txt has CR LF line ends"
    else
        fail "zip: README-windows.txt has CR LF line ends"
    fi
    # Linked statically: nothing beyond the system's own DLLs.
    local imports system_dlls
    system_dlls='^(KERNEL32|USER32|GDI32|ADVAPI32|COMDLG32|COMCTL32|SHELL32|MSVCRT)\.DLL$'
    imports=$(for file in "$folder"/*.exe "$folder"/*.dll; do
        i686-w64-mingw32-objdump -p "$file" | sed -n 's/^\tDLL Name: //p'
    done | tr '[:lower:]' '[:upper:]' | sort -u | grep -v -E "$system_dlls" || true)
    expect_output "zip: the programs and Hollin.dll need no DLL beside the system's" "" "$imports"

    # Each program's own version from its version line; Hollin.dll has the suite's.
    local windows_versions=$windows_build/program-versions.txt expected_versions="" version name
    for name in Skerrit.exe Quillon.exe ferrand.exe gostwick.exe Hollin.dll; do
        version=$(version_text "$windows_versions" "$name")
        [ -n "$version" ] || version=$(version_text "$windows_versions" "${name%.exe}")
        version=$(cut -d' ' -f2 <<<"$version")
        [ -n "$version" ] || version=$suite_version
        expected_versions+="$name $version $suite_version $(windows_numbers "$version")"$'\n'
    done
    expect_output "zip: version resources carry each program's version and the suite's" \
        "${expected_versions%$'\n'}" "$(cd "$folder" && for name in Skerrit.exe Quillon.exe \
            ferrand.exe gostwick.exe Hollin.dll; do version_resource "$name"; done)"

    local consumer_log
    if consumer_log=$(build_hollin_consumer "$folder" i686-w64-mingw32-gcc); then
        pass "zip: a program builds against the ZIP's Hollin.h and Hollin.dll alone"
    else
        fail "zip: a program builds against the ZIP's Hollin.h and Hollin.dll alone" "$consumer_log"
    fi

    # Where this machine runs no 32-bit programs, the programs that run are those of the same ZIP
    # made by the 64-bit build, in a 64-bit prefix (as scripts/test-windows.sh does).
    local wine_bits wine_loader prefix_arch=win32
    read -r wine_bits wine_loader <<<"$("$root/scripts/wine-loader.sh" 2>/dev/null)" || true
    if [ "$wine_bits" == 64 ]; then
        echo "NOTE: this machine cannot run 32-bit programs; the ZIP's programs run from the" \
            "64-bit build's ZIP under 64-bit Wine ($wine_loader)."
        zip=$(make_zip windows64 "$root/build/windows64") || return
        folder=$(unpack_zip "$zip" "$work/zip64")
        if ! consumer_log=$(build_hollin_consumer "$folder" x86_64-w64-mingw32-gcc); then
            fail "zip: a program builds against the 64-bit ZIP's Hollin.h and Hollin.dll" \
                "$consumer_log"
        fi
        export WINELOADER=$wine_loader PATH=$root/scripts/wine64-commands:$PATH
        prefix_arch=win64
    elif [ "$wine_bits" != 32 ]; then
        fail "zip: the programs run under Wine" "no Wine loader runs on this machine"
        return
    fi

    export WINEPREFIX=$work/windows-prefix WINEARCH=$prefix_arch WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    env -u DISPLAY wineboot --init >/dev/null 2>&1
    for name in Skerrit Quillon ferrand.exe gostwick.exe; do
        check_program zip "$name" "$folder/${name%.exe}.exe" wine
    done

    if [ -s "$folder/hollin-consumer.exe" ]; then
        expect_output "zip: the program linked with Hollin.dll runs (no Palm Desktop: -1)" \
            "users -1" "$(cd "$folder" && wine hollin-consumer.exe 2>/dev/null | tr -d '\r')"
    fi
    wineserver -w
}
if [ -n "${SKIP_WINDOWS:-}" ]; then
    echo "skipped the Windows ZIP (SKIP_WINDOWS is set)"
elif ! command -v i686-w64-mingw32-gcc >/dev/null || ! command -v wine >/dev/null; then
    fail "zip: the Windows build" "mingw-w64 or Wine missing: run scripts/setup-windows.sh"
else
    zip_checks
fi

if [ ${#failures[@]} -ne 0 ]; then
    echo "${#failures[@]} package check(s) failed:"
    printf '  %s\n' "${failures[@]}"
    exit 1
fi
echo "All package checks passed."
