#!/usr/bin/env bash
# --check against a good set-up (exit 0, every line ok) and against one with one of each fault (exit 1, each fault
# one plain line): an imaging program that is not there, an exchange folder that is not there, a printer that is
# not installed, a server that takes the connection but never answers (said within the time limit), a log that
# others could read.
source "$(dirname "$0")/lib.sh"
need python3

P="$E2E_DIR/scanora/"
X="$E2E_DIR/exchange/"
mkdir -p "$P" "$X"
printf '#!/bin/sh\nexit 0\n' >"${P}SCANORA.exe"
chmod +x "${P}SCANORA.exe"
chmod 755 "$VELTRANE_SHARED_DIR"
install -m 0622 /dev/null "$LOG"

test_server "$E2E_DIR/http.port" http
test_server "$E2E_DIR/silent.port" silent
good="127.0.0.1:$(cat "$E2E_DIR/http.port")"
silent="127.0.0.1:$(cat "$E2E_DIR/silent.port")"

check() {  # check SETTING_LINE...: runs --check; exit code in $code, the report in $E2E_DIR/out
    write_settings '"scanora_enabled"="True"' "$@"
    code=0
    "$PROGRAM" --check >"$E2E_DIR/out" 2>"$E2E_DIR/err" || code=$?
}

check "\"scanora_program\"=\"$P\"" "\"scanora_images\"=\"$X\"" "\"server_ip\"=\"$good\""
expect_eq "good set-up: exit code" 0 "$code"
expect_eq "good set-up: the report" \
"ok: Scanora: exchange folder ${X%/} can be written
ok: Scanora: program ${P}SCANORA.exe can be started
ok: appointment card printer is not chosen: its prints go to the default printer
ok: receipt printer is not chosen: its prints go to the default printer
ok: practice server http://$good/ answers
ok: shared log $LOG can be written" "$(cat "$E2E_DIR/out")"
expect_eq "good set-up: the exchange folder is left empty" "" "$(ls -A "$X")"

rm "${P}SCANORA.exe"
chmod 0644 "$LOG"
started=$(now_ms)
check "\"scanora_program\"=\"$P\"" "\"scanora_images\"=\"${E2E_DIR}/gone/\"" "\"server_ip\"=\"$silent\"" \
    '"apptcard_printer"="No Such Printer"'
elapsed=$(($(now_ms) - started))
expect_eq "faults: exit code" 1 "$code"
expect_eq "faults: the report" \
"PROBLEM: Scanora: exchange folder $E2E_DIR/gone cannot be written: it does not exist
PROBLEM: Scanora: program ${P}SCANORA.exe cannot be started: not found, or not a program this workstation can run
PROBLEM: appointment card printer No Such Printer is not installed
ok: receipt printer is not chosen: its prints go to the default printer
PROBLEM: practice server http://$silent/ does not answer: no answer within 4 seconds
PROBLEM: shared log $LOG cannot be written: $LOG can be read by other users" "$(cat "$E2E_DIR/out")"
[ "$elapsed" -lt 15000 ] && pass "faults: a silent server costs a few seconds ($elapsed ms)" ||
    fail "faults: the check took $elapsed ms"
finish
