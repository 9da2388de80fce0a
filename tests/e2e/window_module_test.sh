#!/usr/bin/env bash
# The program itself never links the GUI toolkit, and a run that cannot show its window says so and fails
# without ever loading the toolkit.
source "$(dirname "$0")/lib.sh"
program="$PROGRAM"
set +e

if ldd "$program" | grep -E 'libQt[0-9]' >/dev/null; then fail "the program links Qt: $(ldd "$program" | grep libQt)"; fi
[ -f "$(dirname "$program")/libveltrane-ui.so" ] || fail "the window module is not beside the program"

# No display at all: a clear message, exit code 2, and no toolkit library ever mapped (the loader's trace lists
# every library the run opened, dlopen included).
out="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM LD_DEBUG=files "$program" 2>&1)"; rc=$?
[ "$rc" -eq 2 ] || fail "expected exit code 2 without a display, got $rc"
grep -q 'the window cannot be shown: no display is available' <<<"$out" || fail "no clear message: $out"
if grep -E 'file=.*(libQt6|libveltrane-ui)' <<<"$out" >/dev/null; then fail "the toolkit was loaded: $(grep -E 'libQt6' <<<"$out" | head -3)"; fi

# A display that refuses the connection: the same, checked before the toolkit could abort the process.
out="$(env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:93 LD_DEBUG=files "$program" 2>&1)"; rc=$?
[ "$rc" -eq 2 ] || fail "expected exit code 2 with a refusing display, got $rc"
grep -q 'cannot connect to the X display ":93"' <<<"$out" || fail "no clear message: $out"
if grep -E 'file=.*libQt6' <<<"$out" >/dev/null; then fail "the toolkit was loaded for a refusing display"; fi

# A module that cannot be loaded: the message says so.
out="$(env -u DISPLAY QT_QPA_PLATFORM=offscreen VELTRANE_UI_MODULE=/nonexistent/libveltrane-ui.so "$program" 2>&1)"; rc=$?
[ "$rc" -eq 2 ] || fail "expected exit code 2 without the module, got $rc"
grep -q 'the window module could not be loaded' <<<"$out" || fail "no clear message: $out"

# Control: when the window can be shown, the trace does list the toolkit, so the checks above can fail.
out="$(env -u DISPLAY QT_QPA_PLATFORM=offscreen LD_DEBUG=files timeout 8 "$program" 2>&1)"
grep -E 'file=.*libQt6Widgets' <<<"$out" >/dev/null || fail "the window run did not load the toolkit"
echo PASS
