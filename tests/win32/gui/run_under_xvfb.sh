#!/usr/bin/env bash
# Runs a GoogleTest program that opens real Wine windows under an Xvfb display of its own (numbered by the server),
# in a Wine prefix of its own: the prefix's desktop belongs to the display its first program started on.
# Usage: run_under_xvfb.sh program.exe WORKDIR [gtest arguments]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
program="$1"
work="$2"
shift 2
command -v Xvfb >/dev/null || { echo "Xvfb is missing" >&2; exit 77; }
rm -rf "$work/display" "$work/xvfb.log"
mkdir -p "$work"
xvfb=""
cleanup() {
    # The prefix's server and its desktop end with the display; only what this script started is stopped.
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$work/display")"
export WINEPREFIX="$work/wine-prefix"
bash "$here/../../support/wine_gtest.sh" "$program" "$@"
