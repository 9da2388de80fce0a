# shellcheck shell=bash
# What every test script shares, end-to-end and Windows alike: checks, waiting on a condition with a deadline,
# clean-up when the script ends, a private X server, Wine prefixes and a private CUPS scheduler.
# Sourced (bash); the sourcing script keeps its own shell options.

SUPPORT_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
SOURCE_DIR="$(cd "$SUPPORT_DIR/../.." && pwd)"

# ---- Clean-up. Each piece that starts something registers its own stop; all of it runs once when the script
# ends, newest first, so a program goes before the display it ran on and the work folder goes last.
_at_exit=()
at_exit() { _at_exit=("$*" "${_at_exit[@]}"); }
_run_at_exit() {
    local command
    for command in "${_at_exit[@]}"; do eval "$command" || true; done
}
trap _run_at_exit EXIT
# A test stopped from outside (ctest's timeout) still cleans up.
trap 'exit 130' INT
trap 'exit 143' TERM

# ---- Checks. By default the first failure ends the script. After keep_going a failure is counted and the script
# goes on, so one run reports every broken check; it ends with `finish`. A script may define on_failure to leave
# a trace of each failure (a picture of the screen).
checks_passed=0
checks_failed=0
_keep_going=""
keep_going() { _keep_going=1; }
pass() {
    checks_passed=$((checks_passed + 1))
    echo "ok $*"
}
fail() {
    checks_failed=$((checks_failed + 1))
    echo "FAIL: $*" >&2
    if declare -F on_failure >/dev/null; then on_failure "$checks_failed" || true; fi
    [ -n "$_keep_going" ] || exit 1
}
expect_eq() {  # expect_eq WHAT EXPECTED ACTUAL
    if [ "$2" == "$3" ]; then pass "$1"; else fail "$1: expected [$2], got [$3]"; fi
}
expect_contains() {  # expect_contains WHAT TEXT FILE
    if grep -qF -- "$2" "$3" 2>/dev/null; then pass "$1"; else fail "$1: [$2] not in [$(cat "$3" 2>/dev/null)]"; fi
}
# finish: the count, and the script's status from it.
finish() {
    echo "$checks_passed passed, $checks_failed failed"
    [ "$checks_failed" -eq 0 ]
}

# need TOOL...: a missing tool ends the test as failed. skip_without TOOL...: a missing tool skips it (exit 77).
need() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (scripts/install-deps.sh test)" >&2; exit 1; }
    done
}
skip_without() {
    local tool
    for tool in "$@"; do command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }; done
}

# run_folder WORKDIR: $work is WORKDIR, absolute, with what it keeps between runs (a Wine prefix); $R is a new,
# empty folder in it for this run.
run_folder() {
    mkdir -p "$1"
    work="$(realpath "$1")"
    R="$work/run"
    rm -rf "$R"
    mkdir -p "$R"
}

