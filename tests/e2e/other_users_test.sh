#!/usr/bin/env bash
# Another local user's files where a user's request writes or reads: a file planted at an exchange file's name,
# and a settings file that user can change. Needs root to make the users.
source "$(dirname "$0")/lib.sh"
if ! can_make_users; then
    echo "skipped: needs root, useradd and runuser"
    exit 77
fi
throwaway_user planter planter
throwaway_user user user
chmod 0755 "$E2E_DIR"
runuser -u "$user" -- test -x "$PROGRAM" || { echo "skipped: $user cannot run $PROGRAM"; exit 77; }

REQUEST="$E2E_DIR/request.ini"
printf '[settings]\r\naction=images\r\npatient_id=1042\r\nforenames=Anna\r\nsurname=Berg\r\ndob=19800102\r\ngender=F\r\n' \
    >"$REQUEST"
chmod 0644 "$REQUEST"
home="$E2E_DIR/user-home"
user_settings="$home/.config/veltrane-client-tools/registry.reg"
mkdir -p "$(dirname "$user_settings")" "$E2E_DIR/marks"
chmod 1777 "$E2E_DIR/marks"

# imaging_folder PATH MODE: a folder holding the Dexis program, which notes that it ran; the Dexis bridge writes
# InfoFile.txt beside it.
imaging_folder() {
    mkdir -p "$1"
    printf '#!/bin/sh\ntouch "%s"\n' "$E2E_DIR/marks/started" >"$1/dexis.exe"
    chmod 0755 "$1/dexis.exe"
    chmod "$2" "$1"
}
# user_settings_for FOLDER: the user's own settings, enabling Dexis in FOLDER.
user_settings_for() {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n"dexis_enabled"="True"\r\n"dexis_program"="%s/"\r\n' \
        "$1" >"$user_settings"
    chown -R "$user" "$home"
    chmod 0600 "$user_settings"
}
# run_user: the user's images request; its exit code in $code, its standard error in $E2E_DIR/err.
run_user() {
    rm -f "$E2E_DIR/marks/started"
    code=0
    timeout 20 runuser -u "$user" -- env HOME="$home" VELTRANE_SHARED_DIR="$E2E_DIR/no-log" LANG=C.UTF-8 \
        "$PROGRAM" -x "$REQUEST" >"$E2E_DIR/out" 2>"$E2E_DIR/err" || code=$?
    [ "$code" -ne 124 ] || fail "the request hung"
}

# A folder every account may write, where another account left a file open to all at the exchange name: the
# user's own file, readable by nobody else, takes its place, and the imaging program opens.
imaging_folder "$E2E_DIR/shared" 0777
printf 'planted\r\n' >"$E2E_DIR/shared/InfoFile.txt"
chown "$planter" "$E2E_DIR/shared/InfoFile.txt"
chmod 0666 "$E2E_DIR/shared/InfoFile.txt"
user_settings_for "$E2E_DIR/shared"
run_user
expect_eq "exit code ($(cat "$E2E_DIR/err"))" 0 "$code"
wait_for 10 test -e "$E2E_DIR/marks/started" || fail "the imaging program was not started"
expect_eq "the exchange file" "$user 600" "$(stat -c '%U %a' "$E2E_DIR/shared/InfoFile.txt")"
grep -q 'Berg' "$E2E_DIR/shared/InfoFile.txt" || fail "the patient is not in the exchange file"
if runuser -u "$planter" -- cat "$E2E_DIR/shared/InfoFile.txt" >/dev/null 2>&1; then
    fail "the other account can read the patient"
fi

# A sticky shared folder, where only the planter may replace the planted file: the request stops, names the file
# and its owner, writes nothing into the planter's file and starts nothing.
imaging_folder "$E2E_DIR/sticky" 1777
printf 'planted\r\n' >"$E2E_DIR/sticky/InfoFile.txt"
chown "$planter" "$E2E_DIR/sticky/InfoFile.txt"
chmod 0666 "$E2E_DIR/sticky/InfoFile.txt"
user_settings_for "$E2E_DIR/sticky"
run_user
grep -q 'File access denied' "$E2E_DIR/err" || fail "no file error: $(cat "$E2E_DIR/err")"
grep -q "$E2E_DIR/sticky/InfoFile.txt belongs to user $planter" "$E2E_DIR/err" ||
    fail "the file and its owner are not named: $(cat "$E2E_DIR/err")"
expect_eq "the planted file" "planted" "$(tr -d '\r' <"$E2E_DIR/sticky/InfoFile.txt")"
after_a_later_launch
[ ! -e "$E2E_DIR/marks/started" ] || fail "the imaging program was started"

# Settings another account can change would let it name a program of its own for the user to start: they are
# not used, the user is told why, and nothing they name is started.
imaging_folder "$E2E_DIR/private" 0755
for how in "writable by all" "a link to the other account's file"; do
    user_settings_for "$E2E_DIR/private"
    expected="can be changed by other users (mode 0666)"
    if [ "$how" = "writable by all" ]; then
        chmod 0666 "$user_settings"
    else
        # The other account's copy in a shared folder, kept open to the user so that the user's writes work.
        cp "$user_settings" "$E2E_DIR/marks/planted.reg"
        chown "$planter" "$E2E_DIR/marks/planted.reg"
        chmod 0666 "$E2E_DIR/marks/planted.reg"
        ln -sf "$E2E_DIR/marks/planted.reg" "$user_settings"
        expected="belongs to user $planter"
    fi
    run_user
    grep -q "Settings file $user_settings $expected" "$E2E_DIR/err" ||
        fail "$how: the reason is not given: $(cat "$E2E_DIR/err")"
    after_a_later_launch
    [ ! -e "$E2E_DIR/marks/started" ] || fail "$how: the program it names was started"
    rm -f "$user_settings" "$E2E_DIR/marks/planted.reg"
done
echo "other users: all checks passed"
