#!/usr/bin/env bash
# veltrane-client-tools.exe under Wine, end to end.
# Usage: program_test.sh veltrane-client-tools.exe command-line-recorder.exe message-box-closer.exe WORKDIR
set -uo pipefail
source "$(dirname "$0")/../../support/lib.sh"
keep_going
program="$(realpath "$1")"
recorder="$(realpath "$2")"
closer="$(realpath "$3")"
# The prefixes stay between runs (making one takes half a minute); everything else starts afresh.
run_folder "$4"
export LANG=C.UTF-8 LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY
wine_prefix "$work/wine-prefix"

# JSON string content of a text (backslashes and quotes escaped).
json() { printf '%s' "$1" | sed -e 's/\\/\\\\/g' -e 's/"/\\"/g'; }

# settings NAME=VALUE ...: the program's key holds exactly these text values.
settings() { wine_settings "$R" "$@"; }

# program ARGS...: runs the program; its exit code in $code, its output in $R/out and $R/err.
program() {
    code=0
    "$WINE_RUN" "$program" "$@" </dev/null >"$R/out" 2>"$R/err" || code=$?
}

# ---- The program's own options.
program --version
expect_eq "--version exits 0" 0 "$code"
expect_eq "--version prints the version" "veltrane-client-tools 4.26" "$(tr -d '\r' <"$R/out")"
program --help
expect_eq "--help exits 0" 0 "$code"
expect_contains "--help shows the usage" "Usage: veltrane-client-tools" "$R/out"
expect_contains "--help names the settings key" 'HKEY_CURRENT_USER\Software\Veltrane' "$R/out"
expect_contains "--help names the log in the shared documents" 'Public\Documents\clienttools.log' "$R/out"
program --dry-runn -x r.ini
expect_eq "an unknown option exits 1" 1 "$code"
expect_contains "an unknown option is named" "--dry-runn" "$R/err"

# ---- Settings export and import: regedit's own format (UTF-16LE with BOM) out; UTF-16LE or UTF-8 in.
# regedit reads a REGEDIT4 file in the ANSI code page, so the non-ASCII value comes in through our own import.
settings
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n"dexis_program"="C:\\\\Dexis\\\\ Łódź"\r\n"digora_nameformat"="2"\r\n' >"$R/linux.reg"
program --import-settings "$(winpath "$R/linux.reg")"
expect_eq "a UTF-8 file from Linux imports" 0 "$code"
program --export-settings "$(winpath "$R/exported.reg")"
expect_eq "export exits 0" 0 "$code"
expect_eq "export starts with the UTF-16LE byte-order mark" "fffe" "$(head -c 2 "$R/exported.reg" | od -An -tx1 | tr -d ' \n')"
iconv -f UTF-16LE -t UTF-8 "$R/exported.reg" | tr -d '\r' | sed '1s/^\xef\xbb\xbf//' >"$R/exported.txt"
expect_contains "export holds the header" "Windows Registry Editor Version 5.00" "$R/exported.txt"
expect_contains "export holds a non-ASCII value" '"dexis_program"="C:\\Dexis\\ Łódź"' "$R/exported.txt"
settings "other=kept"
program --import-settings "$(winpath "$R/exported.reg")"
expect_eq "import of the export exits 0" 0 "$code"
expect_contains "import counts its values" "Imported 2 settings" "$R/err"
program --export-settings "$(winpath "$R/again.reg")"
iconv -f UTF-16LE -t UTF-8 "$R/again.reg" | tr -d '\r' >"$R/again.txt"
expect_contains "import restores the value" '"dexis_program"="C:\\Dexis\\ Łódź"' "$R/again.txt"
expect_contains "import keeps values not in the file" '"other"="kept"' "$R/again.txt"
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n"broken\r\n' >"$R/bad.reg"
program --import-settings "$(winpath "$R/bad.reg")"
expect_eq "a broken file is refused" 1 "$code"
expect_contains "a broken file names its line" "line 4" "$R/err"
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n"dicom_idpad"=dword:00000008\r\n' >"$R/typed.reg"
program --import-settings "$(winpath "$R/typed.reg")"
expect_eq "a value in a type the program refuses is refused" 1 "$code"
expect_contains "the refused value and its line are named" 'line 4: "dicom_idpad" is dword: but the program reads it only as text' "$R/err"
program --import-settings "$(winpath "$R/missing.reg")"
expect_eq "a missing file is refused" 1 "$code"
expect_contains "a missing file says why" "File not found" "$R/err"

