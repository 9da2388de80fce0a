#!/usr/bin/env bash
# Print requests end to end on a private CUPS scheduler with three PDF printers and a local document server:
# the right document on the right printer with the right page setup, and the workstation left as it was found,
# also when the request's process is killed before DONE.
#   print_request_test.sh PRINT_HARNESS
# Exits 77 (skipped) when no private scheduler can be started (not root, or CUPS/cups-pdf missing).
source "$(dirname "$0")/lib.sh"
set +e
keep_going
harness=$PROGRAM
work=$E2E_DIR
source "$(dirname "$0")/print_lib.sh"
held_pid=
open_pids=()
at_exit '[ -z "$held_pid" ] || kill -9 "$held_pid" 2>/dev/null; for pid in "${open_pids[@]}"; do kill -9 "$pid" 2>/dev/null; done'

registry=$work/registry.txt
setting() { printf '\\Software\\Veltrane\t%s\t%s\n' "$1" "$2" >> "$registry"; }
page_setup() { printf '\\Software\\Veltrane\\PageSetup\t%s\t%s\n' "$1" "$2" >> "$registry"; }
page_setup_value() {
    awk -F'\t' -v n="$1" '$1 == "\\Software\\Veltrane\\PageSetup" && $2 == n { print $3 }' "$registry"
}
request() {  # file type patient [extra lines]
    printf '[settings]\naction=print\ntype=%s\npatient_id=%s\n%s' "$2" "$3" "${4:-}" > "$1"
}
run() {  # harness arguments; standard error kept in $work/err
    QT_QPA_PLATFORM=offscreen timeout 120 "$harness" --registry "$registry" --log "$VELTRANE_SHARED_DIR" "$@" 2> "$work/err"
}
pdfs_at_least() { [ "$(pdf_count "$1")" -ge "$2" ]; }
wait_pdfs() { wait_for 60 pdfs_at_least "$1" "$2"; }  # printer count

setting logging_enabled True
setting apptcard_printer vtZebra
setting appt_type Dedicated
setting receipt_printer vtEpson
setting receipt_type Normal
page_setup header '&w&bPage &p of &P'
page_setup margin_top 0.750000
page_setup margin_left 0.750000

# 1. An appointment card on a dedicated printer, printed again once, then DONE.
request "$work/appt.ini" apptcard 1234
run --print-again 1 -- -x "$work/appt.ini" -s "$server"
expect_eq "exit code after DONE" 0 $?
wait_pdfs vtZebra 2 || fail "two PDFs on vtZebra (print and Print Again); found $(pdf_count vtZebra)"
wait_jobs_done
expect_eq "PDFs on vtOffice" 0 "$(pdf_count vtOffice)"
expect_eq "PDFs on vtEpson" 0 "$(pdf_count vtEpson)"
pdf=$(newest_pdf vtZebra)
pdftotext "$pdf" - | grep -q 'Appointment card for patient 1234' || fail "the card's text is not in the PDF"
left=$(first_word_left "$pdf")
awk -v x="$left" 'BEGIN { exit !(x < 1) }' || fail "dedicated print has a left margin of $left pt"
expect_eq "default printer after DONE" "system default destination: vtOffice" "$(lpstat -d)"
expect_eq "header restored" '&w&bPage &p of &P' "$(page_setup_value header)"
expect_eq "top margin restored" 0.750000 "$(page_setup_value margin_top)"
expect_eq "right margin (absent before) gets the usual value back" 0.750000 "$(page_setup_value margin_right)"
expect_eq "activity log" "$card_print_log" "$(log_messages)"
grep -q 'GET /veltrane_docs/store/1234/apptcard.html cache-control=no-cache pragma=no-cache' "$work/http.log" ||
    fail "the page was not requested bypassing the cache: $(cat "$work/http.log")"

