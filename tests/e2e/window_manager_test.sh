#!/usr/bin/env bash
# The window under a real window manager (openbox in Xvfb), driven with real key presses and clicks: the frame
# has a title bar to move the window by, closing, minimising or rolling it up from the window manager does not end
# or lose it, only DONE ends it, a second copy's window opens clear of the first, and Tab follows the designed
# order on the Config, Imaging and Choose Imaging System pages without being trapped.
source "$(dirname "$0")/lib.sh"
need openbox xdotool xprop xwininfo import
shots="$(cd "$(dirname "$PROGRAM")/.." && pwd)/window-manager-test"
mkdir -p "$shots"
# A failure leaves a picture of the screen beside the others.
on_failure() {
    [ -n "${DISPLAY:-}" ] || return 0
    import -window root "$shots/failure.png" 2>/dev/null
    echo "(screen: $shots/failure.png) $(xvfb_state)" >&2
}

start_xvfb "$E2E_DIR" -screen 0 1024x768x24 -dpi 96
openbox --sm-disable >"$E2E_DIR/openbox.log" 2>&1 &
wm_pid=$!
at_exit 'kill "$wm_pid" 2>/dev/null'
app_pid=
at_exit '[ -z "$app_pid" ] || kill "$app_pid" 2>/dev/null'
# A loaded machine may take a while to start the window manager.
wait_for 60 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
    fail "openbox did not start managing: $(cat "$E2E_DIR/openbox.log")"

REQUEST="$E2E_DIR/request.ini"
printf '[settings]\r\naction=images\r\npatient_id=1042\r\nforenames=Anna\r\nsurname=Berg\r\ndob=19800102\r\ngender=F\r\n' \
    >"$REQUEST"

# start ARGS...: the program in the background, until its window is shown and has the keyboard focus.
start() {
    "$PROGRAM" "$@" >"$E2E_DIR/out" 2>"$E2E_DIR/err" &
    app_pid=$!
    window="$(timeout 30 xdotool search --sync --onlyvisible --name '^Veltrane Client Tools$' | head -1)"
    [ -n "$window" ] || fail "no window: $(cat "$E2E_DIR/err")"
    wait_for 10 sh -c "[ \"\$(xdotool getactivewindow)\" = $window ]" || xdotool windowactivate --sync "$window"
}
# ended_with CODE: the program has ended by itself, with that exit code.
ended_with() {
    wait_for 10 ended "$app_pid" || fail "the program did not end: $(cat "$E2E_DIR/err")"
    local code=0
    wait "$app_pid" || code=$?
    app_pid=
    expect_eq "exit code" "$1" "$code"
}
still_running() {  # the program and its window survive for a moment after what was done to them
    if wait_for 2 sh -c "! kill -0 $app_pid || ! xdotool search --onlyvisible --name '^Veltrane Client Tools$'"; then
        fail "$1"
    fi
}
keys() { xdotool key --delay 40 "$@"; }
# client_place WINDOW: CX, CY, CW, CH, where the window's own area is on the screen (xdotool's position of a
# framed window is off by the frame).
client_place() {
    local info
    info="$(xwininfo -id "$1")"
    CX=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
    CY=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
    CW=$(sed -n 's/^ *Width: *//p' <<<"$info")
    CH=$(sed -n 's/^ *Height: *//p' <<<"$info")
}
# moved_by WINDOW DX DY: the window's area is DX, DY from where it was (before_x, before_y).
moved_by() {
    client_place "$1"
    [ "$CX" -eq $((before_x + $2)) ] && [ "$CY" -eq $((before_y + $3)) ]
}
setting() { tr -d '\r' <"$SETTINGS" | grep -F "\"$1\"=" | cut -d= -f2-; }

# ---- the frame
write_settings
start
expect_eq "window manager hints" "_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = 0x3, 0x4, 0xa, 0x0, 0x0" \
    "$(xprop -id "$window" _MOTIF_WM_HINTS)"
# A title bar to move the window by: the frame is deeper above the window than beside it.
extents="$(xprop -id "$window" _NET_FRAME_EXTENTS | sed 's/.*= //')"
IFS=', ' read -r left right top bottom <<<"$extents"
[ "$left" -le 2 ] && [ "$top" -ge 10 ] || fail "the frame has no title bar: extents $extents"
actions="$(xprop -id "$window" _NET_WM_ALLOWED_ACTIONS)"
if grep -qE 'MAXIMIZE|RESIZE' <<<"$actions"; then fail "the window manager offers: $actions"; fi
import -window root "$shots/openbox-window.png"
client_place "$window"
# Dragged by its title bar, the window follows the pointer. A drag the window manager took for a click (the pointer
# moved before it saw the press) is tried again.
dragged=
for attempt in 1 2 3; do
    client_place "$window"
    before_x=$CX before_y=$CY
    xdotool mousemove $((CX + 200)) $((CY - top / 2))
    xdotool mousedown 1
    xdotool mousemove $((CX + 210)) $((CY - top / 2 + 5))
    xdotool mousemove $((CX + 100)) $((CY - top / 2 + 40))
    xdotool mouseup 1
    if wait_for 3 moved_by "$window" -100 40; then
        dragged=1
        break
    fi
