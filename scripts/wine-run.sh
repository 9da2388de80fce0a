#!/usr/bin/env bash
# Runs a Windows program under Wine in a prefix of its own: $WINEPREFIX, or wine-prefix in the current build
# folder (ctest and gtest discovery run from inside it). The prefix is created once, under a lock, so parallel
# tests never race to create it. `wine-run.sh --make-prefix` only makes the prefix.
set -euo pipefail
wine="$(command -v wine64 || true)"
[ -n "$wine" ] || wine=/usr/lib/wine/wine64
if [ ! -x "$wine" ]; then
    echo "wine-run.sh: wine64 is not installed (apt-get install wine64)" >&2
    exit 127
fi
wineserver="$(dirname "$wine")/wineserver64"
[ -x "$wineserver" ] || wineserver="$(command -v wineserver64 || command -v wineserver || echo /usr/lib/wine/wineserver)"

build="${VELTRANE_BUILD_DIR:-}"
if [ -z "$build" ]; then
    # The nearest folder upwards holding CMakeCache.txt is the build folder.
    build="$PWD"
    while [ "$build" != / ] && [ ! -f "$build/CMakeCache.txt" ]; do build="$(dirname "$build")"; done
    [ "$build" != / ] || build="$PWD"
fi
export WINEPREFIX="${WINEPREFIX:-$build/wine-prefix}"
export WINEDEBUG=-all
# Without the crash debugger a crashing program exits with its exception code instead of 0.
export WINEDLLOVERRIDES="winedbg.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"

if [ ! -f "$WINEPREFIX/.veltrane-ready" ]; then
    mkdir -p "$WINEPREFIX"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/.veltrane-ready" ]; then
            # wineboot's helpers keep inherited descriptors open for seconds: give them none of ours.
            # No Mono or Gecko install prompts while the prefix is made: no package can be fetched here.
            WINEDLLOVERRIDES="$WINEDLLOVERRIDES;mscoree=d;mshtml=d" \
                "$wine" wineboot --init </dev/null >"$WINEPREFIX/wineboot.log" 2>&1 9>&- || true
            [ -d "$WINEPREFIX/drive_c/windows" ] || { echo "wine-run.sh: cannot create $WINEPREFIX" >&2; exit 1; }
            # Wine writes the registry to the prefix's files only when its server ends (a few seconds after the
            # last program): only then is the prefix complete, and a copy of it has every service registered.
            timeout 60 "$wineserver" -w </dev/null >>"$WINEPREFIX/wineboot.log" 2>&1 9>&- || true
            touch "$WINEPREFIX/.veltrane-ready"
        fi
    ) 9>"$WINEPREFIX.lock"
fi
[ "${1:-}" != --make-prefix ] || exit 0
exec "$wine" "$@"
