#!/usr/bin/env bash
# Renders the pages of the main window under Xvfb into docs/screenshots/ (PNG), for the README.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
source "$here/tests/support/lib.sh"
# The picture tool is built with the tests, in the "linux" preset's folder.
build="$here/build-test"
(cd "$here" && cmake --preset linux >/dev/null && cmake --build --preset linux --target window-screenshots)
mkdir -p "$here/docs/screenshots"
work="$(mktemp -d)"
at_exit 'rm -rf "$work"'
start_xvfb "$work" -screen 0 1024x768x24 -dpi 96
VELTRANE_BROWSER_MODULE=/nonexistent "$build/bin/window-screenshots" "$here/docs/screenshots"
