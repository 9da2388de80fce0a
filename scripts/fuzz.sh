#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given number of seconds (default 60), or, with
# FUZZ_RUNS=N in the environment, for N executions each, printing the executions and the time each target took.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
(cd "$here" && cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j "$(nproc)")
shopt -s nullglob
for target in "$here"/build-fuzz/bin/fuzz-*; do
    name="$(basename "$target")"
    corpus="$here/tests/fuzz/corpus/${name#fuzz-}"
    work="$(mktemp -d)"
    [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/
    if [ -n "${FUZZ_RUNS:-}" ]; then limit=(-runs="$FUZZ_RUNS"); else limit=(-max_total_time="$seconds"); fi
    echo "fuzzing $name (${limit[*]})"
    start=$(date +%s)
    "$target" "${limit[@]}" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "$work" 2>"$work.log" \
        || { tail -40 "$work.log"; exit 1; }
    executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work.log")
    echo "$name: ${executed:-?} executions in $(($(date +%s) - start)) s, no crash"
    rm -rf "$work" "$work.log"
done
