#!/usr/bin/env bash
# The DLLs the program imports, which the loader loads and starts before wmain in every run, an images request's
# too: only those an images request uses itself. The window's, the print view's, the printers' and the set-up
# check's DLLs are loaded at their first call, and MinGW's default libraries would quietly bring any of them
# back as an import at start.
# Usage: imports_test.sh OBJDUMP veltrane-client-tools.exe
set -uo pipefail
source "$(dirname "$0")/../../support/lib.sh"
objdump="$1"
program="$2"

imported="$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '[:upper:]' '[:lower:]' | sort | paste -sd' ')"
expect_eq "the DLLs loaded at start" "advapi32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll shell32.dll user32.dll" \
    "$imported"
finish
