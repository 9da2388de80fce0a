#!/usr/bin/env bash
# The Digora bridge for real under Xvfb: the open command is on the clipboard after the program has ended, and
# its helper goes away once another program takes the clipboard.
source "$(dirname "$0")/lib.sh"

need xclip
start_xvfb "$E2E_DIR" -screen 0 640x480x24

REQUEST="$E2E_DIR/request.ini"
printf '[settings]\r\naction=images\r\npatient_id=1042\r\nforenames=Anna\r\nsurname=Berg\r\ntitle=Mrs\r\n' >"$REQUEST"
write_settings '"digora_enabled"="True"' '"digora_nameformat"="1"'
timeout 30 "$PROGRAM" -x "$REQUEST" >"$E2E_DIR/out" 2>"$E2E_DIR/err" || fail "exit code $? ($(cat "$E2E_DIR/err"))"

expect_eq "clipboard" '$$DFWIN$$ OPEN -n"Mrs Anna Berg" -c"1042" -r -a' "$(timeout 10 xclip -o -selection clipboard)"
# The helper serving our display (other tests may run helpers of their own).
helper=""
for pid in $(pgrep -x veltrane-clipbo || true); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "DISPLAY=$DISPLAY" && helper="$pid"
done
[ -n "$helper" ] || fail "no clipboard helper is serving the text $(xvfb_state)"

printf 'other' | xclip -selection clipboard >/dev/null 2>&1
wait_for 10 ended "$helper" || fail "the clipboard helper still runs after losing the selection"
expect_eq "clipboard after another program" "other" "$(timeout 10 xclip -o -selection clipboard)"
echo "imaging digora clipboard: all checks passed"
