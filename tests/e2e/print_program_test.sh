#!/usr/bin/env bash
# A print request through the real program on a private X server, pressed like a user: the page prints when it
# has loaded, "Print Again" prints it once more, DONE puts the workstation back and ends the program. Also a
# request killed before DONE, which the next start of the program puts back.
#   print_program_test.sh PROGRAM
# Exits 77 (skipped) only when no private CUPS scheduler can be started (not root, or CUPS/cups-pdf missing).
# PRINT_SCREENSHOT=FILE keeps a picture of the window with the loaded page; KEEP_WORK=1 keeps the work folder
# (logs, PDFs, a picture of the screen at each failure).
source "$(dirname "$0")/lib.sh"
set +e
keep_going
need xdotool pdftotext import
program=$PROGRAM
work=$E2E_DIR
settings_file=$SETTINGS
source "$(dirname "$0")/print_lib.sh"

app_pid=
# The program leads its own process group, so the browser engine's helpers go with it.
at_exit '[ -z "$app_pid" ] || kill -9 -- "-$app_pid" 2>/dev/null'
# What the screen showed, for KEEP_WORK=1 runs.
on_failure() { [ -z "${DISPLAY:-}" ] || import -window root "$work/failure-$1.png" 2>/dev/null; }

start_xvfb "$work" -screen 0 1024x768x24 -dpi 96

# The settings file as a workstation has it: printers and print types chosen, the log on, one imaging system
# (a stand-in that notes how it was started and ends at once), and a page setup the user made. A Windows
# program would be run through Wine, whose server outlives the test.
printf '#!/bin/sh\nprintf "[%%s]" "$@" >> %s\necho >> %s\n' "$work/romexis.args" "$work/romexis.args" > "$work/romexis"
chmod 755 "$work/romexis"
printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
    '[HKEY_CURRENT_USER\Software\Veltrane]' \
    '"logging_enabled"="True"' \
    '"apptcard_printer"="vtZebra"' \
    '"appt_type"="Dedicated"' \
    '"receipt_printer"="vtEpson"' \
    '"receipt_type"="Normal"' \
    '"romexis_enabled"="True"' \
    "\"romexis_program\"=\"$work/romexis\"" \
    '' \
    '[HKEY_CURRENT_USER\Software\Veltrane\PageSetup]' \
    '"header"="&w&bPage &p of &P"' \
    '"margin_top"="0.750000"' \
    '"margin_left"="0.750000"' \
    '' > "$settings_file"

