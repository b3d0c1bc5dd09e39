#!/usr/bin/env bash
# The main job: builds Skerrit in Release, then converts the bundled sample text and this project's
# own user guide (linked HTML pages) into document databases, showing Skerrit's console output.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target Skerrit -j"$(nproc)" >/dev/null
mkdir -p build/demo
skerrit=build/release/skerrit/Skerrit

echo "== A plain text file"
"$skerrit" -y -sLB skerrit/tests/data/harbour-light.txt build/demo/harbour-light.pdb
echo
echo "== The user guide: docs/guide/index.html and the pages it links to"
"$skerrit" -y -d2 docs/guide/index.html build/demo/guide.pdb
echo
ls -l build/demo/harbour-light.pdb build/demo/guide.pdb
