#!/usr/bin/env bash
# The clipboard text set by the Win32 backend under Wine, read back by an X program (xclip) under Xvfb.
# Usage: x11_clipboard_test.sh clipboard-holder.exe WORKDIR
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
run="$here/../../../scripts/wine-run.sh"
holder="$1"
work="$2"
for tool in Xvfb xclip; do command -v $tool >/dev/null || { echo "$tool is missing" >&2; exit 77; }; done
rm -rf "$work"
mkdir -p "$work"
xvfb=""
holder_pid=""
cleanup() {
    touch "$work/stop"
    [ -n "$holder_pid" ] && wait "$holder_pid" 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT

# A display of its own, numbered by the server.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$work/display")"
# A prefix of its own: the clipboard belongs to the prefix's window station, shared by everything in it.
export WINEPREFIX="$work/wine-prefix"

fail=0
check() {
    local name="$1" text="$2"
    rm -f "$work/ready" "$work/stop"
    printf '%s' "$text" >"$work/text"
    "$run" "$holder" "Z:$work/text" "Z:$work/ready" "Z:$work/stop" </dev/null >"$work/holder.log" 2>&1 &
    holder_pid=$!
    for _ in $(seq 600); do [ -s "$work/ready" ] && break; sleep 0.05; done
    if [ "$(cat "$work/ready" 2>/dev/null)" != ok ]; then
        echo "FAIL $name: the holder reported: $(cat "$work/ready" 2>/dev/null || echo nothing)" >&2
        fail=1
    else
        local got=""
        # The X side takes over the clipboard a moment after the Win32 call: poll with a deadline.
        for _ in $(seq 100); do
            got="$(timeout 5 xclip -o -selection clipboard 2>/dev/null || true)"
            [ "$got" = "$text" ] && break
            sleep 0.1
        done
        if [ "$got" = "$text" ]; then echo "ok $name"; else echo "FAIL $name: X read '$got'" >&2; fail=1; fi
    fi
    touch "$work/stop"
    wait "$holder_pid" || true
    holder_pid=""
}
check "plain text" "PATIENT 1042 Berg Anna 19800102"
check "text beyond ASCII" "Łódź Ærø 日本"
[ $fail -eq 0 ] && echo "2 passed, 0 failed" || exit 1