REQUEST="$R/request.ini"
printf '[settings]\r\naction=images\r\npatient_id=1042\r\nforenames=Anna\r\nsurname=Berg\r\ndob=19800102\r\ngender=F\r\ntitle=Mrs\r\n' \
    >"$REQUEST"
export VELTRANE_RECORDER_OUT
VELTRANE_RECORDER_OUT="$(winpath "$R/record")"

# ---- One enabled system with a command line: the imaging program gets exactly its command line.
mkdir -p "$R/Dental Eye"
cp "$recorder" "$R/Dental Eye/cmdlink.exe"
folder="$(winpath "$R/Dental Eye")\\"
settings "logging_enabled=True" "dentaleye_enabled=True" "dentaleye_program=$folder"
log="$WINEPREFIX/drive_c/users/Public/Documents/clienttools.log"
rm -f "$log"
program -s practice.example -x "$(winpath "$REQUEST")"
expect_eq "one system: exit code" 0 "$code"
# The shared log: local time, ": ", the message, CR LF.
expect_eq "one system: the log's last lines" "Start loading imaging dentaleye|resetProgram|*** Done resetProgram + close ***" \
    "$(sed -e 's/\r$//' -e 's/^[^:]*:[^:]*:[^:]*: //' "$log" 2>/dev/null | tail -n 3 | paste -sd'|')"
[ "$(head -c 2000 "$log" | tr -cd '\r' | wc -c)" -eq "$(head -c 2000 "$log" | tr -cd '\n' | wc -c)" ] &&
    pass "one system: the log's lines end in CR LF" || fail "one system: the log's line ends"
if wait_for 30 test -e "$R/record"; then
    expect_eq "one system: the command line" "cmd \"${folder}cmdlink.exe\" /ID=1042 /FN=Anna /LN=Berg /BD=19800102 /Sex=F" \
        "$(head -n 1 "$R/record")"
else
    fail "one system: the imaging program was not started ($(cat "$R/err"))"
fi

# ---- The window's parts of Windows are loaded only when the window is made: an images request runs without
# them, and where the window cannot load one it says which, instead of crashing.
for dll in comctl32 oleaut32 winspool.drv; do
    rm -f "$R/record"
    WINEDLLOVERRIDES="$dll=d" program -x "$(winpath "$REQUEST")"
    expect_eq "without $dll: an images request's exit code" 0 "$code"
    wait_for 30 test -e "$R/record" && pass "without $dll: the imaging program started" ||
        fail "without $dll: the imaging program was not started ($(cat "$R/err"))"
done
WINEDLLOVERRIDES="comctl32=d" program
expect_eq "without the common controls: the window's exit code" 2 "$code"
expect_contains "without the common controls: said which" "Windows could not load comctl32.dll" "$R/err"

# ---- A shared log that cannot be written stops no request: the imaging program still starts, and the reason is
# said once on standard error. Every user of the machine can make the log a folder; a second name of another
# file (a hard link) must not be written through.
echo "a victim's own file" >"$R/victim.txt"
for kind in folder "hard link"; do
    rm -rf "$log" "$R/record"
    case "$kind" in
    folder) mkdir -p "$log" ;;
    "hard link") ln "$R/victim.txt" "$log" ;;
    esac
    program -s practice.example -x "$(winpath "$REQUEST")"
    expect_eq "log is a $kind: exit code" 0 "$code"
    wait_for 30 test -e "$R/record" && pass "log is a $kind: the imaging program started" ||
        fail "log is a $kind: the imaging program was not started ($(cat "$R/err"))"
    expect_eq "log is a $kind: said once on standard error" 1 "$(grep -c 'clienttools.log is not written' "$R/err")"
