#!/usr/bin/env bash
# Images requests for each exchange-file bridge, for real: the exchange file holds exactly the expected bytes in
# the Windows code page with CR LF line ends, and the imaging program finds it complete when it starts.
source "$(dirname "$0")/lib.sh"

REQUEST="$E2E_DIR/request.ini"
# UTF-16 with its byte-order mark, so the letters do not depend on the code page of the request.
{
    printf '\xff\xfe'
    printf '[settings]\r\naction=images\r\npatient_id=1042\r\nforenames=Łucja\r\nsurname=Müller\r\ndob=19800102\r\ngender=F\r\ntitle=Mrs\r\n' |
        iconv -f UTF-8 -t UTF-16LE
} >"$REQUEST"
export VELTRANE_CODEPAGE=1252

checked=0
# run NAME PROGRAM EXCHANGE_FILE SETTING_LINE...: enables NAME, puts a recorder at PROGRAM (unless empty) and runs
# the request. The recorder copies EXCHANGE_FILE as it finds it and writes its arguments.
run() {
    local name="$1" program="$2" file="$3" enabled="$1"
    shift 3
    [ "$name" = icatreg ] && enabled=icat
    rm -rf "$E2E_DIR/started" "$E2E_DIR/started.file" "$E2E_DIR/p" "$E2E_DIR/x"
    mkdir -p "$E2E_DIR/p" "$E2E_DIR/x"
    if [ -n "$program" ]; then
        cat >"$program" <<SCRIPT
#!/bin/sh
cp '$file' '$E2E_DIR/started.file'
for a in "\$@"; do printf '%s\n' "\$a"; done >'$E2E_DIR/started.tmp'
mv '$E2E_DIR/started.tmp' '$E2E_DIR/started'
SCRIPT
        chmod +x "$program"
    fi
    write_settings "\"${enabled}_enabled\"=\"True\"" "$@"
    local code=0
    (cd "$E2E_DIR" && "$PROGRAM" -x "$REQUEST" >"$E2E_DIR/out" 2>"$E2E_DIR/err") || code=$?
    [ "$code" -eq 0 ] || fail "$name: exit code $code ($(cat "$E2E_DIR/err"))"
    if [ -n "$program" ]; then
        wait_for 10 test -e "$E2E_DIR/started" || fail "$name: the imaging program was not started"
        cmp -s "$file" "$E2E_DIR/started.file" || fail "$name: the program found the file incomplete"
    fi
    checked=$((checked + 1))
}

# expect_bytes WHAT FILE PRINTF_FORMAT: the file holds exactly the bytes printf makes of the format.
expect_bytes() {
    printf "$3" >"$E2E_DIR/expected"
    cmp -s "$E2E_DIR/expected" "$2" || fail "$1: expected $(od -c "$E2E_DIR/expected" | head -20), got $(od -c "$2" | head -20)"
}

P="$E2E_DIR/p/" X="$E2E_DIR/x/"
interface='[PracticeManagementInterface]\r\nCLEAR_PRACTICE_MANAGEMENT_AUTOMATICALLY = 1\r\nUSE_PRACTICE_MANAGEMENT = 1\r\nPATID=1042\r\nPATLNAME=M\xfcller\r\nPATMNAME=0\r\nPATFNAME=Lucja\r\nPATBD=02/01/1980\r\nPROVIDER1 = 0\r\nPROVIDER2 = 0\r\nADDRESS1 = 0\r\nADDRESS2 = 0\r\nCITY = 0\r\nSTATE = 0\r\nZIP = 0\r\nHOMEPHONE = 0\r\nWORKPHONE = 0\r\nEMAIL1 = 0\r\n'
run scanora "${P}SCANORA.exe" "${X}SCANORA.ini" "\"scanora_program\"=\"$P\"" "\"scanora_images\"=\"$X\""
expect_bytes scanora "${X}SCANORA.ini" "$interface"
run cliniview "${P}CLINIVIEW.exe" "${X}CLINIVIEW.ini" "\"cliniview_program\"=\"$P\"" "\"cliniview_images\"=\"$X\""
expect_bytes cliniview "${X}CLINIVIEW.ini" "$interface"

