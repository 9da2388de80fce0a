#!/usr/bin/env bash
# What a browser hands the program: a link of its scheme, a downloaded .veltrane-request file or its file:// URL.
# Each runs an images request for real (the imaging program is a recorder of its arguments), with the stored
# server; a link's own request file is gone when the program has ended; each refusal says why and starts nothing.
source "$(dirname "$0")/lib.sh"

export XDG_RUNTIME_DIR="$E2E_DIR/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
RECORDER="$E2E_DIR/romexis"
cat >"$RECORDER" <<SCRIPT
#!/bin/sh
for a in "\$@"; do printf '%s\n' "\$a"; done >'$E2E_DIR/started.tmp'
mv '$E2E_DIR/started.tmp' '$E2E_DIR/started'
SCRIPT
chmod +x "$RECORDER"
SETTINGS_LINES=('"romexis_enabled"="True"' "\"romexis_program\"=\"$RECORDER\"" '"server_ip"="practice.example"')

# start NAME EXPECTED_ARGUMENTS ARGUMENT...: the program started with the arguments ends with 0, the recorder
# receives exactly the expected arguments (one per line), and no request file of the program's is left.
start() {
    local name="$1" expected="$2" code=0
    shift 2
    write_settings "${SETTINGS_LINES[@]}"
    rm -f "$E2E_DIR/started"
    "$PROGRAM" "$@" >"$E2E_DIR/out" 2>"$E2E_DIR/err" || code=$?
    expect_eq "$name: exit code" "0" "$code"
    wait_for 10 test -e "$E2E_DIR/started" || fail "$name: the imaging program was not started ($(cat "$E2E_DIR/err"))"
    expect_eq "$name: arguments" "$expected" "$(cat "$E2E_DIR/started")"
    expect_eq "$name: request file removed" "" "$(ls -A "$XDG_RUNTIME_DIR")"
    expect_contains "$name: the stored server is kept" '"server_ip"="practice.example"' "$SETTINGS"
}

# refuse NAME REASON ARGUMENT...: exit code 1, the reason on standard error, nothing started, nothing left.
refuse() {
    local name="$1" reason="$2" code=0
    shift 2
    write_settings "${SETTINGS_LINES[@]}"
    rm -f "$E2E_DIR/started"
    "$PROGRAM" "$@" >"$E2E_DIR/out" 2>"$E2E_DIR/err" || code=$?
    expect_eq "$name: exit code" "1" "$code"
    expect_contains "$name: reason" "$reason" "$E2E_DIR/err"
    # A program that was started would have written by the time a later request's program has.
    after_a_later_launch
    [ ! -e "$E2E_DIR/started" ] || fail "$name: the imaging program was started"
    expect_eq "$name: nothing left" "" "$(ls -A "$XDG_RUNTIME_DIR")"
    expect_contains "$name: the stored server is kept" '"server_ip"="practice.example"' "$SETTINGS"
}

start "link" $'1042\nMüller\nAnn Marie\n19800102' \
    'veltrane-client-tools:images?patient_id=1042&surname=M%C3%BCller&forenames=Ann%20Marie&dob=19800102'
start "link, the scheme in capitals, an own id" $'77\nB\nA\n20000101' \
    'VELTRANE-CLIENT-TOOLS:images?patient_id=1&imaging.romexis=77&surname=B&forenames=A&dob=20000101'
start "link, values that mean something to a shell or an ini file" $'$(id)\nO\'Brien;[x]=y\nA\n20000101' \
    'veltrane-client-tools:images?patient_id=%24(id)&surname=O%27Brien%3B%5Bx%5D%3Dy&forenames=A&dob=20000101'

printf '\xff\xfe' >"$E2E_DIR/download.veltrane-request"
printf '[settings]\r\naction=images\r\npatient_id=5\r\nsurname=Zoë\r\nforenames=A\r\ndob=20000101\r\n' | iconv -f UTF-8 -t UTF-16LE \
    >>"$E2E_DIR/download.veltrane-request"
mkdir -p "$E2E_DIR/My Downloads"
cp "$E2E_DIR/download.veltrane-request" "$E2E_DIR/My Downloads/r.veltrane-request"
start "request file" $'5\nZoë\nA\n20000101' "$E2E_DIR/download.veltrane-request"
start "request file as a file:// URL" $'5\nZoë\nA\n20000101' "file://${E2E_DIR// /%20}/My%20Downloads/r.veltrane-request"
expect_eq "a downloaded request file is left where it was" "yes" \
    "$([ -e "$E2E_DIR/download.veltrane-request" ] && echo yes)"

refuse "a server in the link" "may not set the practice server" 'veltrane-client-tools:images?patient_id=1&server_ip=evil.example'
refuse "-s beside a link" "-s cannot come with it" 'veltrane-client-tools:images?patient_id=1' -s evil.example
refuse "a line break in a value" "line break" 'veltrane-client-tools:images?surname=x%0D%0A%5Bsettings%5D'
refuse "an unknown key" "is not a request key" 'veltrane-client-tools:images?patient=1'
refuse "a link too long" "longer than 8 KiB" "veltrane-client-tools:images?surname=$(head -c 9000 /dev/zero | tr '\0' a)"
refuse "two at once" "only one" 'veltrane-client-tools:images' "$E2E_DIR/download.veltrane-request"
finish
