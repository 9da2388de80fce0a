#!/usr/bin/env bash
# The window as a screen reader finds it over AT-SPI: the program on a private X server and session bus with the
# accessibility bus, walked with pyatspi. Every control named, edits labelled by their label, the page tabs listed.
source "$(dirname "$0")/lib.sh"
set +e
keep_going
skip_without Xvfb dbus-run-session
launcher=/usr/libexec/at-spi-bus-launcher
[ -x "$launcher" ] || { echo "SKIP: at-spi-bus-launcher is missing"; exit 77; }
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "SKIP: python3-pyatspi is missing"; exit 77; }

start_xvfb "$E2E_DIR/x" -screen 0 1024x768x24
write_settings '"dexis_enabled"="True"' '"dexis_program"="/opt/dexis/"'
walk="$E2E_DIR/walk.txt"
# The bridge stays on without a screen reader to ask for it; the program ends with its session bus.
QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 VELTRANE_BROWSER_MODULE=/nonexistent \
    dbus-run-session -- bash -c '
    "$1" --launch-immediately & launcher=$!
    "$2" & program=$!
    /usr/bin/python3 "$3" 30 >"$4"; status=$?
    kill "$program" "$launcher" 2>/dev/null
    exit $status' walk "$launcher" "$PROGRAM" "$(dirname "$0")/atspi_walk.py" "$walk" 2>"$E2E_DIR/walk.err"
status=$?
[ "$status" -eq 0 ] || fail "the walk found no window: $(tail -5 "$E2E_DIR/walk.err")"
cat "$walk"

# expect_line ROLE NAME [LABEL]: the walk met a control of that role and name (labelled by LABEL).
expect_line() {
    if grep -qxF "$(printf '%s\t%s\t%s\t' "$1" "$2" "${3:-}")" <(cut -f1-3 "$walk" | sed 's/$/\t/'); then
        pass "$1 \"$2\""
    else
        fail "no $1 named \"$2\"${3:+ labelled by \"$3\"}"
    fi
}
expect_line "page tab list" ""
expect_line "page tab" "Printers"
expect_line "page tab" "Choose Imaging System"
expect_line "page tab" "Dexis"
# The toolkit's list answers no relations of its own; the label still names it.
expect_line "list" "Default printer"
expect_line "combo box" "Receipt type:" "Receipt type:"
expect_line "text" "Program Location:" "Program Location:"
expect_line "check box" "Dexis: Enabled"
expect_line "push button" "Dexis: Program Location: Browse…"
expect_line "push button" "DONE"
tabs="$(grep -c '^page tab	' "$walk")"
expect_eq "page tabs" 28 "$tabs"
expect_eq "selected outer tab" "Printers" "$(awk -F'\t' '$1 == "page tab" && $4 == "selected" {print $2}' "$walk" | head -n 1)"
unnamed="$(awk -F'\t' '$1 != "page tab list" && $2 == ""' "$walk")"
expect_eq "controls without a name" "" "$unnamed"
finish