# 2. A receipt on a normal printer keeps the page's margins (0.75 inch = 54 pt).
request "$work/receipt.ini" receipt 9
run -- -x "$work/receipt.ini" -s "$server"
wait_pdfs vtEpson 1 || fail "no PDF on vtEpson"
wait_jobs_done
pdf=$(newest_pdf vtEpson)
pdftotext "$pdf" - | grep -q 'Receipt 9 paid in full' || fail "the receipt's text is not in the PDF"
left=$(first_word_left "$pdf")
awk -v x="$left" 'BEGIN { exit !(x > 50 && x < 58) }' || fail "normal print should have a 54 pt margin, has $left pt"
expect_eq "default printer after the receipt" "system default destination: vtOffice" "$(lpstat -d)"

# 3. Killed before DONE: nothing is restored while it runs; the next start restores.
: > "$LOG"
QT_QPA_PLATFORM=offscreen "$harness" --registry "$registry" --log "$VELTRANE_SHARED_DIR" --hold \
    -- -x "$work/appt.ini" -s "$server" 2> "$work/held.err" &
held_pid=$!
wait_pdfs vtZebra 3 || fail "the held request did not print"
expect_eq "default printer during the print" "system default destination: vtZebra" "$(lpstat -d)"
expect_eq "header during the print" "" "$(page_setup_value header)"
expect_eq "top margin during the print" 0 "$(page_setup_value margin_top)"
run --
expect_eq "a second start while the print runs restores nothing" "system default destination: vtZebra" "$(lpstat -d)"
kill -9 "$held_pid"
wait "$held_pid" 2>/dev/null
held_pid=
expect_eq "a killed request leaves the switch behind" "system default destination: vtZebra" "$(lpstat -d)"
: > "$LOG"
run --
expect_eq "exit code of the restoring start" 0 $?
expect_eq "default printer restored at the next start" "system default destination: vtOffice" "$(lpstat -d)"
expect_eq "header restored at the next start" '&w&bPage &p of &P' "$(page_setup_value header)"
expect_eq "top margin restored at the next start" 0.750000 "$(page_setup_value margin_top)"
expect_eq "log of the restoring start" '=== Load Client Tools ===
Restore after an interrupted print request
Restore default printer vtOffice
Restore page setup
Done restore after an interrupted print request
resetProgram
*** Done resetProgram + close ***' "$(log_messages)"

# 4. A page that is missing or never loads is reported, not printed; DONE still puts everything back.
before=$(pdf_count vtZebra)
request "$work/missing.ini" apptcard 404
run -- -x "$work/missing.ini" -s "$server"
grep -q 'could not be loaded' "$work/err" || fail "a missing page is not reported: $(cat "$work/err")"
request "$work/hang.ini" apptcard 1 'docs_folder=hang
'
VELTRANE_PAGE_LOAD_TIMEOUT_MS=2000 run -- -x "$work/hang.ini" -s "$server"
grep -q 'did not load within 2 seconds' "$work/err" || fail "a page that never loads is not reported: $(cat "$work/err")"
wait_jobs_done
expect_eq "nothing printed for failed loads" "$before" "$(pdf_count vtZebra)"
expect_eq "default printer after failed loads" "system default destination: vtOffice" "$(lpstat -d)"

# 4b. Only pages of the practice server load. Another server (another port) holds a card that must never print.
www2=$work/www2
mkdir -p "$www2/veltrane_docs/store/1234" "$www2/steal/store/1"
cp "$www/veltrane_docs/store/1234/apptcard.html" "$www2/veltrane_docs/store/1234/"
cp "$www/veltrane_docs/store/1234/apptcard.html" "$www2/steal/store/1/"
python3 "$SUPPORT_DIR/doc_server.py" "$www2" "$work/port2" "$work/http2.log" &
http2_pid=$!
at_exit 'kill "$http2_pid" 2>/dev/null'
wait_for 10 test -s "$work/port2" || fail "the second document server did not start"
: > "$work/http2.log"
before=$(pdf_count vtZebra)
#    A redirect to the other port is refused and reported, the other server never asked.
mkdir -p "$www/veltrane_docs/store/302"
echo "http://127.0.0.1:$(cat "$work/port2")/veltrane_docs/store/1234/apptcard.html" \
    > "$www/veltrane_docs/store/302/apptcard.html.redirect"
