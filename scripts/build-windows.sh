#!/usr/bin/env bash
# Builds the Windows program and its installer with MinGW-w64 and wixl, in one command, in build-win/ (the
# "windows" preset). Makes build-win/packages/veltrane-client-tools.exe (a single file, nothing beside it) and
# build-win/packages/veltrane-client-tools.msi.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/install-deps.sh" windows
if command -v ccache >/dev/null; then
    export CMAKE_CXX_COMPILER_LAUNCHER="${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}"
    export CMAKE_C_COMPILER_LAUNCHER="${CMAKE_C_COMPILER_LAUNCHER:-ccache}"
fi
cd "$here"
cmake --preset windows >/dev/null
cmake --build --preset windows-release -j "$(nproc)"
echo "Built $here/build-win/packages/veltrane-client-tools.exe"
echo "Built $here/build-win/packages/veltrane-client-tools.msi"
