# shellcheck shell=bash
# What the two print scripts share, after lib.sh: a private CUPS scheduler with the practice's three PDF printers
# (vtOffice the user's default), the practice server's documents on a local server ($server), and reading what
# the printers made. Exits 77 (skipped) when no private scheduler can run (not root, or CUPS/cups-pdf missing).

# The PDF backend runs as another user and writes below the work folder.
chmod 755 "$E2E_DIR"
start_cups "$E2E_DIR/cups" vtOffice vtZebra vtEpson || exit $?
lpoptions -d vtOffice >/dev/null

www=$E2E_DIR/www
mkdir -p "$www/veltrane_docs/store/1234" "$www/veltrane_docs/store/9"
cat > "$www/veltrane_docs/store/1234/apptcard.html" <<'HTML'
<!doctype html><html><head><title>Appointment card</title><style>body{margin:0;font:16px sans-serif}</style></head>
<body><div>TOPLEFT Appointment card for patient 1234</div><p>Tuesday 10:30 with Dr Example</p></body></html>
HTML
cat > "$www/veltrane_docs/store/9/receipt.html" <<'HTML'
<!doctype html><html><head><title>Receipt</title><style>body{margin:0;font:16px sans-serif}</style></head>
<body><div>TOPLEFT Receipt 9 paid in full</div></body></html>
HTML
python3 "$SUPPORT_DIR/doc_server.py" "$www" "$E2E_DIR/port" "$E2E_DIR/http.log" &
http_pid=$!
at_exit 'kill "$http_pid" 2>/dev/null'
wait_for 10 test -s "$E2E_DIR/port" || { echo "FAIL: the document server did not start" >&2; exit 1; }
server=127.0.0.1:$(cat "$E2E_DIR/port")

pdf_count() { find "$E2E_DIR/cups/out/$1" -name '*.pdf' | wc -l; }
newest_pdf() { ls -t "$E2E_DIR/cups/out/$1"/*.pdf | head -1; }
# Left edge of the first word on the page, in points.
first_word_left() { pdftotext -bbox "$1" - | grep -m1 '<word' | sed 's/.*xMin="\([0-9.-]*\)".*/\1/'; }
# Every job the scheduler took has been written out, so a count of PDFs is final.
no_jobs() { [ -z "$(lpstat -o 2>/dev/null)" ]; }
wait_jobs_done() { wait_for 60 no_jobs || fail "the scheduler still has jobs: $(lpstat -o)"; }

# The activity log of an appointment card printed on vtZebra and ended with DONE.
card_print_log='=== Load Client Tools ===
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