done
expect_eq "the victim's file is untouched" "a victim's own file" "$(cat "$R/victim.txt")"
rm -rf "$log"

# ---- A dry run prints the launch and starts nothing.
rm -f "$R/record"
program --dry-run -x "$(winpath "$REQUEST")"
expect_eq "dry run: exit code" 0 "$code"
expect_eq "dry run: the launch effect" \
    "{\"effect\":\"launch\",\"verb\":\"open\",\"file\":\"$(json "${folder}cmdlink.exe")\",\"parameters\":\"/ID=1042 /FN=Anna /LN=Berg /BD=19800102 /Sex=F\",\"directory\":\"\",\"showCommand\":1}" \
    "$(tr -d '\r' <"$R/out")"
[ ! -e "$R/record" ] && pass "dry run: nothing started" || fail "dry run: the imaging program was started"

# ---- Started from cmd.exe in a terminal, the effect lines reach that console. Wine draws the console with
# cursor movements (a blank may become a move right) and wraps long lines, so the text is compared without them,
# without blanks and without line ends.
if command -v script >/dev/null; then
    rm -f "$R/record"
    printf '@"%s" --dry-run -x "%s"\r\n' "$(winpath "$program")" "$(winpath "$REQUEST")" >"$R/dry.cmd"
    SHELL=/bin/sh timeout 120 script -qfec "'$WINE_RUN' cmd /c '$(winpath "$R/dry.cmd")'" "$R/console" </dev/null >/dev/null 2>&1
    expect_eq "console: the effect line" \
        "{\"effect\":\"launch\",\"verb\":\"open\",\"file\":\"$(json "${folder}cmdlink.exe" | tr -d ' ')\",\"parameters\":\"/ID=1042/FN=Anna/LN=Berg/BD=19800102/Sex=F\",\"directory\":\"\",\"showCommand\":1}" \
        "$(sed -e 's/\x1b\[[?0-9;]*[A-Za-z]//g' "$R/console" | tr -d '\r\n ' | grep -o '{"effect"[^}]*}' | head -n 1)"
    [ ! -e "$R/record" ] && pass "console: nothing started" || fail "console: the imaging program was started"
fi