done
[ -n "$dragged" ] || fail "dragging the title bar did not move the window: at $CX,$CY, was $before_x,$before_y"
import -window root "$shots/openbox-moved.png"
# The page tabs have had the focus since the window opened: Tab and Enter press "Set Appointment Default", whose
# short message box (no printer chosen) shows its whole title (look at the picture); Enter closes it.
xdotool windowactivate --sync "$window"
keys Tab Return
wait_for 10 sh -c "[ \$(xdotool search --onlyvisible --name '^Veltrane Client Tools\$' | wc -l) -eq 2 ]" ||
    fail "no message box for a printer never chosen"
import -window root "$shots/openbox-message-box.png"
keys Return
wait_for 10 sh -c "[ \$(xdotool search --onlyvisible --name '^Veltrane Client Tools\$' | wc -l) -eq 1 ]" ||
    fail "Enter did not close the message box"
# Openbox draws its buttons and window menu whatever the hints say: close, maximise and minimise at the right end
# of the title bar, the menu at its left end. None of them ends or hides the window. (Minimise comes last: a click
# that follows a window's way back from minimised may go to openbox's animation instead.)
for from_right in 10 27; do
    xdotool mousemove $((CX + CW - from_right)) $((CY - top / 2)) click 1
    still_running "a click on the title bar's button $from_right pixels from its right end ended or hid the window"
done
xdotool mousemove $((CX + 8)) $((CY - top / 2)) click 1
import -window root "$shots/openbox-menu.png"
keys Escape
still_running "opening the window menu ended or hid the window"
# A scroll on the title bar rolls the window up to it, which would hide DONE: it unrolls at once.
xdotool mousemove $((CX + 200)) $((CY - top / 2)) click 4
wait_for 5 sh -c "! xprop -id $window _NET_WM_STATE | grep -q SHADED" || fail "the window stayed rolled up"
still_running "rolling the window up ended or hid it"
xdotool mousemove $((CX + CW - 44)) $((CY - top / 2)) click 1
wait_for 5 sh -c "xprop -id $window WM_STATE | grep -q 'window state: Normal'" ||
    fail "the window did not come back after a click on the title bar's minimise button"
still_running "the title bar's minimise button ended or hid the window"
# The window manager's close key asks the window to close; only DONE ends it.
xdotool windowactivate --sync "$window"
keys alt+F4
still_running "the window manager's close key ended the program"
# Minimised from the window manager's keyboard menu, it comes back: without a taskbar it would be lost.
xdotool windowminimize "$window"
wait_for 5 sh -c "xprop -id $window WM_STATE | grep -q 'window state: Normal'" || fail "the minimised window did not come back"
# DONE ends it with exit code 0. Openbox may still be bringing the window back and take the first click for that,
# so the click is repeated until the program ends.
client_place "$window"
place="$("$(dirname "$PROGRAM")/window-table" place ColorButton1)" || fail "no place for DONE in the window table"
read -r cx cy cw ch _ <<<"$place"
for attempt in 1 2 3; do
    xdotool mousemove $((CX + cx + cw / 2)) $((CY + cy + ch / 2)) click 1
    if wait_for 3 ended "$app_pid"; then break; fi
done
ended_with 0

# ---- Two requests at once are two processes: the second window opens a title bar's height down and right of the
# first, a third one step further, one that would leave the screen starts again at its top left, and two started
# at the same moment do not open on the same place either.
# another: one more copy of the program in the background, until its window is shown; that window in $window.
another() {
    local before
    before="$(xdotool search --onlyvisible --name '^Veltrane Client Tools$' | sort)"
    "$PROGRAM" >>"$E2E_DIR/out" 2>>"$E2E_DIR/err" &
    others+=($!)
    wait_for 30 sh -c "[ \$(xdotool search --onlyvisible --name '^Veltrane Client Tools\$' | wc -l) -gt $(grep -c . <<<"$before") ]" ||
        fail "no second window: $(cat "$E2E_DIR/err")"
    window="$(comm -13 <(echo "$before") <(xdotool search --onlyvisible --name '^Veltrane Client Tools$' | sort))"
}
stop_others() {
    local pid
    for pid in "${others[@]}"; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true; done
    others=()
}
others=()
at_exit 'stop_others'
write_settings
start
first=$window
client_place "$first"
first_x=$CX first_y=$CY
IFS=', ' read -r left _ top _ <<<"$(xprop -id "$first" _NET_FRAME_EXTENTS | sed 's/.*= //')"
another
client_place "$window"
expect_eq "the second window's place" "$((first_x + top)),$((first_y + top))" "$CX,$CY"
another
client_place "$window"
expect_eq "the third window's place" "$((first_x + 2 * top)),$((first_y + 2 * top))" "$CX,$CY"
import -window root "$shots/three-windows.png"
stop_others
# The first window moved to where one step on would leave the screen: the next opens at the screen's top left.
xdotool windowmove --sync "$first" 440 250
client_place "$first"
[ "$CX,$CY" = "440,250" ] || fail "the first window did not move: at $CX,$CY"
another
client_place "$window"
expect_eq "the window that would leave the screen" "$left,$top" "$CX,$CY"
import -window root "$shots/window-at-the-screen-edge.png"
stop_others
kill "$app_pid"; wait "$app_pid" 2>/dev/null || true; app_pid=
# Two started at the same moment (a card and a receipt printed at once): one still opens a step from the other.
for round in 1 2 3; do
    "$PROGRAM" >>"$E2E_DIR/out" 2>>"$E2E_DIR/err" &
    others+=($!)
    "$PROGRAM" >>"$E2E_DIR/out" 2>>"$E2E_DIR/err" &
    others+=($!)
    wait_for 30 sh -c "[ \$(xdotool search --onlyvisible --name '^Veltrane Client Tools\$' | wc -l) -eq 2 ]" ||
        fail "two started together did not both show a window: $(cat "$E2E_DIR/err")"
    places=()
    for w in $(xdotool search --onlyvisible --name '^Veltrane Client Tools$'); do
        client_place "$w"
        places+=("$CX $CY")
    done
    read -r x1 y1 x2 y2 <<<"$(printf '%s\n' "${places[@]}" | sort -n | tr '\n' ' ')"
    expect_eq "two windows started together, round $round" "$top,$top" "$((x2 - x1)),$((y2 - y1))"
    stop_others
