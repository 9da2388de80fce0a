#!/usr/bin/env bash
# Images requests with several enabled systems: automatic load runs every bridge in scan order and ends the
# program; without it no bridge runs and the window (here: no display) is wanted.
source "$(dirname "$0")/lib.sh"

REQUEST="$E2E_DIR/request.ini"
printf '[settings]\r\naction=images\r\npatient_id=1042\r\nforenames=Anna\r\nsurname=Berg\r\ndob=19800102\r\ngender=F\r\ntitle=Mrs\r\n[Imaging]\r\nROMEXIS=R-7\r\nvixwin=\r\n' \
    >"$REQUEST"
ENABLED=('"romexis_enabled"="True"' '"vixwin_enabled"="True"' '"digora_enabled"="True"' '"trophy_enabled"="True"'
         '"romexis_program"="/opt/rx/romexis"' '"digora_nameformat"="2"' '"trophy_images"="/srv/tw/"')

# Automatic load: scan order is digora, trophy, vixwin, romexis; the Romexis run uses its own id.
write_settings '"logging_enabled"="True"' '"imaging_autoload"="True"' "${ENABLED[@]}"
code=0
"$PROGRAM" --dry-run -x "$REQUEST" >"$E2E_DIR/out" 2>"$E2E_DIR/err" || code=$?
[ "$code" -eq 0 ] || fail "automatic load: exit code $code ($(cat "$E2E_DIR/err"))"
expect_eq "automatic load effects" '{"effect":"clipboard","text":"$$DFWIN$$ OPEN -n\"Berg, Anna\" -c\"1042\" -r -a"}
{"effect":"launch","verb":"open","file":"tw.exe","parameters":"-P/srv/tw/1042 -NAnna Berg","directory":"","showCommand":1}
{"effect":"launch","verb":"open","file":"vixwin.exe","parameters":"-I 1042 -N Anna^Berg -P ","directory":"","showCommand":1}
{"effect":"launch","verb":"open","file":"/opt/rx/romexis","parameters":"\"R-7\" \"Berg\" \"Anna\" \"19800102\"","directory":"","showCommand":1}' \
    "$(cat "$E2E_DIR/out")"
expect_eq "automatic load log" "images|More than one imaging system, load them all|Start loading imaging digora|Start loading imaging trophy|Start loading imaging vixwin|Start loading imaging romexis|resetProgram|*** Done resetProgram + close ***" \
    "$(dry_log_messages "$E2E_DIR/err" | tail -n 8 | paste -sd'|')"

# Without automatic load (absent, or not exactly True) nothing runs; the selection page needs a display.
for autoload in '' '"imaging_autoload"="true"'; do
    rm -f "$LOG"
    write_settings '"logging_enabled"="True"' $autoload "${ENABLED[@]}"
    code=0
    "$PROGRAM" --dry-run -x "$REQUEST" >"$E2E_DIR/out" 2>"$E2E_DIR/err" || code=$?
    expect_eq "selection effects [$autoload]" "" "$(cat "$E2E_DIR/out")"
    [ "$code" -ne 0 ] || fail "the selection window without a display exited with 0"
    expect_eq "selection log [$autoload]" "images|More than one imaging system, show the selection" \
        "$(dry_log_messages "$E2E_DIR/err" | tail -n 2 | paste -sd'|')"
done

# A bridge error during automatic load stops the remaining runs and is reported; nothing was started.
rm -f "$LOG"
write_settings '"logging_enabled"="True"' '"imaging_autoload"="True"' '"dicom_enabled"="True"' \
    '"dicom_idpad"="abc"' '"myray_enabled"="True"'
code=0
"$PROGRAM" --dry-run -x "$REQUEST" >"$E2E_DIR/out" 2>"$E2E_DIR/err" || code=$?
expect_eq "effects after a bridge error" "" "$(cat "$E2E_DIR/out")"
grep -q "'abc' is not a valid integer value" "$E2E_DIR/err" || fail "error not reported: $(cat "$E2E_DIR/err")"
dry_log_messages "$E2E_DIR/err" | grep -q 'Start loading imaging myray' && fail "myRay ran after the error"
dry_log_messages "$E2E_DIR/err" | grep -q 'resetProgram' && fail "the program ended through resetProgram after an error"

echo "imaging several: all checks passed"