# ---- Accented names. On a console they read as written, whatever the console's code page; to a pipe the dry run's
# bytes stay UTF-8, exactly as the Linux program prints them.
{
    printf '\xff\xfe'
    printf '[settings]\r\naction=images\r\npatient_id=1042\r\nforenames=Łucja\r\nsurname=Müller\r\ndob=19800102\r\ngender=F\r\n' |
        iconv -f UTF-8 -t UTF-16LE
} >"$R/accents.ini"
accents_line="{\"effect\":\"launch\",\"verb\":\"open\",\"file\":\"$(json "${folder}cmdlink.exe")\",\"parameters\":\"/ID=1042 /FN=Łucja /LN=Müller /BD=19800102 /Sex=F\",\"directory\":\"\",\"showCommand\":1}"
program --dry-run -x "$(winpath "$R/accents.ini")"
expect_eq "accents to a pipe: UTF-8 bytes" "$accents_line" "$(tr -d '\r' <"$R/out")"
if command -v script >/dev/null; then
    # on_terminal COMMAND...: runs the command on a terminal of its own (Wine makes it the console); what the
    # terminal showed, without Wine's cursor moves, blanks and line ends, in $R/terminal, its raw bytes in
    # $R/typescript.
    on_terminal() {
        SHELL=/bin/bash timeout 120 script -qfec "$(printf '%q ' "$@")" "$R/typescript" </dev/null >/dev/null 2>&1
        sed -e 's/\x1b\[[?0-9;]*[A-Za-z]//g' "$R/typescript" | tr -d '\r\n ' >"$R/terminal"
    }
    on_terminal "$WINE_RUN" "$program" --dry-run -x "$(winpath "$R/accents.ini")"
    expect_eq "accents on a console: the effect line" "$(tr -d ' ' <<<"$accents_line")" \
        "$(grep -o '{"effect"[^}]*}' "$R/terminal" | head -n 1)"
    # Started by cmd's "start /wait", a window program gets no standard handles: it reaches cmd's console itself.
    on_terminal "$WINE_RUN" cmd /c start /wait "$(winpath "$program")" --version
    expect_contains "start /wait: --version on the console" "veltrane-client-tools4.26" "$R/terminal"
    on_terminal "$WINE_RUN" cmd /c start /wait "$(winpath "$program")" --help
    expect_contains "start /wait: --help on the console" "Usage:veltrane-client-tools" "$R/terminal"
    # The export on a console is its text; to a pipe it stays regedit's UTF-16LE file.
    program --import-settings "$(winpath "$R/linux.reg")"
    on_terminal "$WINE_RUN" "$program" --export-settings -
    expect_contains "export on a console: the accented value as text" '"dexis_program"="C:\\Dexis\\Łódź"' "$R/terminal"
    expect_eq "export on a console: no UTF-16 bytes" 0 "$(tr -cd '\000' <"$R/typescript" | wc -c)"
    program --export-settings -
    expect_eq "export to a pipe: regedit's UTF-16LE" "fffe" "$(head -c 2 "$R/out" | od -An -tx1 | tr -d ' \n')"
    iconv -f UTF-16LE -t UTF-8 "$R/out" | tr -d '\r' >"$R/out.txt"
    expect_contains "export to a pipe: the accented value" '"dexis_program"="C:\\Dexis\\ Łódź"' "$R/out.txt"
fi

# ---- An exchange-file bridge: the file holds exactly its bytes in the ANSI code page before the program starts.
{
    printf '\xff\xfe'
    printf '[settings]\r\naction=images\r\npatient_id=1042\r\nforenames=Łucja\r\nsurname=Müller\r\ndob=19800102\r\ngender=F\r\n' |
        iconv -f UTF-8 -t UTF-16LE
} >"$R/request16.ini"
mkdir -p "$R/dexis"
cp "$recorder" "$R/dexis/dexis.exe"
rm -f "$R/record"
folder="$(winpath "$R/dexis")\\"
settings "dexis_enabled=True" "dexis_program=$folder"
program -x "$(winpath "$R/request16.ini")"
expect_eq "exchange file: exit code" 0 "$code"
printf 'M\xfcller, Lucja  02/01/1980  (1042)\r\nPN=1042\r\nLN=M\xfcller\r\nFN=Lucja\r\nBD=02/01/1980\r\nSX=F\r\n' >"$R/expected"
if cmp -s "$R/expected" "$R/dexis/InfoFile.txt"; then
    pass "exchange file: its bytes"
else
    fail "exchange file: expected $(od -c "$R/expected" | head -5), got $(od -c "$R/dexis/InfoFile.txt" 2>&1 | head -5)"
fi
if wait_for 30 test -e "$R/record"; then
    expect_eq "exchange file: the program gets the file" "cmd \"${folder}dexis.exe\" @${folder}InfoFile.txt" \
        "$(head -n 1 "$R/record")"
else
    fail "exchange file: the imaging program was not started"
fi

# A link another user planted at the exchange file's name (a Unix one: Wine shows it as the file it points to)
# must not carry the patient into the file it points to: the new file takes the name, the link's target stays.
echo "another user's file" >"$R/linked.txt"
rm -f "$R/dexis/InfoFile.txt" "$R/record"
ln -s "$R/linked.txt" "$R/dexis/InfoFile.txt"
program -x "$(winpath "$R/request16.ini")"
expect_eq "a link at the exchange file: its target is untouched" "another user's file" "$(cat "$R/linked.txt")"
[ ! -L "$R/dexis/InfoFile.txt" ] && cmp -s "$R/expected" "$R/dexis/InfoFile.txt" &&
    pass "a link at the exchange file: a file of its own took the name" || fail "a link at the exchange file: $(ls -l "$R/dexis")"

