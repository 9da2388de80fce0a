#!/usr/bin/env bash
# Builds the Windows program and its installer with MinGW-w64 and wixl, in one command:
#   scripts/build-windows.sh [BUILD_FOLDER]      (default: build-win)
# Makes BUILD_FOLDER/packages/veltrane-client-tools.exe (a single file, nothing beside it) and
# BUILD_FOLDER/packages/veltrane-client-tools.msi.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build-win}"
"$here/scripts/install-deps.sh" windows
if command -v ccache >/dev/null; then
    export CMAKE_CXX_COMPILER_LAUNCHER="${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}"
    export CMAKE_C_COMPILER_LAUNCHER="${CMAKE_C_COMPILER_LAUNCHER:-ccache}"
fi
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchains/mingw-w64.cmake" >/dev/null
cmake --build "$build" -j "$(nproc)" --target veltrane-client-tools veltrane-msi
x86_64-w64-mingw32-strip -o "$build/packages/veltrane-client-tools.exe" "$build/bin/veltrane-client-tools.exe"
echo "Built $build/packages/veltrane-client-tools.exe"
echo "Built $build/packages/veltrane-client-tools.msi"