# ---- Waiting.
now_ms() {
    local t=${EPOCHREALTIME//[!0-9]/}
    echo $((10#$t / 1000))
}
# wait_for SECONDS COMMAND...: true as soon as the command succeeds (its output is dropped), false once the
# deadline has passed. The command is tried at least once.
wait_for() {
    local seconds="$1" t deadline
    shift
    t=${EPOCHREALTIME//[!0-9]/}
    deadline=$((10#$t + seconds * 1000000))
    until "$@" >/dev/null 2>&1; do
        t=${EPOCHREALTIME//[!0-9]/}
        [ $((10#$t)) -lt "$deadline" ] || return 1
        sleep 0.1
    done
}
# alive PID: the process runs (an ended child that was not yet waited for does not count).
alive() {
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
    ! [[ ${stat##*) } =~ ^[ZX] ]]
}
ended() { ! alive "$1"; }

# ---- Local servers for the set-up check.
# test_server FILE MODE: a server on a free local port, its port written to FILE once it listens. MODE http
# answers every HEAD request; MODE silent takes connections and never answers. Ended when the script ends.
test_server() {
    python3 - "$1" "$2" <<'PY' &
import http.server, os, socket, sys, time
port_file, mode = sys.argv[1], sys.argv[2]
def announce(port):
    with open(port_file + ".tmp", "w") as f:
        f.write(str(port))
    os.rename(port_file + ".tmp", port_file)
if mode == "http":
    class Quiet(http.server.BaseHTTPRequestHandler):
        def do_HEAD(self):
            self.send_response(200)
            self.end_headers()
        def log_message(self, *args):
            pass
    server = http.server.HTTPServer(("127.0.0.1", 0), Quiet)
    announce(server.server_address[1])
    server.serve_forever()
else:
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(8)
    announce(listener.getsockname()[1])
    time.sleep(600)
PY
    at_exit "kill $! 2>/dev/null || true"
    wait_for 20 test -s "$1" || fail "the $2 test server did not start"
}

# ---- A private X server.
XVFB_PID=""
XVFB_LOG=""
_xvfb_stop_registered=""
# start_xvfb DIR [Xvfb options]: an X server of this script's own, as DISPLAY. The server picks a free display
# number itself (-displayfd), so tests side by side never take the same one. It counts as started once a client
# has talked to it; a start that fails is tried again (now and then a connection made at the same moment as many
# others fails). Its log is kept in DIR/xvfb.log: a display that goes away says why. Stopped when the script ends.
start_xvfb() {
    local dir="$1" attempt
    shift
    need Xvfb xdpyinfo
    mkdir -p "$dir"
    XVFB_LOG="$dir/xvfb.log"
    : >"$XVFB_LOG"
    if [ -z "$_xvfb_stop_registered" ]; then
        at_exit stop_xvfb
        _xvfb_stop_registered=1
    fi
    for attempt in 1 2 3 4 5; do
        rm -f "$dir/xvfb.display"
        echo "--- start $attempt: Xvfb $*" >>"$XVFB_LOG"
        # No reset when the last client leaves: a program starting just then would find no server to talk to.
        Xvfb -displayfd 3 -nolisten tcp -noreset "$@" 3>"$dir/xvfb.display" </dev/null >>"$XVFB_LOG" 2>&1 &
        XVFB_PID=$!
        if wait_for 30 _xvfb_settled "$dir/xvfb.display" && alive "$XVFB_PID"; then
            export DISPLAY=":$(head -n 1 "$dir/xvfb.display")"
            echo "--- answers on $DISPLAY" >>"$XVFB_LOG"
            return 0
        fi
        echo "--- no answer from start $attempt" >>"$XVFB_LOG"
        _xvfb_kill
    done
    echo "FAIL: Xvfb did not start in $attempt tries: $(cat "$XVFB_LOG")" >&2
    exit 1
}
# The server has ended, or it has named its display and answers there.
_xvfb_settled() {
    alive "$XVFB_PID" || return 0
    grep -qx '[0-9][0-9]*' "$1" 2>/dev/null && xdpyinfo -display ":$(head -n 1 "$1")" >/dev/null 2>&1
}
_xvfb_kill() {
    kill "$XVFB_PID" 2>/dev/null || true
    wait_for 10 ended "$XVFB_PID" || kill -9 "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
}
stop_xvfb() {
    [ -n "$XVFB_PID" ] || return 0
    if ! alive "$XVFB_PID"; then
        echo "note: Xvfb on ${DISPLAY:-?} ended before the test did; its log: $(cat "$XVFB_LOG")" >&2
    fi
    _xvfb_kill
}
# xvfb_state: nothing while the X server runs; otherwise that it has gone, with the end of its log.
xvfb_state() {
    [ -z "$XVFB_PID" ] || alive "$XVFB_PID" || echo "(Xvfb on ${DISPLAY:-?} has gone: $(tail -n 5 "$XVFB_LOG"))"
}

# ---- Wine: scripts/wine-run.sh is the one way a Windows program runs: "$WINE_RUN" PROGRAM ARGS..., in
# $WINEPREFIX, which it makes on first use. (Started in the background, its process is the program's own.)
WINE_RUN="$SOURCE_DIR/scripts/wine-run.sh"
# wine_prefix DIR: the Wine programs of this script run in the prefix DIR from now on; it is made now if it is not
# there yet (making one takes half a minute), so no timed step pays for it.
wine_prefix() {
    export WINEPREFIX="$1"
    mkdir -p "$(dirname "$1")"
    "$WINE_RUN" --make-prefix </dev/null || fail "no Wine prefix in $1"
}
# fresh_wine_prefix PRISTINE DIR: as wine_prefix DIR, with DIR a new copy of the prefix PRISTINE (kept between
# runs), so nothing an earlier run did is left in it.
fresh_wine_prefix() {
    WINEPREFIX="$1" "$WINE_RUN" --make-prefix </dev/null || fail "no Wine prefix in $1"
    rm -rf "$2"
    cp -a "$1" "$2"
    export WINEPREFIX="$2"
}
# winpath PATH: the Unix path as Wine sees it (drive Z:).
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
# wine_settings DIR NAME=VALUE...: the program's registry key holds exactly these text values (the .reg file and
# regedit's output are left in DIR).
wine_settings() {
    local dir="$1" pair value
    shift
    {
        printf 'REGEDIT4\r\n\r\n[-HKEY_CURRENT_USER\\Software\\Veltrane]\r\n\r\n[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n'
        for pair in "$@"; do
            value="${pair#*=}"
            value="${value//\\/\\\\}"
            printf '"%s"="%s"\r\n' "${pair%%=*}" "${value//\"/\\\"}"
        done
    } >"$dir/settings.reg"
    "$WINE_RUN" regedit /s "$(winpath "$dir/settings.reg")" </dev/null >"$dir/regedit.log" 2>&1
}

# ---- A private CUPS scheduler.
# start_cups DIR PRINTER...: a scheduler with these PDF printers (their PDFs in DIR/out/PRINTER) for the rest of
# the script, stopped when it ends. The user's default printer is written below HOME: a script without a
# temporary HOME of its own (TEST_HOME) gets the scheduler's. Returns 77 where no scheduler can run (not root, or
# CUPS or cups-pdf missing), 1 when it did not start.
start_cups() {
    local dir="$1" env_text status=0 home="$HOME"
    at_exit "bash '$SUPPORT_DIR/cups_sandbox.sh' stop '$dir' >/dev/null 2>&1"
    env_text=$(bash "$SUPPORT_DIR/cups_sandbox.sh" start "$@") || status=$?
    if [ "$status" -eq 77 ]; then
        echo "SKIP: no private CUPS scheduler"
        return 77
    fi
    [ "$status" -eq 0 ] || { echo "FAIL: the CUPS scheduler did not start" >&2; return 1; }
    eval "$env_text"
    if [ -n "${TEST_HOME:-}" ] && [ "$home" = "$TEST_HOME" ]; then HOME="$home"; fi
}