# ---- Requests that need the window: without a desktop it cannot be shown, said plainly on standard error, and
# a non-zero exit. (The window itself on a desktop: tests/win32/window.)
window_message="Error: The window cannot be shown: there is no desktop to show it on"
program
expect_eq "no request: exit code" 2 "$code"
expect_contains "no request: the message" "$window_message" "$R/err"

# A request file that is missing, or holds no action, is said before the window would open.
program -x "$(winpath "$R/missing.ini")"
expect_contains "missing request: the reason" "The request file $(winpath "$R/missing.ini") cannot be read: " "$R/err"
# The second line's reason is Wine's, after a box it could not show.
expect_contains "missing request: then the window" "Error: The window cannot be shown: " "$R/err"
: >"$R/empty.ini"
program -x "$(winpath "$R/empty.ini")"
expect_contains "empty request" "The request file $(winpath "$R/empty.ini") holds no action" "$R/err"

# An imaging program that is not there: the system's text, then which system and which program, in the message,
# the log's one line, and a non-zero exit.
rm -f "$log"
settings "logging_enabled=True" "dentaleye_enabled=True" "dentaleye_program=$(winpath "$R/nowhere")\\"
program -x "$(winpath "$REQUEST")"
[ "$code" -ne 0 ] && pass "missing program: a failure's exit code" || fail "missing program: exit code 0"
expect_contains "missing program: the message names it" "DentalEye: cannot start $(winpath "$R/nowhere")\\cmdlink.exe" "$R/err"
expect_contains "missing program: the log's line" "Imaging dentaleye failed: " "$log"
expect_contains "missing program: the log names it" " - DentalEye: cannot start $(winpath "$R/nowhere")\\cmdlink.exe" "$log"

rm -f "$R/record"
settings "dentaleye_enabled=True" "dentaleye_program=$(winpath "$R/Dental Eye")\\" "dexis_enabled=True" \
    "dexis_program=$(winpath "$R/dexis")\\"
program -x "$(winpath "$REQUEST")"
expect_eq "several systems: exit code" 2 "$code"
expect_contains "several systems: the message" "$window_message" "$R/err"
[ ! -e "$R/record" ] && pass "several systems: nothing started" || fail "several systems: a program was started"

printf '[settings]\r\naction=print\r\ntype=apptcard\r\npatient_id=1042\r\n' >"$R/print.ini"
settings "apptcard_printer=Card Printer" "appt_type=Dedicated" "server_ip=practice.example"
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\PageSetup]\r\n"header"="&w&bPage &p"\r\n"margin_top"="0.750000"\r\n' \
    >"$R/pagesetup.reg"
"$WINE_RUN" regedit /s "$(winpath "$R/pagesetup.reg")" </dev/null >>"$R/regedit.log" 2>&1
# The page-setup part of a switched() snapshot.
page_setup_of() { tr -d '\r' <"$1" | sed -n '/PageSetup$/,/^$/p'; }
switched() {  # what a print would change: the page setup and the default-printer entry
    "$WINE_RUN" reg query 'HKCU\Software\Microsoft\Internet Explorer\PageSetup' </dev/null 2>&1
    "$WINE_RUN" reg query 'HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows' /v Device </dev/null 2>&1
}
switched >"$R/before"
program -x "$(winpath "$R/print.ini")"
expect_eq "print request without a desktop: exit code" 2 "$code"
expect_contains "print request without a desktop: the reason" "Error: The print window cannot be shown: " "$R/err"
switched >"$R/after"
grep -q 'Page &p' "$R/before" || fail "print request: the page setup was not seeded: $(cat "$R/before")"
if cmp -s "$R/before" "$R/after"; then
    pass "print request: page setup and default printer left alone"
