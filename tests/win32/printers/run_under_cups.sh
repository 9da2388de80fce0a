#!/usr/bin/env bash
# Runs the spooler tests under Wine against a private CUPS scheduler, in a Wine prefix of their own so the
# queues Wine's spooler takes over from CUPS never mix with another test's.
# Usage: run_under_cups.sh printer-tests.exe WORKDIR
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
support="$here/../../support"
program="$1"
work="$2"
rm -rf "$work"
mkdir -p "$work"
trap 'bash "$support/cups_sandbox.sh" stop "$work/cups"' EXIT
env_text=$(bash "$support/cups_sandbox.sh" start "$work/cups" vtWinOffice vtWinZebra) || exit $?
eval "$env_text"
lpadmin -d vtWinOffice
export WINEPREFIX="$work/wine-prefix"
bash "$support/wine_gtest.sh" "$program"
