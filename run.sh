#!/usr/bin/env bash
# Builds Veltrane Client Tools (installing what it needs) and starts it with the given arguments.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/install-deps.sh" run
(cd "$here" && cmake --preset program >/dev/null && cmake --build --preset program >/dev/null)
exec "$here/build/bin/veltrane-client-tools" "$@"