done

# ---- Config: Tab leaves Memo1 for the check boxes.
write_settings '"logging_enabled"="False"' '"server_ssl"="False"'
start
keys Right            # the page tabs have the focus: on to "Config"
keys Tab Tab space    # Memo1, then "Write actions to log file"
wait_for 5 sh -c "tr -d '\r' <'$SETTINGS' | grep -qx '\"logging_enabled\"=\"True\"'" ||
    fail "Tab did not reach \"Write actions to log file\" after Memo1: logging_enabled=$(setting logging_enabled)"
keys Tab space        # "Server uses SSL"
wait_for 5 sh -c "tr -d '\r' <'$SETTINGS' | grep -qx '\"server_ssl\"=\"True\"'" || fail "Tab did not reach \"Server uses SSL\""
import -window root "$shots/config-keyboard.png"
# Shift+Tab goes back the same way: SSL, logging box.
keys shift+Tab space
wait_for 5 sh -c "tr -d '\r' <'$SETTINGS' | grep -qx '\"logging_enabled\"=\"False\"'" || fail "Shift+Tab did not go back"
keys shift+Tab shift+Tab shift+Tab space   # Memo1, the page tabs, DONE: ends the program
ended_with 0

# ---- Imaging: the Dexis page in its order (Enabled, the program edit, Browse...), typed into for real. On the
# way the Digora page is shown, which reports a name format never chosen, so one is stored.
write_settings '"digora_nameformat"="0"'
start
keys Right Right Tab    # "Imaging", then its own page tabs (on "Cliniview")
keys --repeat 20 Left   # back to "Dexis"
keys Tab space          # "Enabled"
wait_for 5 sh -c "tr -d '\r' <'$SETTINGS' | grep -qx '\"dexis_enabled\"=\"True\"'" || fail "Tab did not reach Dexis's Enabled box"
keys Tab
xdotool type --delay 30 /opt/dexis
keys Tab                # leaving the edit stores it in folder form
wait_for 5 sh -c "tr -d '\r' <'$SETTINGS' | grep -qx '\"dexis_program\"=\"/opt/dexis/\"'" ||
    fail "the program edit did not follow the Enabled box: dexis_program=$(setting dexis_program)"
import -window root "$shots/imaging-keyboard.png"
kill "$app_pid"; wait "$app_pid" 2>/dev/null || true; app_pid=

# ---- Choose Imaging System: Tab reaches the system buttons, in order, before DONE, and Enter presses one.
write_settings '"dexis_enabled"="True"' '"dexis_program"="/opt/dexis/"' '"scanora_enabled"="True"' \
    '"scanora_program"="/opt/scanora/"' '"scanora_config"="/tmp/"' '"trophy_enabled"="True"' '"trophy_program"="/opt/trophy/"'
start --dry-run -x "$REQUEST"
import -window root "$shots/choose-keyboard.png"
keys Tab Tab Return     # past "Dexis" to "Scanora", pressed with Enter
ended_with 0
grep -q '"effect":"launch"' "$E2E_DIR/out" || grep -q '"effect":"file"' "$E2E_DIR/out" || fail "no bridge ran: $(cat "$E2E_DIR/out")"
grep -q 'SCANORA' "$E2E_DIR/out" || grep -q 'scanora' "$E2E_DIR/out" || fail "the second Tab did not reach Scanora: $(cat "$E2E_DIR/out")"
echo "screenshots: $shots"
echo PASS
