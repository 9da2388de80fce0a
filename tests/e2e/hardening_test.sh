#!/usr/bin/env bash
# What another local user can plant must not reach a user's request: links and FIFOs at exchange file names,
# the shared activity log, a caller held on our output by the imaging program, and hostile patient values.
source "$(dirname "$0")/lib.sh"
SETUP_LOG="$(cd "$(dirname "$0")/../.." && pwd)/packaging/setup-shared-log.sh"

REQUEST="$E2E_DIR/request.ini"
printf '[settings]\r\naction=images\r\npatient_id=1042\r\nforenames=Anna\r\nsurname=Berg\r\ndob=19800102\r\ngender=F\r\n' >"$REQUEST"
P="$E2E_DIR/p/"
mkdir -p "$P"
# The imaging program notes that it ran; with HOLD set it finishes only once the file "go" exists (or after 30 s,
# so a caller that waits for it still ends).
cat >"${P}dexis.exe" <<SCRIPT
#!/bin/sh
touch '$E2E_DIR/started'
if [ -n "\${HOLD:-}" ]; then
    for _ in \$(seq 300); do [ -e '$E2E_DIR/go' ] && break; sleep 0.1; done
fi
touch '$E2E_DIR/finished'
SCRIPT
chmod +x "${P}dexis.exe"
write_settings '"dexis_enabled"="True"' "\"dexis_program\"=\"$P\""

# A link or FIFO planted at the exchange file's name: the request ends at once with the file error, the
# link's target is untouched and the imaging program is not started.
echo "the victim's own file" >"$E2E_DIR/victim.txt"
for kind in link fifo; do
    rm -f "${P}InfoFile.txt" "$E2E_DIR/started"
    if [ "$kind" = link ]; then ln -s "$E2E_DIR/victim.txt" "${P}InfoFile.txt"; else mkfifo "${P}InfoFile.txt"; fi
    code=0
    timeout 10 "$PROGRAM" -x "$REQUEST" >"$E2E_DIR/out" 2>"$E2E_DIR/err" || code=$?
    [ "$code" -ne 124 ] || fail "$kind: the request hung"
    grep -q "File access denied" "$E2E_DIR/err" || fail "$kind: no file error ($(cat "$E2E_DIR/err"))"
    # The imaging program is started detached: it could start after our program has ended.
    after_a_later_launch
    [ ! -e "$E2E_DIR/started" ] || fail "$kind: the imaging program was started"
done
expect_eq "the link's target" "the victim's own file" "$(cat "$E2E_DIR/victim.txt")"

# A new exchange file is the user's alone, whatever the umask.
rm -f "${P}InfoFile.txt" "$E2E_DIR/started"
(umask 000 && "$PROGRAM" -x "$REQUEST" >"$E2E_DIR/out" 2>"$E2E_DIR/err") || fail "exit code $? ($(cat "$E2E_DIR/err"))"
wait_for 10 test -e "$E2E_DIR/started" || fail "the imaging program was not started"
expect_eq "mode of a new exchange file" 600 "$(stat -c %a "${P}InfoFile.txt")"

# A caller that reads our output to its end is not held while the imaging program runs.
rm -f "$E2E_DIR/started" "$E2E_DIR/finished" "$E2E_DIR/go"
HOLD=1 "$PROGRAM" -x "$REQUEST" 2>&1 | cat >/dev/null
[ ! -e "$E2E_DIR/finished" ] || fail "our output stayed open until the imaging program ended"
touch "$E2E_DIR/go"
wait_for 10 test -e "$E2E_DIR/finished" || fail "the imaging program did not run"

