#!/usr/bin/env bash
# `cmake --install` under any prefix: the installed program finds its window module and clipboard helper in its
# private folder, relative to where it was installed, with nothing from the build tree.
source "$(dirname "$0")/lib.sh"
build="$(cd "$(dirname "$PROGRAM")/.." && pwd)"
prefix="$E2E_DIR/opt/veltrane"
cmake --install "$build" --prefix "$prefix" >"$E2E_DIR/install.log" 2>&1 || fail "install failed: $(cat "$E2E_DIR/install.log")"
program="$prefix/bin/veltrane-client-tools"
private="$prefix/lib/veltrane-client-tools"
for file in "$program" "$private/libveltrane-ui.so" "$private/libveltrane-printers.so" \
    "$private/veltrane-clipboard" "$prefix/share/applications/veltrane-client-tools.desktop" \
    "$prefix/share/man/man1/veltrane-client-tools.1.gz"; do
    [ -e "$file" ] || fail "not installed: ${file#"$prefix"}"
done
[ ! -e "$prefix/bin/libveltrane-ui.so" ] || fail "modules were put beside the program"
# The core is inside the program: it needs no library of ours to start.
if readelf -d "$program" | grep -E 'NEEDED.*veltrane|R(UN)?PATH'; then fail "the program links a library of ours"; fi
# The build tree is moved out of reach: only the installed copy can be found.
unset VELTRANE_UI_MODULE VELTRANE_PRINTERS_MODULE VELTRANE_BROWSER_MODULE VELTRANE_CLIPBOARD_HELPER
expect_eq "--version" "veltrane-client-tools 4.26" "$("$program" --version)"
# The window on the offscreen platform: which files the running program has mapped.
env -u DISPLAY QT_QPA_PLATFORM=offscreen "$program" >"$E2E_DIR/app.out" 2>&1 &
app=$!
at_exit 'kill "$app" 2>/dev/null'
# Mapped, or ended: an ended program is said as such.
module_mapped_or_ended() { ended "$app" || grep -q 'libveltrane-ui.so' "/proc/$app/maps"; }
wait_for 20 module_mapped_or_ended || fail "the installed program loaded no window module"
alive "$app" || fail "the installed program ended: $(cat "$E2E_DIR/app.out")"
mapped="$(awk '$6 ~ /veltrane/ {print $6}' "/proc/$app/maps" | sort -u)"
grep -qx "$private/libveltrane-ui.so" <<<"$mapped" || fail "the window module did not come from $private: $mapped"
if grep -F "$build/" <<<"$mapped"; then fail "something was loaded from the build tree"; fi
echo PASS