linkage='<LinkageParameter><Patient LastName="M\xfcller" FirstName="Lucja" ChartNumber="1042"><Birthday>02/01/1980</Birthday><Gender>Female</Gender></Patient></LinkageParameter>\r\n'
run easydent "${P}EasyDent4.exe" "${P}linkage.xml" "\"easydent_program\"=\"$P\""
expect_bytes easydent "${P}linkage.xml" "$linkage"
run ezdenti "${P}VTEzDent-iLoader32.exe" "${P}linkage.xml" "\"ezdenti_program\"=\"$P\""
expect_bytes ezdenti "${P}linkage.xml" "$linkage"

patimport='[PATIENT]\r\nBVS=KAVO_3DeXam\r\nPVS=VELTRANE\r\nPATID=1042\r\nLASTNAME=M\xfcller\r\nFIRSTNAME=Lucja\r\nBIRTHDAY=19800102\r\nSEX=F\r\nREADY=0\r\nERRORLEVEL=0\r\n'
run icatreg "${P}VisionConnect.exe" "${X}patimport.ini" "\"icat_program\"=\"$P\"" "\"icat_images\"=\"$X\""
expect_bytes icatreg "${X}patimport.ini" "$patimport"
expect_eq "icatreg arguments" "${X}patimport.ini" "$(cat "$E2E_DIR/started")"
run icatview "${P}VisionConnect.exe" "${X}patimport.ini" "\"icatview_program\"=\"$P\"" "\"icatview_images\"=\"$X\""
expect_bytes icatview "${X}patimport.ini" "$patimport"

run dexis "${P}dexis.exe" "${P}InfoFile.txt" "\"dexis_program\"=\"$P\""
expect_bytes dexis "${P}InfoFile.txt" 'M\xfcller, Lucja  02/01/1980  (1042)\r\nPN=1042\r\nLN=M\xfcller\r\nFN=Lucja\r\nBD=02/01/1980\r\nSX=F\r\n'
expect_eq "dexis arguments" "@${P}InfoFile.txt" "$(cat "$E2E_DIR/started")"
run integrator "" "" "\"integrator_program\"=\"$X\""
expect_bytes integrator "${X}patinfo.txt" 'PN=1042\r\nLN=M\xfcller\r\nFN=Lucja\r\nBD=19800102\r\nSX=F\r\n'

run dbswin "${P}dbswin.exe" "${X}patimport.txt" "\"dbswin_program\"=\"$P\"" "\"dbswin_images\"=\"$X\""
expect_bytes dbswin "${X}patimport.txt" 'M\xfcller;Lucja;02.01.1980;1042;;;;;F;;\r\n'
run dbswin "${P}dbswin.exe" "${X}patimport.txt" "\"dbswin_program\"=\"${P}dbswin.exe\"" \
    "\"dbswin_images\"=\"$X\"" '"dbswin_noid"="True"'
expect_bytes "dbswin without id" "${X}patimport.txt" 'M\xfcller;Lucja;02.01.1980;;;;;;F;;\r\n'

run idixel "${P}ToiVIEW.exe" "${P}ToiVIEW.txt" "\"idixel_program\"=\"$P\""
expect_bytes idixel "${P}ToiVIEW.txt" 'C,000000001042,,,Lucja M\xfcller,2,19800102,\r\n'

# Sidexis: the "U" and "N" records byte for byte; the "A" record carries this workstation's name and the time.
run sirona "${P}sidexis.exe" "${X}sidexis.sdx" "\"sirona_program\"=\"$P\"" "\"sirona_images\"=\"$X\""
head -c 74 "${X}sidexis.sdx" >"$E2E_DIR/un"
expect_bytes "sirona U and N" "$E2E_DIR/un" '\x22\x00U\x00M\xfcller\x00Lucja\x0002.01.1980\x00\x00\x00\x00\x00\r\n(\x00N\x00M\xfcller\x00Lucja\x0002.01.1980\x001042\x00F\x00\x00\x00\x00\r\n'
computer="$(hostname | cut -d. -f1 | tr a-z A-Z | cut -c1-15)"
grep -aq "$computer" "${X}sidexis.sdx" || fail "sirona: the A record lacks the computer name $computer"

