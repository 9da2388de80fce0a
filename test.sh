#!/usr/bin/env bash
# Builds everything and runs every test: unit, integration, UI and end-to-end tests, then the unit tests
# again under AddressSanitizer and UndefinedBehaviorSanitizer, then each fuzz target for a short while.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/install-deps.sh" test
jobs="$(nproc)"

cmake -S "$here" -B "$here/build-test" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$here/build-test" -j "$jobs"
(cd "$here/build-test" && ctest --output-on-failure -j "$jobs" --timeout 600)

# The Windows build: the core's unit tests and the Win32 backend tests, cross-built with MinGW-w64 and run under
# Wine; each program passes on its own test summary, so a crash under Wine cannot pass unnoticed. The program and
# its installer come from the one script a release uses; the tests then install, run and remove them under Wine.
"$here/scripts/build-windows.sh" "$here/build-win"
cmake --build "$here/build-win" -j "$jobs"
(cd "$here/build-win" && ctest --output-on-failure -j "$jobs" -L win32 --timeout 600)
# Both builds exist now: the Windows dry run must print what the Linux one prints, bridge by bridge.
python3 "$here/tests/win32/program/dry_run_same.py" "$here/build-test/bin/veltrane-client-tools" \
    "$here/build-win/bin/veltrane-client-tools.exe" "$here/build-win/dry-run-work"

cmake -S "$here" -B "$here/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELTRANE_SANITIZE=ON \
    -DVELTRANE_WITH_QT=OFF >/dev/null
cmake --build "$here/build-asan" -j "$jobs" --target unit-tests
(cd "$here/build-asan" && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j "$jobs" -L unit)

"$here/scripts/fuzz.sh" 15
