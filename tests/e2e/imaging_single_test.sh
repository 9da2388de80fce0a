#!/usr/bin/env bash
# Images requests with one enabled system, run with --dry-run: the effect lines must match what each imaging
# product expects, character for character.
source "$(dirname "$0")/lib.sh"

REQUEST="$E2E_DIR/request.ini"
printf '[settings]\r\naction=images\r\npatient_id=1042\r\nforenames=Anna\r\nsurname=Berg\r\ndob=19800102\r\ngender=F\r\ntitle=Mrs\r\n' \
    >"$REQUEST"

checked=0
# check NAME EXPECTED_STDOUT SETTING_LINE...: enables NAME with the settings and compares the dry run's output.
check() {
    local name="$1" expected="$2"
    shift 2
    local enabled="$name"
    [ "$name" = icatreg ] && enabled=icat
    rm -f "$LOG"
    write_settings '"logging_enabled"="True"' "\"${enabled}_enabled\"=\"True\"" "$@"
    local code=0
    "$PROGRAM" --dry-run -x "$REQUEST" >"$E2E_DIR/out" 2>"$E2E_DIR/err" || code=$?
    [ "$code" -eq 0 ] || fail "$name: exit code $code ($(cat "$E2E_DIR/err"))"
    expect_eq "$name effects" "$expected" "$(cat "$E2E_DIR/out")"
    expect_eq "$name log" "Start loading imaging $name|resetProgram|*** Done resetProgram + close ***" \
        "$(dry_log_messages "$E2E_DIR/err" | tail -n 3 | paste -sd'|')"
    [ ! -e "$LOG" ] || fail "$name: the dry run wrote the log"
    checked=$((checked + 1))
}

launch() {  # launch FILE PARAMETERS (both already JSON-escaped)
    printf '{"effect":"launch","verb":"open","file":"%s","parameters":"%s","directory":"","showCommand":1}' "$1" "$2"
}

check dentaleye "$(launch '/opt/dentaleye/cmdlink.exe' '/ID=1042 /FN=Anna /LN=Berg /BD=19800102 /Sex=F')" \
    '"dentaleye_program"="/opt/dentaleye/"'
check dicom "$(launch 'C:\\Schick\\cdrstart.exe' '/LastName Berg /FirstName Anna /IDNumber 001042 ')" \
    '"dicom_program"="C:\\Schick\\"' '"dicom_idpad"="6"'
check myray "$(launch '/opt/myray/NNTBridge.exe' '/PATID 1042 /name Anna /surname Berg /dateb 01,02,1980 /sex F')" \
    '"myray_program"="/opt/myray/"'
check mediadent "$(launch '/opt/md/mediadent.exe' '/PAnna Berg /FC:\\MD\\Images\\\\1042 /B02011980')" \
    '"mediadent_program"="/opt/md/"' '"mediadent_images"="C:\\MD\\Images\\"'
check examinepro "$(launch 'expro.exe' '/PAnna Berg /F/srv/expro/\\1042 /B02011980')" \
    '"examinepro_images"="/srv/expro/"'
check suni "$(launch 'C:\\Suni\\DrSuni.exe' '/p\"Berg, Anna::::1042::01-02-80::F\"')" \
    '"suni_program"="C:\\Suni\\"'
check trophy "$(launch '/opt/trophy/tw.exe' '-PC:\\TW\\Patients\\1042 -NAnna Berg')" \
    '"trophy_program"="/opt/trophy/"' '"trophy_images"="C:\\TW\\Patients\\"'
check vixwin "$(launch '/opt/vixwin/vixwin.exe' '-I 1042 -N Anna^Berg -P C:\\VixWin\\Images\\')" \
    '"vixwin_program"="/opt/vixwin/"' '"vixwin_images"="C:\\VixWin\\Images\\"'
check dtxstudio "$(launch '/opt/dtx/DTXSync.exe' \
    '-c \"UPDATE_CREATE\" -r \"001042\" -f \"Anna\" -l \"Berg\" -b \"1980-01-02\" -g \"FEMALE\"')" \
    '"dtxstudio_program"="/opt/dtx/"' '"dtxstudio_idpad"="6"'
check sopro "$(launch '/opt/sopro/SOPRO Imaging.exe' '1042 \"Berg\" \"Anna\" \"02/01/1980\"')" \
    '"sopro_program"="/opt/sopro/"'
check romexis "$(launch '/opt/romexis/romexis' '\"1042\" \"Berg\" \"Anna\" \"19800102\"')" \
    '"romexis_program"="/opt/romexis/romexis"'
check acteon "$(launch '' '1042 \"Berg\" \"Anna\" \"19800102\"')"
for format in 0 1 2 none; do
    case $format in
        0) name='Anna Berg' ;;
        1) name='Mrs Anna Berg' ;;
        2) name='Berg, Anna' ;;
        none) name='' ;;
    esac
    setting=()
    [ "$format" != none ] && setting=("\"digora_nameformat\"=\"$format\"")
    check digora "{\"effect\":\"clipboard\",\"text\":\"\$\$DFWIN\$\$ OPEN -n\\\"$name\\\" -c\\\"1042\\\" -r -a\"}" \
        "${setting[@]}"
done
check apexnrg ""

# Without the settings key's values a bridge still runs with the bare program name.
check myray "$(launch 'NNTBridge.exe' '/PATID 1042 /name Anna /surname Berg /dateb 01,02,1980 /sex F')"

# Patient values with blanks, shell syntax and non-ASCII letters go out unchanged (and JSON-escaped); their double
# quotes, which could open or close an argument, are dropped.
# The request is UTF-16 with its byte-order mark, so the letters do not depend on the code page.
{
    printf '\xff\xfe'
    printf '[settings]\r\naction=images\r\npatient_id=$(id)\r\nforenames=Zoë `x`\r\nsurname=O'"'"'Brien; \\ "q"\r\ndob=\r\ngender=M\r\n' |
        iconv -f UTF-8 -t UTF-16LE
} >"$REQUEST"
check dentaleye "$(launch 'cmdlink.exe' '/ID=$(id) /FN=Zoë `x` /LN=O'"'"'Brien; \\ q /BD= /Sex=M')"

echo "imaging single: $checked checks passed"
