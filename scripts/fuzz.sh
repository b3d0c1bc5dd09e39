#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under ASan+UBSan and runs each for the time that
# fuzz-targets.txt gives it. Usage: scripts/fuzz.sh [seconds-override]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/setup.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)"
override=${1:-}
status=0
while read -r target seconds corpus; do
    [ -z "$target" ] && continue
    case "$target" in \#*) continue ;; esac
    run_seconds=${override:-$seconds}
    work=$(mktemp -d)
    [ -n "${corpus:-}" ] && [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/ 2>/dev/null || true
    binary=$(find build/fuzz -type f -name "$target" -perm -u+x | head -n 1)
    if [ -z "$binary" ]; then
        echo "fuzz: target $target was not built"; status=1; continue
    fi
    echo "fuzz: $target for ${run_seconds}s"
    if ! "$binary" -max_total_time="$run_seconds" -print_final_stats=0 "$work" \
        -artifact_prefix="build/fuzz/$target-" >"build/fuzz/$target.log" 2>&1; then
        echo "fuzz: $target FAILED; see build/fuzz/$target.log"; tail -n 40 "build/fuzz/$target.log"
        status=1
    fi
    rm -rf "$work"
done < scripts/fuzz-targets.txt
exit $status
