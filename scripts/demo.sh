#!/usr/bin/env bash
# The main job: builds Skerrit in Release, then converts the bundled sample text and this project's
# own user guide (linked HTML pages) into document databases, showing Skerrit's console output,
# and ends with the guide's preview: the page skerrit-preview writes, ready for a browser.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target Skerrit skerrit-preview -j"$(nproc)" >/dev/null
mkdir -p build/demo
skerrit=build/release/skerrit/Skerrit
preview=build/release/skerrit/skerrit-preview

echo "== A plain text file"
"$skerrit" -y -sLB skerrit/tests/data/harbour-light.txt build/demo/harbour-light.pdb
echo
echo "== The user guide: docs/guide/index.html and the pages it links to"
"$skerrit" -y -d2 docs/guide/index.html build/demo/guide.pdb
echo
ls -l build/demo/harbour-light.pdb build/demo/guide.pdb
echo
echo "== The guide as the handheld shows it"
"$preview" --info build/demo/guide.pdb
page=$("$preview" build/demo/guide.pdb build/demo/guide-preview)
echo "Open in a browser: $(cd "$(dirname "$page")" && pwd)/$(basename "$page")"