request "$work/redirect.ini" apptcard 302
run -- -x "$work/redirect.ini" -s "$server"
grep -q "was not loaded and nothing was printed: it is not on the practice server http://127.0.0.1:$(cat "$work/port")" \
    "$work/err" || fail "a redirect away from the server is not reported: $(cat "$work/err")"
grep -q 'GET /veltrane_docs/store/302/apptcard.html' "$work/http.log" || fail "the redirecting page was not asked for"
expect_eq "log line of a refused redirect" 1 "$(log_messages | grep -c '^Page not loaded: The page http://127.0.0.1:.* was not loaded and nothing was printed: it is not on the practice server ')"
#    Without a server (none passed, none stored) the docs folder cannot name a host: the request stops before
#    anything is switched.
request "$work/steal.ini" apptcard 1 "docs_folder=/127.0.0.1:$(cat "$work/port2")/steal
"
grep -v "	server_ip	" "$registry" > "$work/registry.kept"
cp "$work/registry.kept" "$registry"
run -- -x "$work/steal.ini"
grep -q 'No practice server is configured' "$work/err" || fail "a request without a server is not refused: $(cat "$work/err")"
#    The server stored by an earlier request serves this one: the docs folder stays one segment on it.
run -- -x "$work/steal.ini" -s "$server"
grep -q "GET /%2F127.0.0.1%3A$(cat "$work/port2")%2Fsteal/store/1/apptcard.html " "$work/http.log" ||
    fail "the docs folder is not one encoded segment: $(tail -3 "$work/http.log")"
#    Each value is one segment: a way up, a query and a fragment stay inside the patient's folder name.
request "$work/up.ini" apptcard '../../x?y#z'
run -- -x "$work/up.ini" -s "$server"
grep -q 'GET /veltrane_docs/store/..%2F..%2Fx%3Fy%23z/apptcard.html ' "$work/http.log" ||
    fail "the patient ID is not one encoded segment: $(tail -3 "$work/http.log")"
#    A page of the server that frames and opens another server's pages prints, without them.
mkdir -p "$www/veltrane_docs/store/77"
port2=$(cat "$work/port2")
cat > "$www/veltrane_docs/store/77/apptcard.html" <<HTML
<!doctype html><html><body><div>Appointment card for patient 77</div>
<iframe src="http://127.0.0.1:$port2/steal/store/1/apptcard.html"></iframe>
<script>window.open("http://127.0.0.1:$port2/veltrane_docs/store/1234/apptcard.html")</script></body></html>
HTML
request "$work/framed.ini" apptcard 77
run -- -x "$work/framed.ini" -s "$server"
wait_pdfs vtZebra $((before + 1)) || fail "the framing page did not print: $(cat "$work/err")"
before=$((before + 1))
wait_jobs_done
expect_eq "nothing printed from another server" "$before" "$(pdf_count vtZebra)"
expect_eq "the other server was never asked" "" "$(cat "$work/http2.log")"
expect_eq "default printer after refused requests" "system default destination: vtOffice" "$(lpstat -d)"