page_setup_value() {  # name: the value in the page-setup key of the settings file
    tr -d '\r' < "$settings_file" | awk -v n="\"$1\"" '
        /^\[/ { inside = ($0 == "[HKEY_CURRENT_USER\\Software\\Veltrane\\PageSetup]"); next }
        inside && index($0, n "=") == 1 { v = substr($0, length(n) + 2); gsub(/^"|"$/, "", v); print v }'
}
request() {  # file action type patient
    printf '[settings]\r\naction=%s\r\ntype=%s\r\npatient_id=%s\r\n' "$2" "$3" "$4" > "$1"
}
default_printer() { lpstat -d; }
start_program() {  # arguments; the program in its own process group, standard error in $work/app.err
    setsid "$program" "$@" 2> "$work/app.err" &
    app_pid=$!
    app_started=$(now_ms)
}
program_died() {
    fail "the program ended early: $(cat "$work/app.err") $(xvfb_state)"
    wait "$app_pid" 2>/dev/null
    app_pid=
}
windows() { xdotool search --onlyvisible --name '^Veltrane Client Tools$' 2>/dev/null; }
main_window() {  # the visible window of the title with the main window's fixed size
    local w
    for w in $(windows); do
        xdotool getwindowgeometry "$w" 2>/dev/null | grep -q 'Geometry: 570x490' && { echo "$w"; return 0; }
    done
    return 1
}
window_or_end() { ended "$app_pid" || window=$(main_window); }
find_window() {  # sets window
    window=
    wait_for 60 window_or_end && [ -n "$window" ]
}
pdfs_or_end() {  # printer count
    [ "$(pdf_count "$1")" -ge "$2" ] || { [ -n "$app_pid" ] && ended "$app_pid"; }
}
wait_pdfs() {  # printer count [seconds]
    wait_for "${3:-60}" pdfs_or_end "$1" "$2" && [ "$(pdf_count "$1")" -ge "$2" ]
}
others() { windows | grep -vx "$window"; }
no_others() { [ -z "$(others)" ]; }
user_time() { xprop -id "$window" _NET_WM_USER_TIME 2>/dev/null; }
user_time_changed() { [ "$(user_time)" != "$1" ]; }
# caught_up: the program has handled all it was doing before now. A click on the window's title (which does
# nothing) makes the toolkit stamp the window with the click's time; events are handled in order, so a box the
# program was about to show is on the screen once the stamp has changed.
caught_up() {
    local before
    before=$(user_time)
    click_control Label1
    wait_for 10 user_time_changed "$before" || fail "the window did not take a click on its title $(xvfb_state)"
}
no_message_box() {  # what was done: another window of the title is the error report of that
    local w
    caught_up
    for w in $(others); do
        fail "$1 raised an error report: $(xdotool getwindowgeometry "$w" 2>&1 | tr '\n' ' ')"
    done
}
# Clicks the middle of a control, given by its rectangle in the window's client area.
click() {  # x y width height
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool mousemove $((X + $1 + $3 / 2)) $((Y + $2 + $4 / 2)) click 1
}
# Clicks a control by its name, at the place the window table gives it; a page sits inside its page control's
# frame (4) below one row of tabs (22 + 2).
click_control() {  # name
    local place
    place=$("$(dirname "$program")/window-table" place "$1") || fail "no place for $1 in the window table"
    read -r cx cy cw ch pages <<<"$place"
    click $((cx + pages * 4)) $((cy + pages * 24)) "$cw" "$ch"
}
click_print_again() { click_control ColorButton2; }
click_done() { click_control ColorButton1; }
wait_exit() {  # seconds; sets exit_code
    if ! wait_for "$1" ended "$app_pid"; then
        exit_code=timeout
        return 1
    fi
    wait "$app_pid"
    exit_code=$?
    # Anything of its group still about (the engine's helpers) goes now.
    kill -9 -- "-$app_pid" 2>/dev/null
    app_pid=
}

# 1. An appointment card on a dedicated printer: printed on load, printed again, DONE.
request "$work/appt.ini" print apptcard 1234
start_program -x "$work/appt.ini" -s "$server"
if ! find_window; then
    program_died
elif ! wait_pdfs vtZebra 1; then
    fail "no PDF on vtZebra after the page loaded: $(cat "$work/app.err")"
else
    first_print_ms=$(($(now_ms) - app_started))
    no_message_box "the print on load"
    expect_eq "default printer during the print" "system default destination: vtZebra" "$(default_printer)"
    expect_eq "header during the print" "" "$(page_setup_value header)"
    expect_eq "top margin during the print" 0 "$(page_setup_value margin_top)"
    if [ -n "${PRINT_SCREENSHOT:-}" ]; then
        import -window "$window" "$PRINT_SCREENSHOT" || fail "no picture of the window"
    fi
    clicked=$(now_ms)
    click_print_again
    wait_pdfs vtZebra 2 || fail "Print Again did not print a second PDF (found $(pdf_count vtZebra))"
    print_again_ms=$(($(now_ms) - clicked))
    no_message_box "Print Again"
    clicked=$(now_ms)
    click_done
    wait_exit 30 || fail "the program did not end after DONE"
    done_ms=$(($(now_ms) - clicked))
    expect_eq "exit code after DONE" 0 "$exit_code"
fi
[ -n "$app_pid" ] && { kill -9 -- "-$app_pid" 2>/dev/null; app_pid=; }
wait_jobs_done
expect_eq "PDFs on vtZebra" 2 "$(pdf_count vtZebra)"
expect_eq "PDFs on vtOffice" 0 "$(pdf_count vtOffice)"
expect_eq "PDFs on vtEpson" 0 "$(pdf_count vtEpson)"
if [ "$(pdf_count vtZebra)" -gt 0 ]; then
    pdf=$(newest_pdf vtZebra)
    pdftotext "$pdf" - | grep -q 'Appointment card for patient 1234' || fail "the card's text is not in the PDF"
    left=$(first_word_left "$pdf")
    awk -v x="$left" 'BEGIN { exit !(x != "" && x < 1) }' || fail "dedicated print has a left margin of '$left' pt"
fi
expect_eq "default printer after DONE" "system default destination: vtOffice" "$(default_printer)"
expect_eq "header restored" '&w&bPage &p of &P' "$(page_setup_value header)"
expect_eq "top margin restored" 0.750000 "$(page_setup_value margin_top)"
expect_eq "left margin restored" 0.750000 "$(page_setup_value margin_left)"
expect_eq "right margin (absent before) gets the usual value back" 0.750000 "$(page_setup_value margin_right)"
expect_eq "footer (absent before) gets the usual value back" '&u&b&d' "$(page_setup_value footer)"
expect_eq "activity log of the print" "$card_print_log" "$(log_messages)"
grep -q 'GET /veltrane_docs/store/1234/apptcard.html cache-control=no-cache pragma=no-cache' "$work/http.log" ||
    fail "the page was not requested bypassing the cache: $(cat "$work/http.log")"

# 2. A receipt on a normal printer keeps the page setup's margins (0.75 inch = 54 pt).
request "$work/receipt.ini" print receipt 9
start_program -x "$work/receipt.ini" -s "$server"
if ! find_window; then
    program_died
elif ! wait_pdfs vtEpson 1; then
    fail "no PDF on vtEpson after the page loaded: $(cat "$work/app.err")"
else
    expect_eq "default printer during the receipt" "system default destination: vtEpson" "$(default_printer)"
    click_done
    wait_exit 30 || fail "the program did not end after DONE"
    expect_eq "exit code after DONE" 0 "$exit_code"
    pdf=$(newest_pdf vtEpson)
    pdftotext "$pdf" - | grep -q 'Receipt 9 paid in full' || fail "the receipt's text is not in the PDF"
    left=$(first_word_left "$pdf")
    awk -v x="$left" 'BEGIN { exit !(x > 50 && x < 58) }' || fail "normal print should have a 54 pt margin, has '$left' pt"
fi
[ -n "$app_pid" ] && { kill -9 -- "-$app_pid" 2>/dev/null; app_pid=; }
expect_eq "default printer after the receipt" "system default destination: vtOffice" "$(default_printer)"

# 3. Killed before DONE: a start while it runs leaves its print alone; the next start after it died restores.
printf '[settings]\r\naction=images\r\npatient_id=1234\r\nforenames=Anna\r\nsurname=Berg\r\ndob=19800102\r\n' \
    > "$work/images.ini"
run_images() {  # a start that runs to its end without a window
    timeout 60 "$program" -x "$work/images.ini" > /dev/null 2> "$work/images.err"
}
before=$(pdf_count vtZebra)
start_program -x "$work/appt.ini" -s "$server"
if ! find_window || ! wait_pdfs vtZebra $((before + 1)); then
    fail "the request to be killed did not print: $(cat "$work/app.err")"
else
    expect_eq "default printer during the print" "system default destination: vtZebra" "$(default_printer)"
    : > "$LOG"
    run_images
    expect_eq "exit code of a start beside the print" 0 $?
    expect_eq "a start while the print runs restores nothing" "system default destination: vtZebra" \
        "$(default_printer)"
    grep -q 'Restore' "$LOG" && fail "a start while the print runs logged a restore: $(log_messages)"
    disown "$app_pid"  # its end by the signal is expected: no job report
    kill -9 "$app_pid"
    wait_for 5 ended "$app_pid"
    kill -9 -- "-$app_pid" 2>/dev/null
    app_pid=
    expect_eq "a killed request leaves the switch behind" "system default destination: vtZebra" \
        "$(default_printer)"
    expect_eq "a killed request leaves the header cleared" "" "$(page_setup_value header)"
    : > "$LOG"
    run_images
    expect_eq "exit code of the restoring start" 0 $?
    expect_eq "default printer restored at the next start" "system default destination: vtOffice" \
        "$(default_printer)"
    expect_eq "header restored at the next start" '&w&bPage &p of &P' "$(page_setup_value header)"
    expect_eq "top margin restored at the next start" 0.750000 "$(page_setup_value margin_top)"
    expect_eq "log of the restoring start" '=== Load Client Tools ===
Restore after an interrupted print request
Restore default printer vtOffice
Restore page setup
Done restore after an interrupted print request
Parse ini file
images
Start loading imaging romexis
resetProgram
*** Done resetProgram + close ***' "$(log_messages)"
    # Both starts ran the imaging bridge; the program is started detached, so give it a moment to note itself.
    wait_for 5 sh -c '[ "$(wc -l < "$1")" = 2 ]' _ "$work/romexis.args"
    expect_eq "imaging program runs" '[1234][Berg][Anna][19800102]
[1234][Berg][Anna][19800102]' "$(cat "$work/romexis.args" 2>/dev/null)"
fi
[ -n "$app_pid" ] && { kill -9 -- "-$app_pid" 2>/dev/null; app_pid=; }

# 4. A page that cannot be loaded is reported in a message box and not printed; after OK, DONE still restores.
before=$(pdf_count vtZebra)
request "$work/missing.ini" print apptcard 404
start_program -x "$work/missing.ini" -s "$server"
if ! find_window; then
    program_died
else
    box_or_end() { box=$(others | head -1); [ -n "$box" ] || ended "$app_pid"; }
    box=
    wait_for 60 box_or_end
    if [ -z "$box" ]; then
        fail "a page that could not be loaded was not reported: $(cat "$work/app.err")"
    else
        xdotool windowfocus --sync "$box" key Return
        wait_for 10 no_others
        no_message_box "OK in the error report"
    fi
    expect_eq "default printer while the missing page is shown" "system default destination: vtZebra" \
        "$(default_printer)"
    expect_eq "nothing printed for a missing page" "$before" "$(pdf_count vtZebra)"
    # The document is there now (the server had a bad moment): Print Again loads it and prints it.
    mkdir -p "$www/veltrane_docs/store/404"
    cp "$www/veltrane_docs/store/1234/apptcard.html" "$www/veltrane_docs/store/404/apptcard.html"
    click_print_again
    wait_for 60 sh -c '[ "$(find "$1" -name "*.pdf" | wc -l)" -gt "$2" ]' _ "$E2E_DIR/cups/out/vtZebra" "$before" ||
        fail "Print Again after a failed load printed nothing"
    no_message_box "Print Again after a failed load"
    click_done
    wait_exit 30 || fail "the program did not end after DONE following a failed load"
    expect_eq "exit code after DONE following a failed load" 0 "$exit_code"
fi
[ -n "$app_pid" ] && { kill -9 -- "-$app_pid" 2>/dev/null; app_pid=; }
wait_jobs_done
expect_eq "default printer after a failed load" "system default destination: vtOffice" "$(default_printer)"
expect_eq "header after a failed load" '&w&bPage &p of &P' "$(page_setup_value header)"

# 5. No display: the request is refused before anything is switched, with one log line saying why.
: > "$LOG"
env -u DISPLAY timeout 60 "$program" -x "$work/appt.ini" -s "$server" > /dev/null 2> "$work/nodisplay.err"
expect_eq "exit code without a display" 2 $?
grep -q 'The print window cannot be shown: no display is available' "$work/nodisplay.err" ||
    fail "no reason on standard error: $(cat "$work/nodisplay.err")"
expect_eq "default printer after a run without a display" "system default destination: vtOffice" "$(default_printer)"
expect_eq "header after a run without a display" '&w&bPage &p of &P' "$(page_setup_value header)"
expect_eq "top margin after a run without a display" 0.750000 "$(page_setup_value margin_top)"
expect_eq "log of a run without a display" '=== Load Client Tools ===
Parse ini file
print
Print request not carried out: The print window cannot be shown: no display is available (neither DISPLAY nor WAYLAND_DISPLAY is set)' "$(log_messages)"
: > "$LOG"
run_images
expect_eq "the next start has nothing to restore" '=== Load Client Tools ===
Parse ini file
images
Start loading imaging romexis
resetProgram
*** Done resetProgram + close ***' "$(log_messages)"

# 4b. A paused printer: the status says the card was sent and waits (the log has why); once the queue is resumed it
# prints, and DONE still puts everything back.
: > "$LOG"
cupsdisable vtZebra
before=$(pdf_count vtZebra)
start_program -x "$work/appt.ini" -s "$server"
if ! find_window; then
    program_died
else
    paused_logged() { log_messages | grep -q '^Print waits on vtZebra: the printer vtZebra is paused or stopped'; }
    wait_for 60 paused_logged || fail "a paused printer was not said: $(log_messages | tail -n 3 | paste -sd'|')"
    expect_eq "nothing printed while the printer is paused" "$before" "$(pdf_count vtZebra)"
    cupsenable vtZebra
    wait_pdfs vtZebra $((before + 1)) || fail "the card did not print once the printer was resumed"
    no_message_box "a paused printer"
    click_done
    wait_exit 30 || fail "the program did not end after DONE following a paused printer"
fi
[ -n "$app_pid" ] && { kill -9 -- "-$app_pid" 2>/dev/null; app_pid=; }
cupsenable vtZebra
wait_jobs_done
expect_eq "default printer after a paused printer" "system default destination: vtOffice" "$(default_printer)"

# 4c. The card's printer is not installed: nothing prints on another printer until the user presses Print Again,
# which prints once on the default printer.
sed -i 's/"apptcard_printer"="vtZebra"/"apptcard_printer"="vtGone"/' "$settings_file"
: > "$LOG"
office=$(pdf_count vtOffice) zebra=$(pdf_count vtZebra) epson=$(pdf_count vtEpson)
start_program -x "$work/appt.ini" -s "$server"
if ! find_window; then
    program_died
else
    missing_logged() { log_messages | grep -q '^Printer vtGone is not installed: nothing is printed until Print Again'; }
    wait_for 30 missing_logged || fail "the missing printer was not logged: $(log_messages | paste -sd'|')"
    caught_up
    click_print_again
    wait_pdfs vtOffice $((office + 1)) || fail "Print Again did not print on the default printer"
    wait_jobs_done
    expect_eq "missing printer: one print on the default printer, after Print Again" $((office + 1)) "$(pdf_count vtOffice)"
    expect_eq "missing printer: nothing on the card printer" "$zebra" "$(pdf_count vtZebra)"
    expect_eq "missing printer: nothing on the receipt printer" "$epson" "$(pdf_count vtEpson)"
    click_done
    wait_exit 30 || fail "the program did not end after DONE following a missing printer"
fi
[ -n "$app_pid" ] && { kill -9 -- "-$app_pid" 2>/dev/null; app_pid=; }
sed -i 's/"apptcard_printer"="vtGone"/"apptcard_printer"="vtZebra"/' "$settings_file"
expect_eq "default printer after a missing printer" "system default destination: vtOffice" "$(default_printer)"

# 4d. The old default printer is removed while a card is open: DONE cannot put it back and says so, "Close Anyway"
# ends the program; the next start says which printer is still the default and keeps the record, and once the
# printer is back a start puts it back.
office_uri=$(lpstat -v vtOffice | sed 's/^device for vtOffice: //')
before=$(pdf_count vtZebra)
: > "$LOG"
start_program -x "$work/appt.ini" -s "$server"
if ! find_window || ! wait_pdfs vtZebra $((before + 1)); then
    fail "the card to be closed anyway did not print: $(cat "$work/app.err")"
else
    lpadmin -x vtOffice
    click_done
    box=
    box_or_end() { box=$(others | head -1); [ -n "$box" ] || ended "$app_pid"; }
    wait_for 30 box_or_end
    if [ -z "$box" ]; then
        fail "DONE said nothing when the old default printer was gone"
    else
        xdotool windowfocus --sync "$box" key Return
        wait_for 10 no_others
        caught_up
        click_control ButtonCloseAnyway
        wait_exit 30 || fail "Close Anyway did not end the program"
        expect_eq "exit code after Close Anyway" 0 "$exit_code"
    fi
fi
[ -n "$app_pid" ] && { kill -9 -- "-$app_pid" 2>/dev/null; app_pid=; }
expect_eq "default printer after Close Anyway" "system default destination: vtZebra" "$(default_printer)"
: > "$LOG"
env -u DISPLAY timeout 60 "$program" -x "$work/images.ini" > /dev/null 2> "$work/restore.err"
grep -q 'vtZebra is still the default printer' "$work/restore.err" ||
    fail "the start that could not restore did not say so: $(cat "$work/restore.err")"
log_messages | grep -q '^Restore not complete, tried again at the next start: ' ||
    fail "the start that could not restore did not log why: $(log_messages | paste -sd'|')"
expect_eq "default printer after a start that could not restore" "system default destination: vtZebra" "$(default_printer)"
lpadmin -p vtOffice -E -v "$office_uri" -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd \
    -o pdftops-renderer-default=pdftocairo 2>/dev/null
: > "$LOG"
env -u DISPLAY timeout 60 "$program" -x "$work/images.ini" > /dev/null 2> "$work/restore.err"
expect_eq "default printer once the printer is back" "system default destination: vtOffice" "$(default_printer)"
log_messages | grep -q '^Done restore after an interrupted print request' ||
    fail "the restore once the printer is back was not logged: $(log_messages | paste -sd'|')"

# 5b. A dry run of a print changes nothing on the workstation: no log line, no setting (not even the server's
# address), no printer, no window left waiting; its lines say what a real run would do, and it ends.
: > "$LOG"
cp "$settings_file" "$work/settings.before"
code=0
timeout 60 "$program" --dry-run -x "$work/appt.ini" -s 10.9.9.9 > "$work/dry.out" 2> "$work/dry.err" || code=$?
expect_eq "dry run of a print: exit code" 0 "$code"
expect_eq "dry run of a print: the settings file" "same" "$(cmp -s "$settings_file" "$work/settings.before" && echo same)"
expect_eq "dry run of a print: the log" "" "$(cat "$LOG")"
expect_eq "dry run of a print: what it would print" 1 "$(grep -c '"effect":"print","printer":"vtZebra"' "$work/dry.out")"
expect_eq "dry run of a print: what it would put back" 1 "$(grep -c '"effect":"default-printer","value":"vtOffice' "$work/dry.out")"
expect_eq "default printer after a dry run" "system default destination: vtOffice" "$(default_printer)"

# 6. A card and a receipt started at the same moment, twenty times: the X server refuses a connection now and then
# when two programs connect at once, and neither request may be lost for it. Each pair is ended by killing it;
# the start after the last pair puts the workstation back.
request "$work/receipt.ini" print receipt 9
pairs=20 lost=0
for pair in $(seq "$pairs"); do
    zebra=$(pdf_count vtZebra) epson=$(pdf_count vtEpson)
    setsid "$program" -x "$work/appt.ini" -s "$server" 2> "$work/pair-card.err" &
    card_pid=$!
    setsid "$program" -x "$work/receipt.ini" -s "$server" 2> "$work/pair-receipt.err" &
    receipt_pid=$!
    both_printed() {
        [ "$(pdf_count vtZebra)" -gt "$zebra" ] && [ "$(pdf_count vtEpson)" -gt "$epson" ] && return 0
        # A request that ended has nothing more to print.
        { ended "$card_pid" || ended "$receipt_pid"; } && return 0
        return 1
    }
    wait_for 90 both_printed
    if [ "$(pdf_count vtZebra)" -le "$zebra" ] || [ "$(pdf_count vtEpson)" -le "$epson" ]; then
        lost=$((lost + 1))
        card_state=running receipt_state=running
        ended "$card_pid" && { wait "$card_pid"; card_state="ended with $?"; }
        ended "$receipt_pid" && { wait "$receipt_pid"; receipt_state="ended with $?"; }
        echo "pair $pair: card $card_state: $(grep -v XDG_RUNTIME "$work/pair-card.err" | head -5)" >&2
        echo "pair $pair: receipt $receipt_state: $(grep -v XDG_RUNTIME "$work/pair-receipt.err" | head -5)" >&2
        echo "pair $pair: PDFs vtZebra $zebra -> $(pdf_count vtZebra), vtEpson $epson -> $(pdf_count vtEpson); jobs: $(lpstat -o | tr '\n' ' ')" >&2
        echo "pair $pair: log: $(log_messages | tail -n 12 | paste -sd'|')" >&2
        on_failure "pair-$pair"
    fi
    kill -9 -- "-$card_pid" "-$receipt_pid" 2>/dev/null
    wait "$card_pid" "$receipt_pid" 2>/dev/null
done
expect_eq "pairs started together in which both printed" "$pairs" "$((pairs - lost))"
wait_jobs_done
env -u DISPLAY timeout 60 "$program" -x "$work/appt.ini" -s "$server" > /dev/null 2>&1
expect_eq "default printer after the pairs" "system default destination: vtOffice" "$(default_printer)"

if [ -n "${first_print_ms:-}" ] && [ -n "${print_again_ms:-}" ] && [ -n "${done_ms:-}" ]; then
    echo "start to first PDF ${first_print_ms} ms; Print Again to PDF ${print_again_ms} ms; DONE to exit ${done_ms} ms"
fi
finish && echo "print requests in the program: all checks passed"
