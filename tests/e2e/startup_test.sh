#!/usr/bin/env bash
# The program end to end in a temporary HOME: exit codes, log lines, the stored server, the no-display case.
source "$(dirname "$0")/lib.sh"

# An images request whose one enabled system does nothing ends the process without a window.
write_settings '"logging_enabled"="True"' '"apexnrg_enabled"="True"'
printf '[settings]\r\naction=images\r\npatient_id=1042\r\n' >"$E2E_DIR/request.ini"
"$PROGRAM" -s practice.example -c 10.0.0.9 -x "$E2E_DIR/request.ini" >"$E2E_DIR/out" 2>"$E2E_DIR/err" \
    || fail "images request exited with $? ($(cat "$E2E_DIR/err"))"
expect_eq "log" "=== Load Client Tools ===
Parse ini file
images
Start loading imaging apexnrg
resetProgram
*** Done resetProgram + close ***" "$(log_messages)"
grep -q '^"server_ip"="practice.example"' "$SETTINGS" || fail "server_ip not stored: $(cat "$SETTINGS")"
# Every log line ends in CR LF and carries a time stamp.
[ "$(grep -c $'\r$' "$LOG")" -eq 6 ] || fail "log lines do not end in CR LF"

# A later start without -s uses the stored server; a missing request file is said, in the log and on standard error
# (there is no display for a message box), before the window would open.
rm -f "$LOG"
set +e
"$PROGRAM" -x "$E2E_DIR/missing.ini" >"$E2E_DIR/out" 2>"$E2E_DIR/err"
code=$?
set -e
# Without a display the configuration window cannot be shown: a clear message and a non-zero exit code.
[ "$code" -ne 0 ] || fail "a window run without a display exited with 0"
grep -qi 'display' "$E2E_DIR/err" || fail "no display message on stderr: $(cat "$E2E_DIR/err")"
why="The request file $E2E_DIR/missing.ini cannot be read: No such file or directory"
expect_eq "log without request" "=== Load Client Tools ===|Parse ini file|$why" "$(log_messages | paste -sd'|')"
grep -qF "$why" "$E2E_DIR/err" || fail "the missing request is not said: $(cat "$E2E_DIR/err")"
: >"$E2E_DIR/empty.ini"
"$PROGRAM" -x "$E2E_DIR/empty.ini" >"$E2E_DIR/out" 2>"$E2E_DIR/err" || true
grep -qF "The request file $E2E_DIR/empty.ini holds no action" "$E2E_DIR/err" ||
    fail "the empty request is not said: $(cat "$E2E_DIR/err")"

# Logging switched off: no line is written at all.
rm -f "$LOG"
write_settings '"logging_enabled"="true"' '"apexnrg_enabled"="True"'
"$PROGRAM" -x "$E2E_DIR/request.ini" || fail "exit code $?"
[ ! -e "$LOG" ] || fail "log written although the switch is not exactly True"

# A settings file that cannot be parsed is reported with its line and never overwritten.
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Veltrane]\r\ngarbage line\r\n' >"$SETTINGS"
cp "$SETTINGS" "$E2E_DIR/before"
set +e
"$PROGRAM" -s other.example -x "$E2E_DIR/request.ini" >"$E2E_DIR/out" 2>"$E2E_DIR/err"
set -e
grep -q 'line 4' "$E2E_DIR/err" || fail "parse error does not name the line: $(cat "$E2E_DIR/err")"
cmp -s "$SETTINGS" "$E2E_DIR/before" || fail "a broken settings file was rewritten"
echo "startup: all checks passed"
