#!/usr/bin/env bash
# The Windows installer: its tables, then installed, upgraded in place and removed again by msiexec under Wine.
# Usage: msi_test.sh veltrane-client-tools.msi veltrane-client-tools.exe WORKDIR COMMAND-LINE-RECORDER.exe
set -uo pipefail
source "$(dirname "$0")/../../support/lib.sh"
keep_going
msi="$1"
program="$2"
recorder="$(realpath "$4")"
need msiinfo wixl
run_folder "$3"
# A prefix of its own, so an install never leaks into the other tests; made afresh so nothing is left from an
# earlier run, as a copy of a pristine one.
export LANG=C.UTF-8 LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY
fresh_wine_prefix "$work/pristine" "$work/prefix"

table() { msiinfo export "$1" "$2" | tail -n +4 | tr -d '\r'; }

# ---- The tables.
tables="$(msiinfo tables "$msi" | tr -d '\r' | sort | tr '\n' ' ')"
for t in Component Directory Feature File Shortcut Upgrade Media; do
    [[ " $tables" == *" $t "* ]] && pass "table $t" || fail "table $t missing from: $tables"
done
expect_eq "per machine" "ALLUSERS	1" "$(table "$msi" Property | grep '^ALLUSERS')"
expect_eq "into Program Files" "INSTALLDIR	ProgramFiles64Folder	Veltrane Client Tools" \
    "$(table "$msi" Directory | grep '^INSTALLDIR')"
expect_eq "two files, the program and the shared log" "veltrane-client-tools.exe clienttools.log" \
    "$(table "$msi" File | cut -f3 | paste -sd' ')"
# The log's access list is set by Windows Installer from this row; Wine's msiexec does not apply it, so only the
# row is checked here: administrators own it, every user may append, only administrators and the system read.
expect_eq "the shared log's access list" \
    "SharedLogFile	File	O:BAG:SYD:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x120084;;;BU)" \
    "$(table "$msi" MsiLockPermissionsEx | cut -f2-4)"
attributes="$(table "$msi" Component | awk -F'\t' '$1 == "SharedLog" { print $4 }')"
[ $((attributes & 16)) -ne 0 ] && [ $((attributes & 128)) -ne 0 ] && pass "the shared log is permanent, never overwritten" ||
    fail "the shared log's component attributes: $attributes"
# Columns: the entry, its folder, its name, its component, then its arguments (none: the configuration window).
expect_eq "the Start-menu entry starts the program without arguments" \
    "StartMenuShortcut	ProgramMenuFolder	Veltrane Client Tools	Program	" \
    "$(table "$msi" Shortcut | cut -f1-4,6)"
# The programs list and the Start-menu entry draw the program's own icon, stored once in the package.
expect_eq "the programs list shows the icon" "ARPPRODUCTICON	ProgramIcon.ico" "$(table "$msi" Property | grep '^ARPPRODUCTICON')"
expect_eq "the Start-menu entry shows the icon" "ProgramIcon.ico	0" "$(table "$msi" Shortcut | cut -f9,10)"
# Exporting a table with a binary column writes its streams to files: in the work folder.
expect_eq "one icon in the package" "ProgramIcon.ico" "$(cd "$R" && table "$msi" Icon | cut -f1)"
msiinfo extract "$msi" Icon.ProgramIcon.ico >"$R/icon.ico" 2>"$R/icon.err"
cmp -s "$R/icon.ico" "$SOURCE_DIR/src/windows/veltrane-client-tools.ico" && pass "the package's icon is the program's" ||
    fail "the package's icon: $(head -c 64 "$R/icon.ico" | od -An -tx1 | head -2) $(cat "$R/icon.err")"
