#!/usr/bin/env bash
# Print requests end to end on a private CUPS scheduler with three PDF printers and a local document server:
# the right document on the right printer with the right page setup, and the workstation left as it was found,
# also when the request's process is killed before DONE.
#   print_request_test.sh PRINT_HARNESS
# Exits 77 (skipped) when no private scheduler can be started (not root, or CUPS/cups-pdf missing).
set -uo pipefail

harness=$1
support=$(cd "$(dirname "$0")/../support" && pwd)
work=$(mktemp -d /tmp/vt-print-e2e-XXXXXX)
chmod 755 "$work"
failures=0
http_pid=
held_pid=

cleanup() {
    [ -n "$held_pid" ] && kill -9 "$held_pid" 2>/dev/null
    [ -n "$http_pid" ] && kill "$http_pid" 2>/dev/null
    bash "$support/cups_sandbox.sh" stop "$work/cups"
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
expect_eq() {  # what expected actual
    [ "$2" = "$3" ] || fail "$1: expected '$2', got '$3'"
}

env_text=$(bash "$support/cups_sandbox.sh" start "$work/cups" vtOffice vtZebra vtEpson)
status=$?
if [ $status -eq 77 ]; then echo "SKIP: no private CUPS scheduler"; exit 77; fi
[ $status -eq 0 ] || { echo "FAIL: the CUPS scheduler did not start" >&2; exit 1; }
eval "$env_text"
lpoptions -d vtOffice >/dev/null

# The practice server's documents.
www=$work/www
mkdir -p "$www/veltrane_docs/store/1234" "$www/veltrane_docs/store/9"
cat > "$www/veltrane_docs/store/1234/apptcard.html" <<'HTML'
<!doctype html><html><head><title>Appointment card</title><style>body{margin:0;font:16px sans-serif}</style></head>
<body><div>TOPLEFT Appointment card for patient 1234</div><p>Tuesday 10:30 with Dr Example</p></body></html>
HTML
cat > "$www/veltrane_docs/store/9/receipt.html" <<'HTML'
<!doctype html><html><head><title>Receipt</title><style>body{margin:0;font:16px sans-serif}</style></head>
<body><div>TOPLEFT Receipt 9 paid in full</div></body></html>
HTML
python3 "$support/doc_server.py" "$www" "$work/port" "$work/http.log" &
http_pid=$!
for _ in $(seq 100); do [ -f "$work/port" ] && break; sleep 0.1; done
server=127.0.0.1:$(cat "$work/port")

mkdir -p "$work/logs"
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
    QT_QPA_PLATFORM=offscreen timeout 120 "$harness" --registry "$registry" --log "$work/logs" "$@" 2> "$work/err"
}
pdf_count() { find "$work/cups/out/$1" -name '*.pdf' | wc -l; }
wait_pdfs() {  # printer count
    for _ in $(seq 600); do [ "$(pdf_count "$1")" -ge "$2" ] && return 0; sleep 0.1; done
    return 1
}
newest_pdf() { ls -t "$work/cups/out/$1"/*.pdf | head -1; }
# Left edge of the first word on the page, in points.
first_word_left() { pdftotext -bbox "$1" - | grep -m1 '<word' | sed 's/.*xMin="\([0-9.-]*\)".*/\1/'; }
log_lines() { tr -d '\r' < "$work/logs/clienttools.log" | sed 's/^[^:]*:[^:]*:[^:]*: //'; }

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
sleep 1
expect_eq "PDFs on vtOffice" 0 "$(pdf_count vtOffice)"
expect_eq "PDFs on vtEpson" 0 "$(pdf_count vtEpson)"
pdf=$(newest_pdf vtZebra)
pdftotext "$pdf" - | grep -q 'Appointment card for patient 1234' || fail "the card's text is not in the PDF"
left=$(first_word_left "$pdf")
awk -v x="$left" 'BEGIN { exit !(x < 1) }' || fail "dedicated print has a left margin of $left pt"
expect_eq "default printer after DONE" "system default destination: vtOffice" "$(lpstat -d)"
expect_eq "header restored" '&w&bPage &p of &P' "$(page_setup_value header)"
expect_eq "top margin restored" 0.750000 "$(page_setup_value margin_top)"
expect_eq "right margin (absent before) keeps the print's value" 0 "$(page_setup_value margin_right)"
expected_log='=== Load Client Tools ===
Parse ini file
print
Initial set new printer to vtZebra
SetDefaultPrinter vtZebra
oldPrinter vtOffice
Done SetDefaultPrinter
Initial setup IE vtZebra
Start setIE
OK to setIE
Done setIE
resetProgram
resetProgram oldPrinter vtOffice
SetDefaultPrinter vtOffice
oldPrinter vtOffice
Done SetDefaultPrinter
Start resetIE
Done resetIE
*** Done resetProgram + close ***'
expect_eq "activity log" "$expected_log" "$(log_lines)"
grep -q 'GET /veltrane_docs/store/1234/apptcard.html cache-control=no-cache pragma=no-cache' "$work/http.log" ||
    fail "the page was not requested bypassing the cache: $(cat "$work/http.log")"

# 2. A receipt on a normal printer keeps the page's margins (0.75 inch = 54 pt).
request "$work/receipt.ini" receipt 9
run -- -x "$work/receipt.ini" -s "$server"
wait_pdfs vtEpson 1 || fail "no PDF on vtEpson"
pdf=$(newest_pdf vtEpson)
pdftotext "$pdf" - | grep -q 'Receipt 9 paid in full' || fail "the receipt's text is not in the PDF"
left=$(first_word_left "$pdf")
awk -v x="$left" 'BEGIN { exit !(x > 50 && x < 58) }' || fail "normal print should have a 54 pt margin, has $left pt"
expect_eq "default printer after the receipt" "system default destination: vtOffice" "$(lpstat -d)"

# 3. Killed before DONE: nothing is restored while it runs; the next start restores.
: > "$work/logs/clienttools.log"
QT_QPA_PLATFORM=offscreen "$harness" --registry "$registry" --log "$work/logs" --hold \
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
: > "$work/logs/clienttools.log"
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
*** Done resetProgram + close ***' "$(log_lines)"

# 4. A page that is missing or never loads is reported, not printed; DONE still puts everything back.
before=$(pdf_count vtZebra)
request "$work/missing.ini" apptcard 404
run -- -x "$work/missing.ini" -s "$server"
grep -q 'could not be loaded' "$work/err" || fail "a missing page is not reported: $(cat "$work/err")"
request "$work/hang.ini" apptcard 1 'docs_folder=hang
'
VELTRANE_PAGE_LOAD_TIMEOUT_MS=2000 run -- -x "$work/hang.ini" -s "$server"
grep -q 'did not load within 2 seconds' "$work/err" || fail "a page that never loads is not reported: $(cat "$work/err")"
sleep 1
expect_eq "nothing printed for failed loads" "$before" "$(pdf_count vtZebra)"
expect_eq "default printer after failed loads" "system default destination: vtOffice" "$(lpstat -d)"

[ $failures -eq 0 ] && echo "print requests: all checks passed"
exit $((failures > 0))
