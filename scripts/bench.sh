#!/usr/bin/env bash
# Builds the program and the benchmarks and prints their figures.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/install-deps.sh" run
(cd "$here" && cmake --preset bench >/dev/null && cmake --build --preset bench -j "$(nproc)" >/dev/null)
bin="$here/build-bench/bin"
"$bin/startup-bench" "$bin/veltrane-client-tools" "$bin/bare-start" 30
"$bin/imaging-request-bench" "$bin/veltrane-client-tools" "$bin/bare-imaging-request" 30
"$bin/registry-file-bench"
"$bin/settings-scale-bench" "$bin/veltrane-client-tools"
# First frame and peak memory of the configuration window, on a virtual display.
if command -v Xvfb >/dev/null && [ -x "$bin/window-startup" ]; then
    (
        source "$here/tests/support/lib.sh"
        work="$(mktemp -d)"
        at_exit 'rm -rf "$work"'
        start_xvfb "$work" -screen 0 1024x768x24
        HOME="$work" "$bin/window-startup" "$bin/veltrane-client-tools" 15 "$bin/minimal-window" 2>/dev/null
    )
fi
# A print request until CUPS accepts the job, against headless Chromium (needs root for the private scheduler).
if [ "$(id -u)" -eq 0 ] && command -v chromium >/dev/null; then
    python3 "$here/bench/print_request_bench.py" "$bin" 5
fi
# The Windows program's images request under Wine against a bare Win32 program, when the Windows build
# (scripts/build-windows.sh, then cmake --build --preset windows) and Wine are there.
win="$here/build-win"
if [ -x "$win/packages/veltrane-client-tools.exe" ] && [ -x "$win/bin/bare-imaging-request.exe" ] &&
    [ -x "$win/bin/imaging-program-stamp.exe" ] && { command -v wine64 >/dev/null || [ -x /usr/lib/wine/wine64 ]; }; then
    bash "$here/bench/windows/run_imaging_request_bench.sh" "$win/packages/veltrane-client-tools.exe" \
        "$win/bin/bare-imaging-request.exe" "$win/bin/imaging-program-stamp.exe" 30
fi
