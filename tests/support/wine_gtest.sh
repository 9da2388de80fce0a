#!/usr/bin/env bash
# Runs a GoogleTest program under Wine and passes only when its own summary says every listed test passed: under
# Wine a crash can end a program without a failing exit code, so the exit code alone proves nothing.
# Usage: wine_gtest.sh program.exe [gtest arguments]
set -uo pipefail
source "$(dirname "$0")/lib.sh"
program="$1"
shift
name="$(basename "$program" .exe)"
out="$(mktemp -d)"
at_exit 'rm -rf "$out"'

# Output goes to files, never pipes: Wine's helper processes keep inherited pipes open after the program ends.
"$WINE_RUN" "$program" --gtest_list_tests "$@" </dev/null >"$out/list" 2>&1
listed="$(grep -c '^  ' "$out/list" || true)"
"$WINE_RUN" "$program" "$@" </dev/null >"$out/run" 2>&1
status=$?
cat "$out/run"

summary="$(grep -E '^\[==========\] [0-9]+ tests? from .* ran\.' "$out/run" | tail -n 1)"
ran="$(sed -E 's/^\[==========\] ([0-9]+) .*/\1/' <<<"$summary")"
passed="$(grep -E '^\[  PASSED  \] [0-9]+ tests?\.' "$out/run" | sed -E 's/^\[  PASSED  \] ([0-9]+).*/\1/')"
if [ "$status" -ne 0 ]; then
    echo "$name: exit code $status" >&2
    exit 1
fi
if [ -z "$summary" ] || [ -z "$passed" ]; then
    echo "$name: no test summary (the program ended early, a crash?)" >&2
    exit 1
fi
if [ "$listed" -eq 0 ] || [ "$ran" != "$listed" ] || [ "$passed" != "$listed" ]; then
    echo "$name: $listed tests listed, $ran ran, $passed passed" >&2
    exit 1
fi
echo "$name: $passed of $listed tests passed under Wine"