else
    fail "print request: something was switched: $(diff "$R/before" "$R/after")"
fi

# ---- On a desktop: a print request whose page cannot be loaded. The page setup is switched for the print, the
# failure is said in a message box that a user reads and closes, nothing is printed, and DONE puts everything back.
# (Wine has no HTML engine: every navigation fails, so this is the path a user meets when the server is down.)
if command -v Xvfb >/dev/null && command -v xdpyinfo >/dev/null && command -v xdotool >/dev/null; then
    start_xvfb "$R" -screen 0 800x600x24
    wine_prefix "$work/desktop-prefix"
    # Started where there is no console to reach (a shortcut, the Run box), --version is said in a box.
    "$WINE_RUN" start /wait "$(winpath "$program")" --version </dev/null >/dev/null 2>&1 &
    asked=$!
    closed=0
    "$WINE_RUN" "$closer" "$(winpath "$R/version-box")" 60 </dev/null >"$R/closer.log" 2>&1 || closed=$?
    expect_eq "no console: --version shows a box" 0 "$closed"
    expect_contains "no console: the box holds the version" "veltrane-client-tools 4.26" "$R/version-box"
    wait_for 30 ended "$asked" && pass "no console: closing the box ends the program" || fail "no console: still running"
    # A closed port on this machine: the navigation fails at once, as with a practice server that is down.
    settings "apptcard_printer=vtCard" "appt_type=Dedicated" "server_ip=127.0.0.1:9"
    # Every value set, so DONE has each one to put back (an empty saved value is not written back).
    printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\PageSetup]\r\n"header"="&w&bPage &p"\r\n"footer"="&u&b&d"\r\n"margin_top"="0.750000"\r\n"margin_bottom"="0.750000"\r\n"margin_left"="0.500000"\r\n"margin_right"="0.500000"\r\n' \
        >"$R/pagesetup-full.reg"
    "$WINE_RUN" regedit /s "$(winpath "$R/pagesetup-full.reg")" </dev/null >>"$R/regedit.log" 2>&1
    # Printers as a practice has them: a private scheduler whose queues Wine's spooler serves.
    start_cups "$work/cups" vtFront vtCard || fail "printers: no scheduler"
    lpadmin -d vtFront
    switched >"$R/before"
    VELTRANE_PAGE_LOAD_TIMEOUT_MS=20000 "$WINE_RUN" "$program" -x "$(winpath "$R/print.ini")" </dev/null >"$R/out" 2>"$R/err" &
    shown=$!
    closed=0
    "$WINE_RUN" "$closer" "$(winpath "$R/box")" 120 </dev/null >"$R/closer.log" 2>&1 || closed=$?
    expect_eq "failed page: a box was shown and closed" 0 "$closed"
    expect_contains "failed page: the box names the page" "127.0.0.1:9" "$R/box"
    expect_contains "failed page: the box says it was not loaded" "could not be loaded" "$R/box"
    if grep -q '0x[0-9A-Fa-f]\{8\}' "$R/box"; then fail "failed page: a raw code reached the user"; else pass "failed page: in plain words"; fi
    switched >"$R/during"
    if cmp -s "$R/before" "$R/during"; then
        fail "failed page: the dedicated print did not clear the page setup"
    else
        pass "failed page: the page setup was switched for the print"
    fi
    # The main window, not the box of the same title that is going away: the one with the window's client size.
    main_window_shown() {
        local candidate
        for candidate in $(xdotool search --onlyvisible --name '^Veltrane Client Tools$' 2>/dev/null); do
            eval "$(xdotool getwindowgeometry --shell "$candidate" 2>/dev/null)"
            [ "${WIDTH:-}x${HEIGHT:-}" == 570x490 ] && wid="$candidate"
        done
        [ -n "$wid" ]
    }
    # DONE (on the main window wid), pressed again until the program $shown has ended, whose exit code is then in
    # code: a click before the window takes input is lost.
    press_done_until_ended() {
        for _ in $(seq 30); do
            [ -n "$wid" ] && xdotool mousemove --window "$wid" 509 32 click 1 2>/dev/null
            wait_for 1 ended "$shown" && break
        done
        kill "$shown" 2>/dev/null
        code=0
        wait "$shown" || code=$?
    }
    wid=""
    wait_for 30 main_window_shown
    if [ -n "$wid" ]; then pass "failed page: the window is open"; else fail "failed page: the window did not open"; fi
    press_done_until_ended
    expect_eq "failed page: DONE ends the program" 0 "$code"
    page_setup() { "$WINE_RUN" reg query 'HKCU\Software\Microsoft\Internet Explorer\PageSetup' </dev/null 2>&1; }
    device() { "$WINE_RUN" reg query 'HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows' /v Device </dev/null 2>&1; }
    page_setup >"$R/after"
    grep -q 'vtCard' <<<"$(cat "$R/during")" && pass "failed page: the card printer was made the default" ||
        fail "failed page: the card printer was not made the default: $(cat "$R/during")"
    grep -q '&u&b&d' "$R/before" || fail "failed page: the page setup was not seeded: $(cat "$R/before")"
    if cmp -s <(page_setup_of "$R/before") <(page_setup_of "$R/after"); then
        pass "failed page: DONE put the page setup back"
    else
        fail "failed page: page setup not put back: $(diff <(page_setup_of "$R/before") <(page_setup_of "$R/after"))"
    fi
    jobs="$(lpstat -W all -o 2>&1)"
    [ -z "$jobs" ] && pass "failed page: nothing was printed" || fail "failed page: a job reached the printers: $jobs"
    grep -q 'Device    REG_SZ    vtFront,' <<<"$(device)" && pass "failed page: DONE put the default printer back" ||
        fail "failed page: the default printer is not back: $(device)"

    # ---- The configuration window lists the spooler's printers, and each one listed can be chosen.
    settings
    "$WINE_RUN" "$program" </dev/null >"$R/out" 2>"$R/err" &
    shown=$!
    wid=""
    wait_for 60 main_window_shown
    if [ -n "$wid" ]; then pass "configuration: the window is open"; else fail "configuration: the window did not open"; fi
    # The list's first and second rows, each chosen with "Set Appointment Default", which says what it set. A
    # click before the window takes input is lost (the box then says nothing is chosen): chosen again.
    chosen=()
    for row_y in 98 111; do
        for _ in $(seq 10); do
            [ -n "$wid" ] && xdotool mousemove --window "$wid" 40 "$row_y" click 1 mousemove --window "$wid" 487 101 \
                click 1 2>/dev/null
            rm -f "$R/chosen"
            "$WINE_RUN" "$closer" "$(winpath "$R/chosen")" 3 </dev/null >>"$R/closer.log" 2>&1
            grep -q '^Default Appointment Printer set to ' "$R/chosen" 2>/dev/null && break
        done
        chosen+=("$(sed 's/^Default Appointment Printer set to //' "$R/chosen" 2>/dev/null)")
    done
    expect_eq "configuration: both printers are listed and chosen" "vtCard vtFront" \
        "$(printf '%s\n' "${chosen[@]}" | sort | paste -sd' ')"
    expect_eq "configuration: the printer chosen last is stored" "${chosen[1]}" \
        "$("$WINE_RUN" reg query 'HKCU\Software\Veltrane' /v apptcard_printer </dev/null 2>/dev/null | tr -d '\r' |
            sed -n -E 's/^ +apptcard_printer +REG_SZ +//p')"
    press_done_until_ended
    expect_eq "configuration: DONE ends the program" 0 "$code"
else
    echo "skipped: the message box on a desktop (Xvfb, xdpyinfo or xdotool is missing)"
fi

finish
