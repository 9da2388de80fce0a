#!/usr/bin/env bash
# Runs a window test on a private X server with the X11 platform, for what the offscreen platform cannot show: the
# toolkit tells accessibility events only where a platform bridge for assistive technologies exists.
# Usage: on_xvfb.sh WORKDIR PROGRAM [ARGS...]
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../support/lib.sh"
run_folder "$1"
shift
start_xvfb "$R/x" -screen 0 1024x768x24
# A session bus with the accessibility bus on it, as a desktop has; the bridge stays on without a screen reader.
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
# shellcheck disable=SC2016
dbus-run-session -- bash -c '/usr/libexec/at-spi-bus-launcher --launch-immediately & launcher=$!
"$@"; status=$?
kill "$launcher" 2>/dev/null
exit $status' on_xvfb "$@"
