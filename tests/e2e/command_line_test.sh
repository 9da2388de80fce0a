#!/usr/bin/env bash
# The program's own options from the outside: --help and --version answer without a display and without touching
# the settings, a mistyped option stops before anything is done, and what the practice server passes still works.
source "$(dirname "$0")/lib.sh"
set +e

# run ARGS...: the program without a display, with the loader's trace; sets code, out, err.
run() {
    env -u DISPLAY -u WAYLAND_DISPLAY LD_DEBUG=files LD_DEBUG_OUTPUT="$E2E_DIR/trace" "$PROGRAM" "$@" \
        >"$E2E_DIR/out" 2>"$E2E_DIR/err"
    code=$?
    out="$(cat "$E2E_DIR/out")"
    err="$(cat "$E2E_DIR/err")"
}
no_toolkit() {
    if cat "$E2E_DIR"/trace.* 2>/dev/null | grep -E 'file=.*(libQt6|libveltrane-ui|libcups)' >/dev/null; then
        fail "$1 loaded the toolkit or the printer system"
    fi
    rm -f "$E2E_DIR"/trace.*
}

run --version
expect_eq "--version exit code" 0 "$code"
expect_eq "--version" "veltrane-client-tools 4.26" "$out"
no_toolkit --version

run --help
expect_eq "--help exit code" 0 "$code"
grep -q '^Usage: veltrane-client-tools' <<<"$out" || fail "--help shows no usage: $out"
grep -qF "settings      $HOME/.config/veltrane-client-tools/registry.reg" <<<"$out" || fail "--help names no settings file: $out"
grep -qF "activity log  $VELTRANE_SHARED_DIR/clienttools.log" <<<"$out" || fail "--help names no log: $out"
no_toolkit --help
[ ! -e "$SETTINGS" ] || fail "--help wrote the settings file"

# A mistyped option: an error naming it and the way to the list, exit code 1, and the request is not carried out.
write_settings '"logging_enabled"="True"' '"apexnrg_enabled"="True"'
printf '[settings]\r\naction=images\r\npatient_id=1042\r\n' >"$E2E_DIR/request.ini"
run --dryrun -x "$E2E_DIR/request.ini"
expect_eq "unknown option exit code" 1 "$code"
expect_eq "unknown option message" "veltrane-client-tools: unknown option --dryrun (--help lists the options)" "$err"
[ ! -e "$LOG" ] || fail "the request ran despite the bad option: $(cat "$LOG")"

# What the practice server passes, with a request file whose name starts with two dashes.
cp "$E2E_DIR/request.ini" "$E2E_DIR/--help.ini"
cd "$E2E_DIR"
run -s practice.example -x --help.ini
cd - >/dev/null
expect_eq "request exit code ($err)" 0 "$code"
expect_eq "request log" "=== Load Client Tools ===|Parse ini file|images|Start loading imaging apexnrg" \
    "$(log_messages | head -4 | paste -sd'|')"
grep -q '^"server_ip"="practice.example"' "$SETTINGS" || fail "server_ip not stored: $(cat "$SETTINGS")"
echo PASS
