#!/usr/bin/env bash
# Runs a GoogleTest program that opens real Wine windows under an Xvfb display of its own, in a Wine prefix of its
# own: the prefix's desktop belongs to the display its first program started on.
# Usage: run_under_xvfb.sh program.exe WORKDIR [gtest arguments]
set -euo pipefail
source "$(dirname "$0")/../../support/lib.sh"
program="$1"
work="$2"
shift 2
skip_without Xvfb xdpyinfo
start_xvfb "$work" -screen 0 1024x768x24
wine_prefix "$work/wine-prefix"
bash "$SUPPORT_DIR/wine_gtest.sh" "$program" "$@"
