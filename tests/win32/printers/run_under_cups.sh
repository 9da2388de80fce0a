#!/usr/bin/env bash
# Runs the spooler tests under Wine against a private CUPS scheduler, in a Wine prefix of their own so the
# queues Wine's spooler takes over from CUPS never mix with another test's.
# Usage: run_under_cups.sh printer-tests.exe WORKDIR
set -euo pipefail
source "$(dirname "$0")/../../support/lib.sh"
program="$1"
work="$2"
rm -rf "$work"
mkdir -p "$work"
start_cups "$work/cups" vtWinOffice vtWinZebra || exit $?
lpadmin -d vtWinOffice
wine_prefix "$work/wine-prefix"
bash "$SUPPORT_DIR/wine_gtest.sh" "$program"
