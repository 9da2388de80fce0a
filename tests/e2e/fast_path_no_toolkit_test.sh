#!/usr/bin/env bash
# An images request that runs its one bridge at once never loads the GUI toolkit, even where a display exists.
source "$(dirname "$0")/lib.sh"

write_settings '"apexnrg_enabled"="True"'
printf '[settings]\r\naction=images\r\npatient_id=1042\r\n' >"$E2E_DIR/request.ini"
set +e
QT_QPA_PLATFORM=offscreen LD_DEBUG=files timeout 20 "$PROGRAM" -x "$E2E_DIR/request.ini" >"$E2E_DIR/out" 2>"$E2E_DIR/trace"
code=$?
set -e
if [ "$code" -eq 124 ]; then
    # The window opened instead: this build cannot dispatch images requests yet.
    echo "SKIP: images requests are not dispatched in this build" >&2
    exit 77
fi
[ "$code" -eq 0 ] || fail "images request exited with $code"
if grep -E 'file=.*(libQt6|libveltrane)' "$E2E_DIR/trace" >/dev/null; then
    fail "the toolkit was loaded: $(grep -E 'file=.*libQt6' "$E2E_DIR/trace" | head -2)"
fi
grep -q 'file=.*libstdc++' "$E2E_DIR/trace" || fail "the loader trace is empty, so the check above proves nothing"
echo PASS
