#!/usr/bin/env bash
# The native window under Wine on an Xvfb desktop of its own: the window's tests over the fakes, then the real
# program with a settings registry and a request, used with mouse and keyboard through xdotool as a user would,
# with screenshots in the work folder to look at.
# Usage: window_test.sh win32-window-tests.exe veltrane-client-tools.exe command-line-recorder.exe WORKDIR
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
run="$here/../../../scripts/wine-run.sh"
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
tests="$(absolute "$1")"
program="$(absolute "$2")"
recorder="$(absolute "$3")"
mkdir -p "$4"
work="$(cd "$4" && pwd)"
rm -rf "$work/run"
mkdir -p "$work/run"
R="$work/run"
# The prefix stays between runs (making one takes half a minute).
export WINEPREFIX="$work/wine-prefix"
export LANG=C.UTF-8 LC_ALL=C.UTF-8
for tool in Xvfb xdotool import; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
done
xvfb=""
started=""
cleanup() {
    [ -n "$started" ] && kill "$started" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    true
}
trap cleanup EXIT
exec 3>"$R/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$R/xvfb.log" 2>&1 &
xvfb=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$R/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$R/display")"

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "ok $1"; }
fail() { failed=$((failed + 1)); echo "FAIL $1" >&2; }
expect_eq() {  # expect_eq WHAT EXPECTED ACTUAL
    if [ "$2" == "$3" ]; then pass "$1"; else fail "$1: expected [$2], got [$3]"; fi
}

# ---- The window over the fakes, at 100 % and at 150 % scaling (the system DPI Wine reports).
dpi() {
    "$run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f </dev/null >>"$R/reg.log" 2>&1
}
for scale in 96 144; do
    dpi "$scale"
    if VELTRANE_EXPECT_DPI="$scale" bash "$here/../../support/wine_gtest.sh" "$tests"; then pass "the window's tests at $scale dpi"; else fail "the window's tests at $scale dpi"; fi
done
dpi 96

winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
# settings NAME=VALUE ...: the program's key holds exactly these text values.
settings() {
    {
        printf 'REGEDIT4\r\n\r\n[-HKEY_CURRENT_USER\\Software\\Veltrane]\r\n\r\n[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n'
        for pair in "$@"; do
            local value="${pair#*=}"
            value="${value//\\/\\\\}"
            printf '"%s"="%s"\r\n' "${pair%%=*}" "${value//\"/\\\"}"
        done
    } >"$R/settings.reg"
    "$run" regedit /s "$(winpath "$R/settings.reg")" </dev/null >"$R/regedit.log" 2>&1
}
setting() {  # the stored text of a value, or nothing
    "$run" reg query 'HKCU\Software\Veltrane' /v "$1" </dev/null 2>/dev/null | tr -d '\r' |
        sed -n -E "s/^ +$1 +REG_SZ +//p"
}
# start ARGS...: the program in the background; its X window in $wid once it is shown.
start() {
    "$run" "$program" "$@" </dev/null >"$R/out" 2>"$R/err" &
    started=$!
    wid=""
    for _ in $(seq 600); do
        wid="$(xdotool search --onlyvisible --name '^Veltrane Client Tools$' 2>/dev/null | head -n 1)"
        [ -n "$wid" ] && break
        sleep 0.1
    done
    [ -n "$wid" ] || { fail "the window did not appear ($(cat "$R/err"))"; return 1; }
    eval "$(xdotool getwindowgeometry --shell "$wid")"
}
# eventually WHAT EXPECTED COMMAND...: the command's output becomes the expected text within 10 seconds.
eventually() {
    local what="$1" expected="$2" actual=""
    shift 2
    for _ in $(seq 100); do
        actual="$("$@")"
        [ "$actual" == "$expected" ] && break
        sleep 0.1
    done
    expect_eq "$what" "$expected" "$actual"
}
# pixel X Y: the colour on screen at a point of the window, as #RRGGBB.
pixel() {
    import -window root -crop "1x1+$((X + $1))+$((Y + $2))" -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -n 1
}
# ended: the program's exit code in $code once it has ended; "still running" after 30 seconds.
ended() {
    code="still running"
    for _ in $(seq 300); do
        if ! kill -0 "$started" 2>/dev/null; then
            code=0
            wait "$started" || code=$?
            started=""
            return
        fi
        sleep 0.1
    done
}
# DONE, pressed again until the program has ended (a click before the window takes input is lost); its code.
done_pressed() {
    for _ in $(seq 30); do
        click 509 32
        for _ in $(seq 10); do kill -0 "$started" 2>/dev/null && sleep 0.1; done
        kill -0 "$started" 2>/dev/null || break
    done
    ended
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
    ended
    expect_eq "several systems: the chosen system ends the program" 0 "$code"
    for _ in $(seq 100); do [ -e "$R/record" ] && break; sleep 0.1; done
    expect_eq "several systems: the first system got its command line" \
        "cmd \"${folder}cmdlink.exe\" /ID=1042 /FN=Anna /LN=Berg /BD=19800102 /Sex=F" "$(head -n 1 "$R/record" 2>/dev/null)"
fi

echo "$passed passed, $failed failed; screenshots in $R"
[ "$failed" -eq 0 ]
