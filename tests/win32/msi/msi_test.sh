#!/usr/bin/env bash
# The Windows installer: its tables, then installed, upgraded in place and removed again by msiexec under Wine.
# Usage: msi_test.sh veltrane-client-tools.msi veltrane-client-tools.exe WORKDIR
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
run="$here/../../../scripts/wine-run.sh"
msi="$1"
program="$2"
mkdir -p "$3"
work="$(cd "$3" && pwd)"
for tool in msiinfo wixl; do command -v $tool >/dev/null || { echo "$tool is missing" >&2; exit 1; }; done
rm -rf "$work/run"
mkdir -p "$work/run"
R="$work/run"
# A prefix of its own, so an install never leaks into the other tests; it is made afresh so nothing is left from
# an earlier run, and it is made by copying a pristine one (making one takes half a minute).
if [ ! -f "$work/pristine/.veltrane-ready" ]; then
    rm -rf "$work/pristine"
    WINEPREFIX="$work/pristine" "$run" cmd /c exit </dev/null >/dev/null 2>&1
    # Wine writes a prefix's registry to its files only when the prefix's server ends: a copy made before then
    # has no installer service registered. The server ends by itself a few seconds after its last program.
    WINEPREFIX="$work/pristine" timeout 60 /usr/lib/wine/wineserver64 -w </dev/null >/dev/null 2>&1
    touch "$work/pristine/.veltrane-ready"
fi
rm -rf "$work/prefix"
cp -a "$work/pristine" "$work/prefix"
export WINEPREFIX="$work/prefix"
export LANG=C.UTF-8 LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "ok $1"; }
fail() { failed=$((failed + 1)); echo "FAIL $1" >&2; }
expect_eq() { if [ "$2" == "$3" ]; then pass "$1"; else fail "$1: expected [$2], got [$3]"; fi; }
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
table() { msiinfo export "$1" "$2" | tail -n +4 | tr -d '\r'; }

# ---- The tables.
tables="$(msiinfo tables "$msi" | tr -d '\r' | sort | tr '\n' ' ')"
for t in Component Directory Feature File Shortcut Upgrade Media; do
    [[ " $tables" == *" $t "* ]] && pass "table $t" || fail "table $t missing from: $tables"
done
expect_eq "per machine" "ALLUSERS	1" "$(table "$msi" Property | grep '^ALLUSERS')"
expect_eq "into Program Files" "INSTALLDIR	ProgramFiles64Folder	Veltrane Client Tools" \
    "$(table "$msi" Directory | grep '^INSTALLDIR')"
expect_eq "one file, the program" "veltrane-client-tools.exe" "$(table "$msi" File | cut -f3)"
# Columns: the entry, its folder, its name, its component, then its arguments (none: the configuration window).
expect_eq "the Start-menu entry starts the program without arguments" \
    "StartMenuShortcut	ProgramMenuFolder	Veltrane Client Tools	Program	" \
    "$(table "$msi" Shortcut | cut -f1-4,6)"
expect_eq "no registry values (the users' settings are never touched)" "" "$(table "$msi" Registry)"
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
        name="$("$run" reg query "$key" /v DisplayName </dev/null 2>/dev/null)"
        [[ "$name" == *"Veltrane Client Tools"* ]] && count=$((count + 1))
    done < <("$run" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' </dev/null 2>/dev/null | tr -d '\r')
    echo "$count"
}

# ---- Install, quietly, as a practice rolls it out.
"$run" reg add 'HKCU\Software\Veltrane' /v server_ip /d practice.example /f </dev/null >/dev/null 2>&1
code=0
"$run" msiexec /i "$(winpath "$msi")" /qn </dev/null >"$R/install.log" 2>&1 || code=$?
expect_eq "install: exit code" 0 "$code"
[ -f "$installed" ] && pass "install: the program is in Program Files" || fail "install: $installed is missing"
shortcut_exists && pass "install: the Start-menu entry" || fail "install: no Start-menu entry: ${shortcuts[*]}"
ls "$(dirname "$installed")" >"$R/files"
expect_eq "install: nothing beside the program" "veltrane-client-tools.exe" "$(cat "$R/files")"
"$run" "$installed" --version </dev/null >"$R/version" 2>&1
expect_eq "install: the installed program runs" "veltrane-client-tools 4.26" "$(tr -d '\r' <"$R/version")"
expect_eq "install: one product" 1 "$(products)"

# ---- A rebuilt package of the same version replaces the installed one.
bash "$here/../../../packaging/windows/make-msi.sh" "$program" 4.26.0 "$R/rebuilt.msi" >"$R/make.log" 2>&1 ||
    fail "rebuilt package: $(cat "$R/make.log")"
code=0
"$run" msiexec /i "$(winpath "$R/rebuilt.msi")" /qn </dev/null >"$R/upgrade.log" 2>&1 || code=$?
expect_eq "upgrade: exit code" 0 "$code"
expect_eq "upgrade: still one product" 1 "$(products)"
[ -f "$installed" ] && pass "upgrade: the program is in place" || fail "upgrade: $installed is missing"

# ---- Uninstall removes the program and keeps the user's settings.
code=0
"$run" msiexec /x "$(winpath "$R/rebuilt.msi")" /qn </dev/null >"$R/uninstall.log" 2>&1 || code=$?
expect_eq "uninstall: exit code" 0 "$code"
[ ! -e "$installed" ] && pass "uninstall: the program is gone" || fail "uninstall: $installed is left"
[ ! -e "$(dirname "$installed")" ] && pass "uninstall: its folder is gone" || fail "uninstall: the folder is left"
! shortcut_exists && pass "uninstall: the Start-menu entry is gone" || fail "uninstall: the Start-menu entry is left"
expect_eq "uninstall: no product" 0 "$(products)"
"$run" reg query 'HKCU\Software\Veltrane' /v server_ip </dev/null >"$R/settings" 2>&1
grep -q practice.example "$R/settings" && pass "uninstall: the user's settings are kept" ||
    fail "uninstall: the settings are gone: $(cat "$R/settings")"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
