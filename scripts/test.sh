#!/usr/bin/env bash
# Builds everything in the dev preset (Debug, warnings as errors) and runs the whole test suite.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/setup.sh
cmake --preset dev >/dev/null
cmake --build --preset dev -j"$(nproc)"
ctest --preset dev -j"$(nproc)"
