#!/usr/bin/env bash
# Renders skerrit-preview's page of the user guide in a real browser (headless Chromium): the
# page must load with no console message at all (it has no scripts, so any message is a fault),
# show the guide's title, ask for nothing outside itself, and give a screenshot of the expected
# size that is not blank. The screenshot is compared with the one in docs/ for its dimensions
# and, loosely, its file size (fonts differ from machine to machine, pixels are not compared).
# Usage: scripts/preview-browser-check.sh SKERRIT SKERRIT-PREVIEW SCREENSHOT.png
# Exit status 77 (skipped) when Chromium is not installed.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
skerrit=$1
preview=$2
screenshot=$3
reference="$here/docs/skerrit-preview-guide.png"
window_width=900
window_height=1400

if ! command -v chromium > /dev/null; then
    echo "preview browser check: chromium is not installed (Debian package chromium); skipped"
    exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$here/docs/guide" "$work/guide"
(cd "$work" && "$skerrit" -y -d2 guide/index.html guide.pdb > /dev/null)
"$preview" "$work/guide.pdb" "$work/preview" > /dev/null
page="$work/preview/index.html"

failures=0
fail() {
    echo "preview browser check: FAILED: $*"
    failures=$((failures + 1))
}

# Self-contained: every href and src stays inside the page.
if grep -Eo '(href|src)="[^#"][^"]*"' "$page" > "$work/outside.txt"; then
    fail "the page refers outside itself: $(head -n 3 "$work/outside.txt" | tr '\n' ' ')"
fi

browser=(chromium --headless --disable-gpu --no-sandbox --hide-scrollbars
    --user-data-dir="$work/profile" --enable-logging=stderr --v=0)

"${browser[@]}" --dump-dom "file://$page" > "$work/dom.html" 2> "$work/dom.log" || true
if ! grep -q '<h1>Palm Desktop Tools Guide</h1>' "$work/dom.html"; then
    fail "the browser did not load the page"
fi
if grep -q ':CONSOLE' "$work/dom.log"; then
    fail "console messages: $(grep ':CONSOLE' "$work/dom.log" | head -n 5)"
fi

"${browser[@]}" --window-size="$window_width,$window_height" --screenshot="$screenshot" \
    "file://$page" > /dev/null 2> "$work/shot.log" || true
if grep -q ':CONSOLE' "$work/shot.log"; then
    fail "console messages while taking the screenshot"
fi

# Width and height from the PNG header (big-endian, bytes 16 to 23).
png_size() {
    local bytes
    read -r -a bytes <<< "$(od -An -tu1 -j16 -N8 "$1")"
    echo "$(((bytes[0] << 24) | (bytes[1] << 16) | (bytes[2] << 8) | bytes[3]))x$(((bytes[4] << 24) | (bytes[5] << 16) | (bytes[6] << 8) | bytes[7]))"
}

if [ ! -s "$screenshot" ]; then
    fail "no screenshot"
else
    size=$(png_size "$screenshot")
    bytes=$(stat -c %s "$screenshot")
    [ "$size" = "${window_width}x${window_height}" ] || fail "screenshot is $size"
    # A blank page of this size compresses to a few kilobytes; the guide's text takes far more.
    [ "$bytes" -gt 40000 ] || fail "screenshot of $bytes bytes looks blank"
    if [ -f "$reference" ]; then
        reference_bytes=$(stat -c %s "$reference")
        [ "$(png_size "$reference")" = "$size" ] || fail "screenshot is $size, docs/ has $(png_size "$reference")"
        if [ "$bytes" -lt $((reference_bytes / 2)) ] || [ "$bytes" -gt $((reference_bytes * 2)) ]; then
            fail "screenshot of $bytes bytes, docs/ has $reference_bytes"
        fi
    fi
fi

if [ "$failures" -gt 0 ]; then
    exit 1
fi
echo "preview browser check: ok ($screenshot, $size, $bytes bytes)"
