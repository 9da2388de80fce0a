#!/usr/bin/env bash
# The native window under Wine on an Xvfb desktop of its own: the window program's tests, then the real program
# with a settings registry and a request, driven by xdotool as a user would, and a screenshot to look at.
# Usage: window_test.sh window-tests.exe veltrane-client-tools.exe WORKDIR
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
run="$here/../../../scripts/wine-run.sh"
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
tests="$(absolute "$1")"
program="$(absolute "$2")"
mkdir -p "$3"
work="$(cd "$3" && pwd)"
rm -rf "$work/run"
mkdir -p "$work/run"
R="$work/run"
# The prefix stays between runs (making one takes half a minute).
export WINEPREFIX="$work/wine-prefix"
export LANG=C.UTF-8 LC_ALL=C.UTF-8
command -v Xvfb >/dev/null || { echo "skipped: Xvfb is missing"; exit 77; }
xvfb=""
cleanup() { [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; true; }
trap cleanup EXIT
exec 3>"$R/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$R/xvfb.log" 2>&1 &
xvfb=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$R/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$R/display")"

failed=0
bash "$here/../../support/wine_gtest.sh" "$tests" || failed=1
exit "$failed"
