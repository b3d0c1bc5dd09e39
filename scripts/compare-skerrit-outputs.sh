#!/usr/bin/env bash
# Converts a corpus with two Skerrit programs and compares what a successful run gives: the
# database byte for byte apart from its three dates (creation and modification in the header,
# bytes 36 to 43; the conversion date at bytes 32 to 35 of record 0), the exit status and the
# console output. Used to show that a change keeps every successful conversion's output.
#
#   scripts/compare-skerrit-outputs.sh OLD-PROGRAM NEW-PROGRAM
#
# The corpus: the test texts with every text option, English-like text of several groups, Doc
# books (the fuzz corpus and books made by txt2pdbdoc when it is installed), the user guide in
# docs/guide, the test sites, the fuzz HTML pages, Debian's bash reference and reference manual
# when installed, and two sites made here that reach the page and depth limits (made by
# compare-skerrit-corpus.py). Prints one line per difference and a summary; fails when any case
# differs.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD
old=$(realpath "$1")
new=$(realpath "$2")
work=$(mktemp -d "${TMPDIR:-/tmp}/compare-skerrit.XXXXXX")
trap 'rm -rf "$work"' EXIT

corpus=$work/corpus
mkdir -p "$corpus" "$work/old" "$work/new"
cp -r "$root/docs/guide" "$corpus/guide"
cp -r "$root/skerrit/tests/data/site" "$corpus/site"
cp -r "$root/skerrit/tests/win/site" "$corpus/winsite"
cp "$root/skerrit/tests/data/harbour-light.txt" "$root"/skerrit/fuzz/corpus/doc_input/*.pdb \
    "$root"/skerrit/fuzz/corpus/html_page/*.htm "$corpus/"
for chapter in $(seq 1 40); do
    printf 'Chapter %d\r\n\tPart\ttabbed\r\n\r\n' "$chapter"
    sed 's/$/\r/' "$root/skerrit/tests/data/harbour-light.txt"
done >"$corpus/book.txt"
python3 "$root/scripts/compare-skerrit-corpus.py" "$corpus"
if command -v txt2pdbdoc >/dev/null; then
    (cd "$corpus" && txt2pdbdoc 'Harbour Light' book.txt made-compressed.pdb >/dev/null &&
        txt2pdbdoc -c 'Harbour Light' book.txt made-stored.pdb >/dev/null &&
        txt2pdbdoc -b 'Binary' binary.txt made-binary-compressed.pdb >/dev/null &&
        txt2pdbdoc -c -b 'Binary' binary.txt made-binary-stored.pdb >/dev/null)
fi
[ -f /usr/share/doc/bash/bashref.html ] && cp /usr/share/doc/bash/bashref.html "$corpus/"

# name | source | options
cases=()
for options in "" "-rCR" "-rLF" "-rCR -rLF" "-c" "-sLB" "-sLB0" "-sLB3 -c" "-tS" "-tS0" "-tS4 -rCR" \
    "-tLB" "-tLB3" "-sLB -tS2" "-iA title longer than thirty-one characters"; do
    for source in harbour-light.txt book.txt english.txt binary.txt empty.txt; do
        cases+=("$source $options|$source|$options")
    done
done
for source in compressed.pdb uncompressed.pdb made-compressed.pdb made-stored.pdb \
    made-binary-compressed.pdb made-binary-stored.pdb; do
    [ -f "$corpus/$source" ] || continue
    for options in "" "-rLF" "-sLB -c" "-tS4"; do
        cases+=("$source $options|$source|$options")
    done
done
for source in guide/index.html guide/skerrit.html site/index.htm winsite/index.htm \
    winsite/guide/tides.htm cycle.htm endless-frames.htm frames.htm plaintext.htm refs.htm \
    structure.htm tags.htm bashref.html chain/p0.htm wide/start.htm; do
    [ -f "$corpus/$source" ] || continue
    for options in "" "-d0" "-d1" "-d1000"; do
        cases+=("$source $options|$source|$options")
    done
done
reference=/usr/share/debian-reference/index.en.html
if [ -f "$reference" ]; then
    for options in "-d0" "-d1" "-d2"; do
        cases+=("debian-reference $options|$reference|$options")
    done
fi

# True when two databases differ in nothing but their dates.
same_but_dates() {
    [ "$(stat -c %s "$1")" == "$(stat -c %s "$2")" ] || return 1
    local record0
    record0=$(od -An -tu4 --endian=big -j78 -N4 "$1" | tr -d ' ')
    [ -z "$({ cmp -l "$1" "$2" || true; } | awk -v r="${record0:-0}" '{ o = $1 - 1;
        if (!((o >= 36 && o < 44) || (o >= r + 32 && o < r + 36))) print o }')" ]
}

# Both programs write the same destination name, so that their console output can be compared;
# the database is then moved aside.
run() {
    local program=$1 side=$2 index=$3 source=$4 options=$5
    local -a args
    read -r -a args <<<"$options"
    [[ "$options" == -i* ]] && args=("$options")
    local status=0
    (cd "$corpus" && "$program" -y "${args[@]}" "$source" out.pdb </dev/null \
        >"$work/$side/$index.log" 2>&1) || status=$?
    echo "$status" >"$work/$side/$index.status"
    if [ -f "$corpus/out.pdb" ]; then
        mv "$corpus/out.pdb" "$work/$side/$index.pdb"
    fi
}

same=0
differing=0
index=0
for entry in "${cases[@]}"; do
    IFS='|' read -r name source options <<<"$entry"
    index=$((index + 1))
    run "$old" old "$index" "$source" "$options"
    run "$new" new "$index" "$source" "$options"
    old_status=$(cat "$work/old/$index.status")
    new_status=$(cat "$work/new/$index.status")
    what=()
    [ "$old_status" == "$new_status" ] || what+=("status $old_status -> $new_status")
    if ! cmp -s "$work/old/$index.log" "$work/new/$index.log"; then
        what+=("console: $({ diff "$work/old/$index.log" "$work/new/$index.log" || true; } |
            grep '^[<>]' | tr '\r\n' '  ' | cut -c1-200)")
    fi
    if [ -f "$work/old/$index.pdb" ] || [ -f "$work/new/$index.pdb" ]; then
        if [ ! -f "$work/old/$index.pdb" ] || [ ! -f "$work/new/$index.pdb" ] ||
            ! same_but_dates "$work/old/$index.pdb" "$work/new/$index.pdb"; then
            what+=("database differs")
        fi
    fi
    if [ ${#what[@]} -eq 0 ]; then
        same=$((same + 1))
    else
        differing=$((differing + 1))
        echo "DIFFERS  $name: ${what[*]}"
    fi
done
echo "$same cases the same, $differing differ"
[ "$differing" -eq 0 ]
