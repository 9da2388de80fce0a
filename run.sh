#!/usr/bin/env bash
# Builds Veltrane Client Tools (installing what it needs) and starts it with the given arguments.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/install-deps.sh" run
cmake -S "$here" -B "$here/build" -G Ninja -DVELTRANE_TESTS=OFF >/dev/null
cmake --build "$here/build" >/dev/null
exec "$here/build/bin/veltrane-client-tools" "$@"