# Patient values are data: a hostile forename adds no switch, a hostile id neither an argument nor a path step, and
# a batch file is never handed what its command processor would run. The imaging program writes out its argv.
A="$E2E_DIR/args/"
mkdir -p "$A"
cat >"${A}cmdlink.exe" <<SCRIPT
#!/bin/sh
for arg in "\$@"; do printf '%s\n' "\$arg"; done >'$E2E_DIR/argv.tmp'
mv '$E2E_DIR/argv.tmp' '$E2E_DIR/argv'
SCRIPT
chmod +x "${A}cmdlink.exe"
cp "${A}cmdlink.exe" "${A}SOPRO Imaging.exe"
hostile_request() {  # hostile_request ID FORENAMES
    printf '[settings]\r\naction=images\r\npatient_id=%s\r\nforenames=%s\r\nsurname=Berg\r\ndob=19800102\r\ngender=F\r\n' \
        "$1" "$2" >"$E2E_DIR/hostile.ini"
}
hostile_request 1042 'Anna /ID=9999 "-x"'
write_settings '"dentaleye_enabled"="True"' "\"dentaleye_program\"=\"$A\""
rm -f "$E2E_DIR/argv"
"$PROGRAM" -x "$E2E_DIR/hostile.ini" >"$E2E_DIR/out" 2>"$E2E_DIR/err" || fail "dentaleye: exit code $? ($(cat "$E2E_DIR/err"))"
wait_for 10 test -e "$E2E_DIR/argv" || fail "dentaleye was not started: $(cat "$E2E_DIR/err")"
expect_eq "dentaleye's arguments" "$(printf '%s\n' /ID=1042 /FN=Anna ID=9999 x /LN=Berg /BD=19800102 /Sex=F)" \
    "$(cat "$E2E_DIR/argv")"
# --dry-run shows the same filtered line.
"$PROGRAM" --dry-run -x "$E2E_DIR/hostile.ini" >"$E2E_DIR/out" 2>&1 || fail "dry run: exit code $?"
grep -qF '/ID=1042 /FN=Anna ID=9999 x /LN=Berg' "$E2E_DIR/out" || fail "dry run: $(cat "$E2E_DIR/out")"

# run_refused ID FORENAMES SETTING... MESSAGE: the request ends with MESSAGE and starts nothing.
run_refused() {
    local id="$1" forenames="$2" message="${*: -1}"
    hostile_request "$id" "$forenames"
    write_settings "${@:3:$#-3}"
    rm -f "$E2E_DIR/argv"
    timeout 10 "$PROGRAM" -x "$E2E_DIR/hostile.ini" >"$E2E_DIR/out" 2>"$E2E_DIR/err" || true
    grep -qF "$message" "$E2E_DIR/err" || fail "$id / $forenames: not refused: $(cat "$E2E_DIR/err")"
    after_a_later_launch
    [ ! -e "$E2E_DIR/argv" ] || fail "$id / $forenames: the imaging program was started: $(cat "$E2E_DIR/argv")"
}
run_refused '1042 --delete-patient 77' Anna '"sopro_enabled"="True"' "\"sopro_program\"=\"$A\"" \
    'contains a quote, or a dash that would start a switch'
run_refused '10 42' Anna '"sopro_enabled"="True"' "\"sopro_program\"=\"$A\"" \
    'contains a blank, which the imaging program would read as more than one argument'
run_refused '../../9999' Anna '"dentaleye_enabled"="True"' "\"dentaleye_program\"=\"$A\"" \
    'contains a path separator or ".."'
printf '@echo off\r\n' >"${A}run.bat"
run_refused '1&echo INJECTED>pwned.txt&rem' Anna '"romexis_enabled"="True"' "\"romexis_program\"=\"${A}run.bat\"" \
    'The imaging program is a batch file'
run_refused 1042 '"%USERNAME%"' '"acteon_enabled"="True"' "\"acteon_program\"=\"${A}run.bat\"" \
    'The imaging program is a batch file'
write_settings '"dexis_enabled"="True"' "\"dexis_program\"=\"$P\""

# The shared log against another user: needs root to make the users.
if ! can_make_users; then
    echo "shared log part skipped: needs root, useradd and runuser"
    exit 0
fi
throwaway_user attacker attacker
throwaway_user victim victim
at_exit 'chattr -a "$E2E_DIR/log/clienttools.log" 2>/dev/null || true'
chmod 0755 "$E2E_DIR"
runuser -u "$victim" -- test -x "$PROGRAM" || { echo "skipped: $victim cannot run $PROGRAM"; exit 0; }

home="$E2E_DIR/victim-home"
mkdir -p "$home/.config/veltrane-client-tools"
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n"logging_enabled"="True"\r\n"dexis_enabled"="True"\r\n"dexis_program"="%s"\r\n' \
    "$E2E_DIR/vp/" >"$home/.config/veltrane-client-tools/registry.reg"
echo "the victim's notes" >"$home/notes.txt"
mkdir -p "$E2E_DIR/vp"
cp "${P}dexis.exe" "$E2E_DIR/vp/dexis.exe"
chown -R "$victim" "$home" "$E2E_DIR/vp"
chmod 0644 "$REQUEST"
chmod 1777 "$E2E_DIR"  # so the victim's program may leave its marker; nobody may remove another's files