# A dry run prints the file with its exact bytes and leaves the disk alone.
rm -f "${X}sidexis.sdx"
write_settings '"sirona_enabled"="True"' "\"sirona_program\"=\"$P\"" "\"sirona_images\"=\"$X\""
(cd "$E2E_DIR" && "$PROGRAM" --dry-run -x "$REQUEST" >"$E2E_DIR/out" 2>"$E2E_DIR/err") || fail "dry run: exit code $?"
[ ! -e "${X}sidexis.sdx" ] || fail "the dry run wrote the exchange file"
head -n 1 "$E2E_DIR/out" | sed -e 's/.*"content_base64":"\([^"]*\)".*/\1/' | base64 -d | head -c 74 >"$E2E_DIR/un"
expect_bytes "dry-run U and N" "$E2E_DIR/un" '\x22\x00U\x00M\xfcller\x00Lucja\x0002.01.1980\x00\x00\x00\x00\x00\r\n(\x00N\x00M\xfcller\x00Lucja\x0002.01.1980\x001042\x00F\x00\x00\x00\x00\r\n'

# A folder that does not exist: the file error reaches the user and nothing is started.
rm -f "$E2E_DIR/started"
cat >"${P}dbswin.exe" <<SCRIPT
#!/bin/sh
touch '$E2E_DIR/started'
SCRIPT
chmod +x "${P}dbswin.exe"
write_settings '"logging_enabled"="True"' '"dbswin_enabled"="True"' "\"dbswin_program\"=\"$P\"" \
    "\"dbswin_images\"=\"$E2E_DIR/missing/\""
code=0
(cd "$E2E_DIR" && "$PROGRAM" -x "$REQUEST" >"$E2E_DIR/out" 2>"$E2E_DIR/err") || code=$?
[ "$code" -ne 0 ] || fail "a failed write ended with exit code 0"
# The system's text first, then which imaging system and which file; the log has both on one line.
grep -q "File not found" "$E2E_DIR/err" || fail "no file error reported: $(cat "$E2E_DIR/err")"
grep -qF "DBSWin / VistaSoft: cannot write the exchange file $E2E_DIR/missing/" "$E2E_DIR/err" ||
    fail "the error names neither system nor file: $(cat "$E2E_DIR/err")"
log_messages | grep -qF "Imaging dbswin failed: File not found - DBSWin / VistaSoft: cannot write the exchange file $E2E_DIR/missing/" ||
    fail "the failure is not in the log: $(log_messages | tail -3)"
# The imaging program would be started detached: it could start after our program has ended.
after_a_later_launch
[ ! -e "$E2E_DIR/started" ] || fail "a program was started after a failed write"

# An imaging program that is not there: said, logged, and the exit code says so.
write_settings '"logging_enabled"="True"' '"dentaleye_enabled"="True"' "\"dentaleye_program\"=\"$E2E_DIR/nowhere/\""
code=0
(cd "$E2E_DIR" && "$PROGRAM" -x "$REQUEST" >"$E2E_DIR/out" 2>"$E2E_DIR/err") || code=$?
[ "$code" -ne 0 ] || fail "a program that is not there ended with exit code 0"
grep -qF "File not found" "$E2E_DIR/err" || fail "missing program: $(cat "$E2E_DIR/err")"
grep -qF "DentalEye: cannot start $E2E_DIR/nowhere/cmdlink.exe" "$E2E_DIR/err" ||
    fail "missing program: the error does not name it: $(cat "$E2E_DIR/err")"
log_messages | grep -qF "Imaging dentaleye failed: File not found - DentalEye: cannot start $E2E_DIR/nowhere/cmdlink.exe" ||
    fail "missing program: not in the log: $(log_messages | tail -3)"

echo "imaging exchange files: $checked runs checked"
