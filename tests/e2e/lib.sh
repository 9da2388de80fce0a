# shellcheck shell=bash
# The end-to-end scripts' set-up: the program under test (the script's first argument), a temporary HOME with its
# own settings file, and the shared folder with the activity log. KEEP_WORK=1 keeps the temporary folder. The
# checks and helpers come from tests/support/lib.sh.
source "$(dirname "${BASH_SOURCE[0]}")/../support/lib.sh"
set -euo pipefail

PROGRAM="${1:?usage: $0 PATH_TO_PROGRAM}"
[ -x "$PROGRAM" ] || { echo "program not found: $PROGRAM" >&2; exit 1; }

E2E_DIR="$(mktemp -d)"
at_exit 'if [ -n "${KEEP_WORK:-}" ]; then echo "work folder kept: $E2E_DIR" >&2; else rm -rf "$E2E_DIR"; fi'
export HOME="$E2E_DIR/home"
TEST_HOME="$HOME"
export VELTRANE_SHARED_DIR="$E2E_DIR/shared"
export LANG=C.UTF-8 LC_ALL=C.UTF-8
unset XDG_CONFIG_HOME DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
mkdir -p "$HOME/.config/veltrane-client-tools" "$VELTRANE_SHARED_DIR"
SETTINGS="$HOME/.config/veltrane-client-tools/registry.reg"
LOG="$VELTRANE_SHARED_DIR/clienttools.log"

# write_settings '"name"="value"' ... : the settings file with these values in the program's key.
write_settings() {
    {
        printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n'
        for line in "$@"; do printf '%s\r\n' "$line"; done
    } >"$SETTINGS"
}

# can_make_users: whether this run may make accounts of its own (root, useradd and runuser), as the checks against
# another local user need.
can_make_users() { [ "$(id -u)" -eq 0 ] && command -v useradd >/dev/null && command -v runuser >/dev/null; }
# throwaway_user VARIABLE ROLE: an account that exists only while the script runs, its name in VARIABLE.
# Another script may be adding or removing an account at the same moment; the account files are then locked for a
# moment, so each change is tried again until a deadline.
throwaway_user() {
    local name="vct-$2-$$"
    wait_for 30 useradd -M -N -s /usr/sbin/nologin "$name" || fail "cannot make the account $name"
    at_exit "wait_for 30 userdel '$name' 2>/dev/null || true"
    printf -v "$1" '%s' "$name"
}

# log_messages: the log's messages without their time stamps, one per line.
log_messages() { sed -e 's/\r$//' -e 's/^[^:]*:[^:]*:[^:]*: //' "$LOG"; }
# dry_log_messages FILE: the same for a dry run, which writes no log and tells its lines on standard error
# (saved in FILE) as "log: <line>".
dry_log_messages() { sed -n -e 's/^log: //p' "$1" | sed -e 's/^[^:]*:[^:]*:[^:]*: //'; }

# after_a_later_launch: an images request of its own whose imaging program only leaves a mark, run to its end,
# and its mark awaited. A program that an earlier run started (detached) has started by then too, so only now may
# a test say that one never started. The settings file and the log are as they were afterwards.
after_a_later_launch() {
    local folder="$E2E_DIR/later-launch/"
    mkdir -p "$folder"
    printf '#!/bin/sh\ntouch "%s"\n' "${folder}mark" >"${folder}cmdlink.exe"
    chmod +x "${folder}cmdlink.exe"
    printf '[settings]\r\naction=images\r\npatient_id=1\r\n' >"${folder}request.ini"
    rm -f "${folder}mark"
    [ ! -e "$SETTINGS" ] || cp -p "$SETTINGS" "${folder}settings.saved"
    [ ! -e "$LOG" ] || cp -p "$LOG" "${folder}log.saved"
    write_settings '"dentaleye_enabled"="True"' "\"dentaleye_program\"=\"$folder\""
    local code=0
    timeout 30 "$PROGRAM" -x "${folder}request.ini" >"${folder}out" 2>"${folder}err" || code=$?
    rm -f "$SETTINGS" "$LOG"
    [ ! -e "${folder}settings.saved" ] || mv "${folder}settings.saved" "$SETTINGS"
    [ ! -e "${folder}log.saved" ] || mv "${folder}log.saved" "$LOG"
    [ "$code" -eq 0 ] || fail "the later launch: exit code $code ($(cat "${folder}err"))"
    wait_for 10 test -e "${folder}mark" || fail "the later launch started nothing: $(cat "${folder}err")"
}