# run_victim SHARED_DIR WHAT: the victim's images request must open the imaging program and end normally.
run_victim() {
    rm -f "$E2E_DIR/started"
    local code=0
    timeout 10 runuser -u "$victim" -- env HOME="$home" VELTRANE_SHARED_DIR="$1" LANG=C.UTF-8 \
        "$PROGRAM" -x "$REQUEST" >"$E2E_DIR/out" 2>"$E2E_DIR/err" || code=$?
    [ "$code" -eq 0 ] || fail "$2: exit code $code ($(cat "$E2E_DIR/err"))"
    wait_for 10 test -e "$E2E_DIR/started" || fail "$2: the victim's imaging program did not open"
}

# A world-writable folder where the attacker planted a link to the victim's file.
mkdir -m 1777 "$E2E_DIR/pub"
runuser -u "$attacker" -- ln -s "$home/notes.txt" "$E2E_DIR/pub/clienttools.log"
run_victim "$E2E_DIR/pub" "a planted link"
expect_eq "the victim's file" "the victim's notes" "$(cat "$home/notes.txt")"
expect_eq "said once on standard error" 1 "$(grep -c "activity log is not written" "$E2E_DIR/err")"

# The folder made first by the attacker, with a FIFO at the log's name.
runuser -u "$attacker" -- mkdir -m 0777 "$E2E_DIR/pub/made-by-attacker"
runuser -u "$attacker" -- mkfifo -m 0666 "$E2E_DIR/pub/made-by-attacker/clienttools.log"
run_victim "$E2E_DIR/pub/made-by-attacker" "a folder and FIFO of the attacker's"
grep -q "is not owned by root" "$E2E_DIR/err" || fail "the reason was not given: $(cat "$E2E_DIR/err")"

# The installed log: the victim's lines arrive, the attacker can neither read nor plant anything.
"$SETUP_LOG" "$E2E_DIR/log" >/dev/null
"$SETUP_LOG" "$E2E_DIR/log" >/dev/null  # a second run changes nothing
expect_eq "folder" "root:root 755" "$(stat -c '%U:%G %a' "$E2E_DIR/log")"
expect_eq "log" "root:root 622" "$(stat -c '%U:%G %a' "$E2E_DIR/log/clienttools.log")"
run_victim "$E2E_DIR/log" "the installed log"
[ ! -s "$E2E_DIR/err" ] || fail "the installed log was refused: $(cat "$E2E_DIR/err")"
grep -q "Start loading imaging dexis" "$E2E_DIR/log/clienttools.log" || fail "the victim's lines are missing"
if runuser -u "$attacker" -- cat "$E2E_DIR/log/clienttools.log" >/dev/null 2>&1; then
    fail "another user can read the patients in the log"
fi
if runuser -u "$attacker" -- ln -s "$home/notes.txt" "$E2E_DIR/log/other.log" 2>/dev/null; then
    fail "another user can add to the log's folder"
fi
if [ "$(lsattr "$E2E_DIR/log/clienttools.log" 2>/dev/null | cut -c6)" = a ]; then
    if runuser -u "$attacker" -- truncate -s 16T "$E2E_DIR/log/clienttools.log" 2>/dev/null ||
        runuser -u "$attacker" -- truncate -s 0 "$E2E_DIR/log/clienttools.log" 2>/dev/null; then
        fail "another user can truncate or grow the append-only log"
    fi
else
    echo "append-only part skipped: this file system has no append-only flag"
fi

# A log that can no longer be written (here: a file size limit below its size, which fails the write as a full
# disk would) stops no request: the imaging program opens, and the reason is said once.
head -c 8192 /dev/zero >>"$E2E_DIR/log/clienttools.log"
rm -f "$E2E_DIR/started"
code=0
timeout 10 runuser -u "$victim" -- bash -c 'trap "" XFSZ; ulimit -f 4; exec "$@"' limited \
    env HOME="$home" VELTRANE_SHARED_DIR="$E2E_DIR/log" LANG=C.UTF-8 "$PROGRAM" -x "$REQUEST" \
    >"$E2E_DIR/out" 2>"$E2E_DIR/err" || code=$?
expect_eq "a log that cannot be written: exit code" 0 "$code"
wait_for 10 test -e "$E2E_DIR/started" || fail "a log that cannot be written stopped the request: $(cat "$E2E_DIR/err")"
expect_eq "said once, with the reason" 1 "$(grep -c "activity log .* is not written (Disk full)" "$E2E_DIR/err")"
echo "hardening: all checks passed"