# 5. Requests open at once. Each is held open until the test presses its DONE (a trigger file), so the order
#    of starting and of DONE is the test's. Each prints on its own printer with its own margins; the workstation
#    goes back to what it was before the first once the last has ended, whatever the order.
request "$work/receipt.ini" receipt 9
start_open() {  # name request; sets pid_<name>
    QT_QPA_PLATFORM=offscreen "$harness" --registry "$registry" --log "$VELTRANE_SHARED_DIR" --hold \
        --done-file "$work/done-$1" -- -x "$2" -s "$server" 2> "$work/$1.err" &
    open_pids+=($!)
    eval "pid_$1=$!"
}
press_done() { : > "$work/done-$1"; }
wait_ended() {  # name: the process has exited; sets ended_code
    local pid
    eval "pid=\$pid_$1"
    if ! wait_for 30 ended "$pid"; then
        fail "$1 did not end after DONE: $(cat "$work/$1.err")"
        return 1
    fi
    wait "$pid"
    ended_code=$?
}
done_handled() { [ "$(grep -c 'still open after DONE' "$work/$1.err")" -ge "$2" ]; }
wait_done_pressed() {  # name count: DONE has been handled count times and the process is still open
    wait_for 30 done_handled "$1" "$2" || fail "$1 did not handle DONE: $(cat "$work/$1.err")"
}
check_newest() {  # printer text margin-test what
    local pdf left
    pdf=$(newest_pdf "$1")
    pdftotext "$pdf" - | grep -q "$2" || fail "$4: '$2' is not in the newest PDF on $1"
    left=$(first_word_left "$pdf")
    awk -v x="$left" "BEGIN { exit !($3) }" || fail "$4: left margin $left pt on $1"
}
expect_as_found() {  # what
    expect_eq "$1: default printer" "system default destination: vtOffice" "$(lpstat -d)"
    expect_eq "$1: header" '&w&bPage &p of &P' "$(page_setup_value header)"
    expect_eq "$1: top margin" 0.750000 "$(page_setup_value margin_top)"
    expect_eq "$1: left margin" 0.750000 "$(page_setup_value margin_left)"
}
overlap() {  # first second staggered first-to-end
    local what="$1 then $2${3:+ (staggered)}, DONE on $4 first" zebra epson other
    zebra=$(pdf_count vtZebra)
    epson=$(pdf_count vtEpson)
    start_open "$1" "$work/$1.ini"
    if [ -n "$3" ]; then
        if [ "$1" = appt ]; then wait_pdfs vtZebra $((zebra + 1)); else wait_pdfs vtEpson $((epson + 1)); fi ||
            fail "$what: the first did not print"
    fi
    start_open "$2" "$work/$2.ini"
    wait_pdfs vtZebra $((zebra + 1)) || fail "$what: no card on vtZebra"
    wait_pdfs vtEpson $((epson + 1)) || fail "$what: no receipt on vtEpson"
    wait_jobs_done
    expect_eq "$what: cards" $((zebra + 1)) "$(pdf_count vtZebra)"
    expect_eq "$what: receipts" $((epson + 1)) "$(pdf_count vtEpson)"
    check_newest vtZebra 'Appointment card for patient 1234' 'x != "" && x < 1' "$what"
    check_newest vtEpson 'Receipt 9 paid in full' 'x > 50 && x < 58' "$what"
    other=$([ "$4" = appt ] && echo receipt || echo appt)
    press_done "$4"
    wait_ended "$4" && expect_eq "$what: exit code of the first DONE" 0 "$ended_code"
    [ "$(lpstat -d)" = "system default destination: vtOffice" ] &&
        fail "$what: the default went back while $other is still open"
    expect_eq "$what: header while $other is open" "" "$(page_setup_value header)"
    press_done "$other"
    wait_ended "$other" && expect_eq "$what: exit code of the last DONE" 0 "$ended_code"
    expect_as_found "$what"
}
overlap appt receipt "" appt
overlap appt receipt "" receipt
overlap receipt appt "" appt
overlap receipt appt "" receipt
overlap appt receipt staggered appt
overlap receipt appt staggered receipt

# 6. Killed (kill -9) while another request is open: the other's DONE restores; both killed: the next start.
for victim in appt receipt; do
    survivor=$([ $victim = appt ] && echo receipt || echo appt)
    zebra=$(pdf_count vtZebra)
    epson=$(pdf_count vtEpson)
    start_open appt "$work/appt.ini"
    start_open receipt "$work/receipt.ini"
    wait_pdfs vtZebra $((zebra + 1)) && wait_pdfs vtEpson $((epson + 1)) || fail "kill $victim: both did not print"
    eval "kill -9 \$pid_$victim"
    wait_ended $victim 2>/dev/null
    run --
    [ "$(lpstat -d)" = "system default destination: vtOffice" ] &&
        fail "kill $victim: a start restored while $survivor is open"
    press_done $survivor
    wait_ended $survivor
    expect_as_found "kill -9 of $victim, DONE on $survivor"