# Registry rows: only the request file type and the link scheme, per machine (root 2: HKLM); never the users'
# settings. Columns: root, key, name, value.
expect_eq "registry rows: the request file type and the link scheme, per machine" \
"2	Software\Classes\.veltrane-request		VeltraneClientTools.Request
2	Software\Classes\.veltrane-request	Content Type	application/x-veltrane-request
2	Software\Classes\VeltraneClientTools.Request		Veltrane request
2	Software\Classes\VeltraneClientTools.Request\shell\open\command		\"[INSTALLDIR]veltrane-client-tools.exe\" -x \"%1\"
2	Software\Classes\veltrane-client-tools		URL:Veltrane Client Tools
2	Software\Classes\veltrane-client-tools	URL Protocol	
2	Software\Classes\veltrane-client-tools\shell\open\command		\"[INSTALLDIR]veltrane-client-tools.exe\" \"%1\"" \
    "$(table "$msi" Registry | cut -f2-5 | sort)"
upgrade="$(table "$msi" Upgrade | grep WIX_UPGRADE_DETECTED | cut -f1,5)"
expect_eq "upgrade of any version up to this one, this one included" "{04781A7C-4FE4-4001-B015-3EDCD7D79387}	513" \
    "$upgrade"

installed="$WINEPREFIX/drive_c/Program Files/Veltrane Client Tools/veltrane-client-tools.exe"
# The all-users Start menu on Windows; Wine's msiexec puts a per-machine entry in the user's own one.
shortcuts=("$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Veltrane Client Tools.lnk"
           "$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Veltrane Client Tools.lnk")
