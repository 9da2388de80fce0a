#!/usr/bin/env bash
# The clipboard text set by the Win32 backend under Wine, read back by an X program (xclip) under Xvfb.
# Usage: x11_clipboard_test.sh clipboard-holder.exe WORKDIR
set -uo pipefail
source "$(dirname "$0")/../../support/lib.sh"
keep_going
holder="$1"
work="$2"
skip_without Xvfb xdpyinfo xclip
rm -rf "$work"
mkdir -p "$work"
start_xvfb "$work" -screen 0 640x480x24
holder_pid=""
at_exit 'touch "$work/stop"; [ -z "$holder_pid" ] || wait_for 30 ended "$holder_pid" || kill "$holder_pid"'
# A prefix of its own: the clipboard belongs to the prefix's window station, shared by everything in it.
wine_prefix "$work/wine-prefix"

x_reads() { [ "$(timeout 5 xclip -o -selection clipboard 2>/dev/null)" = "$1" ]; }
check() {
    local name="$1" text="$2"
    rm -f "$work/ready" "$work/stop"
    printf '%s' "$text" >"$work/text"
    "$WINE_RUN" "$holder" "Z:$work/text" "Z:$work/ready" "Z:$work/stop" </dev/null >"$work/holder.log" 2>&1 &
    holder_pid=$!
    wait_for 30 test -s "$work/ready"
    if [ "$(cat "$work/ready" 2>/dev/null)" != ok ]; then
        fail "$name: the holder reported: $(cat "$work/ready" 2>/dev/null || echo nothing)"
    else
        # The X side takes over the clipboard a moment after the Win32 call: poll with a deadline.
        wait_for 10 x_reads "$text"
        expect_eq "$name: X reads" "$text" "$(timeout 5 xclip -o -selection clipboard 2>/dev/null)"
    fi
    touch "$work/stop"
    wait "$holder_pid" || true
    holder_pid=""
}
check "plain text" "PATIENT 1042 Berg Anna 19800102"
check "text beyond ASCII" "Łódź Ærø 日本"
finish
