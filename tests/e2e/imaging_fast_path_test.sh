#!/usr/bin/env bash
# An images request with one enabled command-line bridge, for real: the imaging program is started with the
# right argument vector, outlives the program, and the run maps no Qt, X11 or CUPS library.
source "$(dirname "$0")/lib.sh"

IMAGING="$E2E_DIR/imaging programs"
mkdir -p "$IMAGING"
# Stands in for the imaging program: writes its arguments, one per line, once the test has seen our program exit
# (the file "go"), so an args file before then means the program waited for it. It gives up waiting after 30 s, so
# a program that does wait still ends.
cat >"$IMAGING/SOPRO Imaging.exe" <<'SCRIPT'
#!/bin/sh
for _ in $(seq 300); do [ -e "$(dirname "$0")/go" ] && break; sleep 0.1; done
out="$(dirname "$0")/args.txt"
for a in "$@"; do printf '%s\n' "$a"; done >"$out.tmp"
mv "$out.tmp" "$out"
SCRIPT
chmod +x "$IMAGING/SOPRO Imaging.exe"

REQUEST="$E2E_DIR/request.ini"
printf '[settings]\r\naction=images\r\npatient_id=1042\r\nforenames=Anna Maria\r\nsurname=van Dijk $(touch pwned)\r\ndob=19800102\r\n' >"$REQUEST"
write_settings '"sopro_enabled"="True"' "\"sopro_program\"=\"$IMAGING/\""

cd "$E2E_DIR"
LD_DEBUG=libs "$PROGRAM" -x "$REQUEST" >"$E2E_DIR/out" 2>"$E2E_DIR/ld" || fail "exit code $?"
[ ! -e "$IMAGING/args.txt" ] || fail "the program waited for the imaging program"
grep -q 'calling init: .*libstdc++' "$E2E_DIR/ld" || fail "LD_DEBUG showed no library loads; the check below would prove nothing"
if grep -E 'calling init: .*lib(Qt|X11|xcb|cups|veltrane)' "$E2E_DIR/ld" >"$E2E_DIR/heavy"; then
    fail "the fast path mapped: $(sort -u "$E2E_DIR/heavy" | head -5)"
fi

touch "$IMAGING/go"
wait_for 10 test -e "$IMAGING/args.txt" || fail "the imaging program was not started"
# The Windows command-line rules split the quoted arguments; nothing went through a shell.
expect_eq "arguments" '1042
van Dijk $(touch pwned)
Anna Maria
02/01/1980' "$(cat "$IMAGING/args.txt")"
[ ! -e "$E2E_DIR/pwned" ] || fail "a patient value reached a shell"
echo "imaging fast path: all checks passed"
