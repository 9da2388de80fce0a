#!/usr/bin/env bash
# The program's own options move settings in and out without opening any window.
source "$(dirname "$0")/lib.sh"

printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n"dexis_program"="/opt/dexis/"\r\n"appt_type"="Dedicated"\r\n' >"$E2E_DIR/in.reg"
out="$("$PROGRAM" --import-settings "$E2E_DIR/in.reg" 2>&1)" || fail "import failed: $out"
grep -q 'Imported 2 settings' <<<"$out" || fail "no import summary: $out"

out="$("$PROGRAM" --export-settings - 2>&1)" || fail "export failed: $out"
grep -q '"dexis_program"="/opt/dexis/"' <<<"$out" || fail "exported settings lack the imported value: $out"

set +e
out="$("$PROGRAM" --export-settings 2>&1)"; code=$?
set -e
[ "$code" -eq 1 ] || fail "a missing file name must fail, got $code"
grep -q 'needs a file name' <<<"$out" || fail "no clear message: $out"

set +e
"$PROGRAM" --import-settings "$E2E_DIR/missing.reg" >/dev/null 2>&1; code=$?
set -e
[ "$code" -eq 1 ] || fail "a missing import file must fail, got $code"

# A value the program reads as text, in a type it would refuse at every later request: refused, nothing taken.
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n"appt_type"="Normal"\r\n"dicom_idpad"=dword:00000008\r\n' >"$E2E_DIR/typed.reg"
set +e
out="$("$PROGRAM" --import-settings "$E2E_DIR/typed.reg" 2>&1)"; code=$?
set -e
[ "$code" -eq 1 ] || fail "a refused type must fail the import, got $code"
grep -qF "line 5: \"dicom_idpad\" is dword: but the program reads it only as text" <<<"$out" || fail "no clear message: $out"
out="$("$PROGRAM" --export-settings - 2>&1)" || fail "export failed: $out"
grep -q '"appt_type"="Dedicated"' <<<"$out" || fail "the refused import changed a value: $out"
echo PASS