done
zebra=$(pdf_count vtZebra)
epson=$(pdf_count vtEpson)
start_open appt "$work/appt.ini"
start_open receipt "$work/receipt.ini"
wait_pdfs vtZebra $((zebra + 1)) && wait_pdfs vtEpson $((epson + 1)) || fail "both to be killed did not print"
kill -9 "$pid_appt" "$pid_receipt"
wait_ended appt 2>/dev/null
wait_ended receipt 2>/dev/null
run --
expect_as_found "both killed, then a start"

# 7. DONE fails while the old default printer is gone, and succeeds once it is back: it restores that printer.
device=$(lpstat -v vtOffice | sed 's/^device for vtOffice: //')
: > "$LOG"
start_open appt "$work/appt.ini"
wait_pdfs vtZebra $(($(pdf_count vtZebra) + 1)) || fail "the card to fail DONE on did not print"
lpadmin -x vtOffice
press_done appt
wait_done_pressed appt 1
press_done appt
wait_done_pressed appt 2
grep -q "Cannot make 'vtOffice' the default printer: it is no longer installed" "$work/appt.err" ||
    fail "the failed DONE was not reported: $(cat "$work/appt.err")"
expect_eq "log line of each failed DONE" 2 \
    "$(log_messages | grep -cFx "resetProgram failed: Cannot make 'vtOffice' the default printer: it is no longer installed")"
lpadmin -p vtOffice -E -v "$device" -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null
press_done appt
wait_ended appt && expect_eq "exit code of DONE once the printer is back" 0 "$ended_code"
expect_as_found "DONE after two failed ones"

# 8. Each failure leaves one log line with its reason.
: > "$LOG"
run -- -x "$work/missing.ini" -s "$server"
expect_eq "log line of a missing page" \
    "Page not loaded: The page http://$server/veltrane_docs/store/404/apptcard.html could not be loaded: the server has no such document (HTTP 404)" \
    "$(log_messages | grep '^Page not loaded')"
: > "$LOG"
down=127.0.0.1:$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
run -- -x "$work/appt.ini" -s "$down"
expect_eq "log line of a server that is down" \
    "Page not loaded: The page http://$down/veltrane_docs/store/1234/apptcard.html could not be loaded: the server refused the connection: is the practice server running, and is its address right?" \
    "$(log_messages | grep '^Page not loaded')"
grep -q 'ERR_\|jscontent' "$work/err" && fail "an engine code or markup reached the user: $(cat "$work/err")"
: > "$LOG"
cupsreject vtZebra
before=$(pdf_count vtZebra)
run -- -x "$work/appt.ini" -s "$server"
cupsaccept vtZebra
log_messages | grep -q "^Print failed: Cannot print on 'vtZebra': " ||
    fail "a refused job left no log line: $(log_messages)"
wait_jobs_done
expect_eq "nothing printed by a refused job" "$before" "$(pdf_count vtZebra)"
expect_as_found "after the failures"

# 9. Twenty requests in a row, each PDF with its own page's text: never a blank or half-rendered page.
for i in $(seq 1 20); do
    mkdir -p "$www/veltrane_docs/store/r$i"
    printf '<!doctype html><html><body style="margin:0;font:16px sans-serif"><h1>Card number %s</h1>%s</body></html>' \
        "$i" "$(printf '<p>Line of text %s.</p>' $(seq 1 30))" > "$www/veltrane_docs/store/r$i/apptcard.html"
done
for i in $(seq 1 20); do
    before=$(pdf_count vtZebra)
    request "$work/row.ini" apptcard "r$i"
    run -- -x "$work/row.ini" -s "$server"
    wait_pdfs vtZebra $((before + 1)) || { fail "print $i of 20 did not arrive"; continue; }
    wait_jobs_done
    text=$(pdftotext "$(newest_pdf vtZebra)" -)
    grep -q "Card number $i\$" <<< "$text" || fail "print $i of 20 lacks its heading: '$(head -c 200 <<< "$text")'"
    grep -q 'Line of text 30\.' <<< "$text" || fail "print $i of 20 is not complete"
done
finish && echo "print requests: all checks passed"
