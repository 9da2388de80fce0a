#!/usr/bin/env bash
# Builds everything and runs every test: unit, integration, UI and end-to-end tests, then the Windows build under
# Wine, then the unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer, then each fuzz target for
# a short while. Each build is a preset of CMakePresets.json.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/install-deps.sh" test
jobs="$(nproc)"
cd "$here"

cmake --preset linux >/dev/null
cmake --build --preset linux -j "$jobs"
ctest --preset linux -j "$jobs"

# The Windows build: the core's unit tests and the Win32 backend tests, cross-built with MinGW-w64 and run under
# Wine; each program passes on its own test summary, so a crash under Wine cannot pass unnoticed. The program and
# its installer come from the one script a release uses; the tests then install, run and remove them under Wine.
"$here/scripts/build-windows.sh"
cmake --build --preset windows -j "$jobs"
ctest --preset windows -j "$jobs"
# Both builds exist now: the Windows dry run must print what the Linux one prints, bridge by bridge.
python3 "$here/tests/win32/program/dry_run_same.py" "$here/build-test/bin/veltrane-client-tools" \
    "$here/build-win/bin/veltrane-client-tools.exe" "$here/build-win/dry-run-work"

cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j "$jobs"
ctest --preset sanitize -j "$jobs"

"$here/scripts/fuzz.sh" 15
