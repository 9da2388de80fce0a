#!/usr/bin/env bash
# The native window under Wine on an Xvfb desktop of its own: the window's tests over the fakes, then the real
# program with a settings registry and a request, used with mouse and keyboard through xdotool as a user would,
# with screenshots in the work folder to look at.
# Usage: window_test.sh win32-window-tests.exe veltrane-client-tools.exe command-line-recorder.exe WORKDIR
set -uo pipefail
source "$(dirname "$0")/../../support/lib.sh"
keep_going
tests="$(realpath "$1")"
program="$(realpath "$2")"
recorder="$(realpath "$3")"
run_folder "$4"
export LANG=C.UTF-8 LC_ALL=C.UTF-8
skip_without Xvfb xdpyinfo xdotool import
start_xvfb "$R" -screen 0 1024x768x24
# The prefix stays between runs (making one takes half a minute).
wine_prefix "$work/wine-prefix"
started=""
at_exit '[ -z "$started" ] || kill "$started" 2>/dev/null'

# ---- The window over the fakes, at 100 % and at 150 % scaling (the system DPI Wine reports).
dpi() {
    "$WINE_RUN" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f </dev/null >>"$R/reg.log" 2>&1
}
for scale in 96 144; do
    dpi "$scale"
    if VELTRANE_EXPECT_DPI="$scale" bash "$SUPPORT_DIR/wine_gtest.sh" "$tests"; then pass "the window's tests at $scale dpi"; else fail "the window's tests at $scale dpi"; fi
done
dpi 96

# settings NAME=VALUE ...: the program's key holds exactly these text values.
settings() { wine_settings "$R" "$@"; }
setting() {  # the stored text of a value, or nothing
    "$WINE_RUN" reg query 'HKCU\Software\Veltrane' /v "$1" </dev/null 2>/dev/null | tr -d '\r' |
        sed -n -E "s/^ +$1 +REG_SZ +//p"
}
window_shown() { wid="$(xdotool search --onlyvisible --name '^Veltrane Client Tools$' 2>/dev/null | head -n 1)"; [ -n "$wid" ]; }
# start ARGS...: the program in the background; its X window in $wid once it is shown.
start() {
    "$WINE_RUN" "$program" "$@" </dev/null >"$R/out" 2>"$R/err" &
    started=$!
    wid=""
    wait_for 60 window_shown || { fail "the window did not appear ($(cat "$R/err")) $(xvfb_state)"; return 1; }
    eval "$(xdotool getwindowgeometry --shell "$wid")"
}
# eventually WHAT EXPECTED COMMAND...: the command's output becomes the expected text within 10 seconds.
eventually() {
    local what="$1" expected="$2"
    shift 2
    wait_for 10 output_is "$expected" "$@"
    expect_eq "$what" "$expected" "$("$@")"
}
output_is() {  # EXPECTED COMMAND...
    local expected="$1"
    shift
    [ "$("$@")" == "$expected" ]
}
# pixel X Y: the colour on screen at a point of the window, as #RRGGBB.
pixel() {
    import -window root -crop "1x1+$((X + $1))+$((Y + $2))" -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -n 1
}
# program_ended: the program's exit code in $code once it has ended; "still running" after 30 seconds.
program_ended() {
    code="still running"
    wait_for 30 ended "$started" || return 0
    code=0
    wait "$started" || code=$?
    started=""
}
# DONE, pressed again until the program has ended (a click before the window takes input is lost); its code.
done_pressed() {
    for _ in $(seq 30); do
        click 509 32
        wait_for 1 ended "$started" && break
    done
    program_ended
}
# Keys go to the focused window (the program's since the last click), so Shift works as typed.
click() { xdotool mousemove --window "$wid" "$1" "$2" click 1 2>>"$R/xdotool.log"; }
keys() { xdotool key --delay 50 "$@" 2>>"$R/xdotool.log"; }
typed() { xdotool type --delay 30 "$1" 2>>"$R/xdotool.log"; }

# ---- The configuration window: its frame, a tab click, an edit left by Tab, DONE.
settings "logging_enabled=1" 'cliniview_program=C:\Cliniview\'
if start; then
    expect_eq "configuration: the client area" "570x490" "${WIDTH}x${HEIGHT}"
    # "Config" is the second tab of the page control at 8, 46.
    click 90 56
    eventually "configuration: the Config page's show stored the flag again" "True" setting logging_enabled
    import -window root "$R/config-page.png"
    click 145 56  # "Imaging": its Cliniview page shows
    # From the page tabs: the imaging tabs, Enabled, Browse, then the program edit; Tab into an edit selects it.
    keys Tab Tab Tab Tab
    typed 'D:\Clini'
    keys Tab
    eventually "configuration: the edit left stored its text in folder form" 'D:\Clini\' setting cliniview_program
    import -window root "$R/imaging-page.png"
    done_pressed
    expect_eq "configuration: DONE ends the program" 0 "$code"
fi

# ---- An images request with several systems: one button each; pressing one opens its system and ends.
printf '[settings]\r\naction=images\r\npatient_id=1042\r\nforenames=Anna\r\nsurname=Berg\r\ndob=19800102\r\ngender=F\r\n' \
    >"$R/request.ini"
mkdir -p "$R/Dental Eye" "$R/dexis"
cp "$recorder" "$R/Dental Eye/cmdlink.exe"
cp "$recorder" "$R/dexis/dexis.exe"
export VELTRANE_RECORDER_OUT
VELTRANE_RECORDER_OUT="$(winpath "$R/record")"
folder="$(winpath "$R/Dental Eye")\\"
settings "dentaleye_enabled=True" "dentaleye_program=$folder" "dexis_enabled=True" "dexis_program=$(winpath "$R/dexis")\\"
if start -x "$(winpath "$R/request.ini")"; then
    # The yellow panel of "Choose Imaging System" below the two buttons.
    eventually "several systems: the page with the systems is shown" "#FFFF00" pixel 300 400
    import -window root "$R/choose-system.png"
    # The keyboard starts at the page tabs; the systems' buttons come next.
    keys Tab space
    program_ended
    expect_eq "several systems: the chosen system ends the program" 0 "$code"
    wait_for 10 test -e "$R/record"
    expect_eq "several systems: the first system got its command line" \
        "cmd \"${folder}cmdlink.exe\" /ID=1042 /FN=Anna /LN=Berg /BD=19800102 /Sex=F" "$(head -n 1 "$R/record" 2>/dev/null)"
fi

echo "screenshots in $R"
finish