shortcut_exists() { [ -f "${shortcuts[0]}" ] || [ -f "${shortcuts[1]}" ]; }
# products: how many installed products carry the program's name.
products() {
    local count=0 key
    while read -r key; do
        [[ "$key" == *Uninstall\\* ]] || continue
        local name
        name="$("$WINE_RUN" reg query "$key" /v DisplayName </dev/null 2>/dev/null)"
        [[ "$name" == *"Veltrane Client Tools"* ]] && count=$((count + 1))
    done < <("$WINE_RUN" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' </dev/null 2>/dev/null | tr -d '\r')
    echo "$count"
}

# ---- Install, quietly, as a practice rolls it out.
"$WINE_RUN" reg add 'HKCU\Software\Veltrane' /v server_ip /d practice.example /f </dev/null >/dev/null 2>&1
code=0
"$WINE_RUN" msiexec /i "$(winpath "$msi")" /qn </dev/null >"$R/install.log" 2>&1 || code=$?
expect_eq "install: exit code" 0 "$code"
[ -f "$installed" ] && pass "install: the program is in Program Files" || fail "install: $installed is missing"
shortcut_exists && pass "install: the Start-menu entry" || fail "install: no Start-menu entry: ${shortcuts[*]}"
ls "$(dirname "$installed")" >"$R/files"
expect_eq "install: nothing beside the program" "veltrane-client-tools.exe" "$(cat "$R/files")"
"$WINE_RUN" "$installed" --version </dev/null >"$R/version" 2>&1
expect_eq "install: the installed program runs" "veltrane-client-tools 4.26" "$(tr -d '\r' <"$R/version")"
expect_eq "install: one product" 1 "$(products)"
# Windows Installer keeps the icon for the programs list and names it in the product's registration.
product_icon() {
    "$WINE_RUN" reg query 'HKLM\Software\Classes\Installer\Products' /s </dev/null 2>/dev/null | tr -d '\r' |
        awk '/^HKEY/ { icon = ""; name = "" } /ProductIcon/ { sub(/.*REG_SZ +/, ""); icon = $0 }
             /ProductName +REG_SZ +Veltrane Client Tools$/ { name = 1 } name && icon { print icon; exit }'
}
icon_path="$(product_icon)"
unix_icon="$WINEPREFIX/drive_c/$(printf '%s' "${icon_path#?:\\}" | tr '\\' /)"
if [ -n "$icon_path" ] && cmp -s "$unix_icon" "$SOURCE_DIR/src/windows/veltrane-client-tools.ico"; then
    pass "install: the programs list's icon"
else
    fail "install: the product's icon is [$icon_path] ($unix_icon), not the program's"
fi
# What a browser and Explorer find: the open commands under HKLM\Software\Classes.
# reg_default KEY [VALUE]: the value's text as reg query shows it, or nothing.
reg_value() {
    local args=(/ve)
    [ $# -gt 1 ] && args=(/v "$2")
    "$WINE_RUN" reg query "$1" "${args[@]}" </dev/null 2>/dev/null | tr -d '\r' | sed -n 's/^ *[^ ].* REG_SZ *//p'
}
winexe='C:\Program Files\Veltrane Client Tools\veltrane-client-tools.exe'
expect_eq "install: the request file type" VeltraneClientTools.Request "$(reg_value 'HKLM\Software\Classes\.veltrane-request')"
expect_eq "install: opening a request file" "\"$winexe\" -x \"%1\"" \
    "$(reg_value 'HKLM\Software\Classes\VeltraneClientTools.Request\shell\open\command')"
"$WINE_RUN" reg query 'HKLM\Software\Classes\veltrane-client-tools' /v 'URL Protocol' </dev/null >"$R/protocol" 2>&1
expect_contains "install: the link scheme is a URL protocol" "URL Protocol" "$R/protocol"
expect_eq "install: opening a link" "\"$winexe\" \"%1\"" \
    "$(reg_value 'HKLM\Software\Classes\veltrane-client-tools\shell\open\command')"

# A link and a request file, opened as a browser hands them to the shell: the installed program carries out the
# images request, and the imaging program (a recorder) gets exactly its command line.
mkdir -p "$R/Dental Eye"
cp "$recorder" "$R/Dental Eye/cmdlink.exe"
folder="$(winpath "$R/Dental Eye")\\"
wine_settings "$R" "server_ip=practice.example" "dentaleye_enabled=True" "dentaleye_program=$folder"
export VELTRANE_RECORDER_OUT
VELTRANE_RECORDER_OUT="$(winpath "$R/record")"
{
    printf '\xff\xfe'
    printf '[settings]\r\naction=images\r\npatient_id=1042\r\nforenames=Anna\r\nsurname=Berg\r\ndob=19800102\r\ngender=F\r\n' |
        iconv -f UTF-8 -t UTF-16LE
} >"$R/download.veltrane-request"
expected="cmd \"${folder}cmdlink.exe\" /ID=1042 /FN=Anna /LN=Berg /BD=19800102 /Sex=F"
for what in link file; do
    rm -f "$R/record"
    if [ "$what" = link ]; then
        "$WINE_RUN" start /wait 'veltrane-client-tools:images?patient_id=1042&forenames=Anna&surname=Berg&dob=19800102&gender=F' \
            </dev/null >"$R/start.out" 2>&1 || true
    else
        "$WINE_RUN" start /wait "$(winpath "$R/download.veltrane-request")" </dev/null >"$R/start.out" 2>&1 || true
    fi
    if wait_for 60 test -s "$R/record"; then
        expect_eq "start of a $what: the imaging program's command line" "$expected" "$(head -n 1 "$R/record" | tr -d '\r')"
    else
        fail "start of a $what: the imaging program was not started ($(cat "$R/start.out"))"
    fi
done
# Wherever this Wine keeps the user's temporary folder: no request file of a link is left on the drive.
expect_eq "start of a link: its request file is removed" "" \
    "$(find "$WINEPREFIX/drive_c" -name 'veltrane-link-*' 2>/dev/null)"

# --check of the installed program: a good set-up, then one with one of each fault.
need python3
test_server "$R/http.port" http
test_server "$R/silent.port" silent
good="127.0.0.1:$(cat "$R/http.port")"
silent="127.0.0.1:$(cat "$R/silent.port")"
installed_log="$WINEPREFIX/drive_c/users/Public/Documents/clienttools.log"
check() {  # check NAME=VALUE...: --check with these settings; exit code in $code, the report in $R/check
    wine_settings "$R" "$@"
    code=0
    "$WINE_RUN" "$installed" --check </dev/null >"$R/check.raw" 2>"$R/check.err" || code=$?
    tr -d '\r' <"$R/check.raw" >"$R/check"
}
cp "$recorder" "$R/Dental Eye/SCANORA.exe"
check "server_ip=$good" "dentaleye_enabled=True" "dentaleye_program=$folder"
expect_eq "--check, good set-up: exit code" 0 "$code"
expect_eq "--check, good set-up: every line ok" \
"ok: DentalEye: program ${folder}cmdlink.exe can be started
ok: appointment card printer is not chosen: its prints go to the default printer
ok: receipt printer is not chosen: its prints go to the default printer
ok: practice server http://$good/ answers
ok: shared log C:\users\Public\Documents\clienttools.log can be written" "$(cat "$R/check")"
mv "$installed_log" "$installed_log.kept"
mkdir "$installed_log"
check "server_ip=$silent" "dentaleye_enabled=True" "dentaleye_program=$(winpath "$R/nowhere")\\" \
    "scanora_enabled=True" "scanora_program=$folder" "scanora_images=$(winpath "$R/gone")\\" \
    "apptcard_printer=No Such Printer"
rmdir "$installed_log"
mv "$installed_log.kept" "$installed_log"
expect_eq "--check, faults: exit code" 1 "$code"
for line in "PROBLEM: DentalEye: program $(winpath "$R/nowhere")\\cmdlink.exe cannot be started" \
    "PROBLEM: Scanora: exchange folder $(winpath "$R/gone") cannot be written" \
    "ok: Scanora: program ${folder}SCANORA.exe" \
    "PROBLEM: appointment card printer No Such Printer is not installed" \
    "PROBLEM: practice server http://$silent/ does not answer: no answer within 4 seconds" \
    "PROBLEM: shared log C:\users\Public\Documents\clienttools.log cannot be written"; do
    expect_contains "--check, faults: ${line%%:*}: ${line#*: }" "$line" "$R/check"
done
# The user's settings as they were before the install, which the uninstall must keep.
wine_settings "$R" "server_ip=practice.example"

log="$WINEPREFIX/drive_c/users/Public/Documents/clienttools.log"
[ -f "$log" ] && pass "install: the shared log in the shared Documents" || fail "install: $log is missing"
printf 'a line of the record\r\n' >>"$log"

# ---- A rebuilt package of the same version replaces the installed one.
bash "$SOURCE_DIR/packaging/windows/make-msi.sh" "$program" 4.26.0 "$R/rebuilt.msi" >"$R/make.log" 2>&1 ||
    fail "rebuilt package: $(cat "$R/make.log")"
code=0
"$WINE_RUN" msiexec /i "$(winpath "$R/rebuilt.msi")" /qn </dev/null >"$R/upgrade.log" 2>&1 || code=$?
expect_eq "upgrade: exit code" 0 "$code"
expect_eq "upgrade: still one product" 1 "$(products)"
[ -f "$installed" ] && pass "upgrade: the program is in place" || fail "upgrade: $installed is missing"
expect_eq "upgrade: the log keeps its lines" "a line of the record" "$(tr -d '\r' <"$log" 2>&1)"

# ---- Uninstall removes the program and keeps the user's settings and the shared log.
code=0
"$WINE_RUN" msiexec /x "$(winpath "$R/rebuilt.msi")" /qn </dev/null >"$R/uninstall.log" 2>&1 || code=$?
expect_eq "uninstall: exit code" 0 "$code"
[ ! -e "$installed" ] && pass "uninstall: the program is gone" || fail "uninstall: $installed is left"
[ ! -e "$(dirname "$installed")" ] && pass "uninstall: its folder is gone" || fail "uninstall: the folder is left"
! shortcut_exists && pass "uninstall: the Start-menu entry is gone" || fail "uninstall: the Start-menu entry is left"
expect_eq "uninstall: no product" 0 "$(products)"
for key in .veltrane-request VeltraneClientTools.Request veltrane-client-tools; do
    "$WINE_RUN" reg query "HKLM\Software\Classes\\$key" </dev/null >/dev/null 2>&1 &&
        fail "uninstall: HKLM\Software\Classes\\$key is left" || pass "uninstall: $key is gone"
done
expect_eq "uninstall: the log is the practice's record, and stays" "a line of the record" "$(tr -d '\r' <"$log" 2>&1)"
"$WINE_RUN" reg query 'HKCU\Software\Veltrane' /v server_ip </dev/null >"$R/settings" 2>&1
grep -q practice.example "$R/settings" && pass "uninstall: the user's settings are kept" ||
    fail "uninstall: the settings are gone: $(cat "$R/settings")"

finish
