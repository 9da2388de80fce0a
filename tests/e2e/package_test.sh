#!/usr/bin/env bash
# The Debian package from this build: built by CPack, installed with apt, the installed program run (version, an
# images request, the window), then removed. Afterwards only the user's settings and the shared log are left, and
# the machine is as the test found it. Needs root and apt, as on CI; skipped elsewhere.
source "$(dirname "$0")/lib.sh"
build="$(cd "$(dirname "$PROGRAM")/.." && pwd)"
package=veltrane-client-tools
logdir=/var/log/veltrane-client-tools

if [ "$(id -u)" -ne 0 ] || ! command -v apt-get >/dev/null || ! command -v cpack >/dev/null; then
    echo "SKIP: installing a package needs root, apt-get and cpack"; exit 77
fi
[ -f "$build/CPackConfig.cmake" ] || fail "no CPack configuration in $build"
export DEBIAN_FRONTEND=noninteractive

# What the machine had before, so the test can put it back.
dpkg-query -W -f='${Package}\n' | sort >"$E2E_DIR/packages.before"
# A shared log already there is a record: kept aside and put back exactly as it was.
logdir_existed=no
if [ -e "$logdir" ]; then logdir_existed=yes; cp -a "$logdir" "$E2E_DIR/logdir.saved"; fi
installed() { dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; }
cleanup() {
    installed && apt-get purge -y -qq "$package" >/dev/null 2>&1
    # Packages apt pulled in only for this one go again.
    dpkg-query -W -f='${Package}\n' | sort >"$E2E_DIR/packages.after"
    mapfile -t added < <(comm -13 "$E2E_DIR/packages.before" "$E2E_DIR/packages.after")
    [ ${#added[@]} -eq 0 ] || apt-get purge -y -qq "${added[@]}" >/dev/null 2>&1
    rm -rf "$logdir"
    [ "$logdir_existed" = no ] || cp -a "$E2E_DIR/logdir.saved" "$logdir"
    [ -z "${app_pid:-}" ] || kill "$app_pid" 2>/dev/null
}
at_exit cleanup
# A copy left behind by an interrupted earlier run is taken away first, so the files checked are this build's.
if installed; then
    echo "note: $package was installed before the test; removing it first"
    apt-get remove -y -qq "$package" >/dev/null || fail "could not remove the earlier $package"
fi

# Build the package.
started=$SECONDS
cpack --config "$build/CPackConfig.cmake" -B "$E2E_DIR/pkg" >"$E2E_DIR/cpack.log" 2>&1 ||
    fail "cpack failed: $(tail -20 "$E2E_DIR/cpack.log")"
debs=("$E2E_DIR"/pkg/${package}_*.deb)
deb="${debs[0]}"
[ -f "$deb" ] || fail "cpack made no ${package}_*.deb: $(ls -R "$E2E_DIR/pkg")"
echo "package built in $((SECONDS - started)) s: $(basename "$deb"), $(du -k "$deb" | cut -f1) KiB"

# Its contents and what it declares.
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$E2E_DIR/contents"
for file in /usr/bin/veltrane-client-tools \
    /usr/lib/veltrane-client-tools/libveltrane-ui.so /usr/lib/veltrane-client-tools/libveltrane-browser.so \
    /usr/lib/veltrane-client-tools/libveltrane-printers.so /usr/lib/veltrane-client-tools/veltrane-clipboard \
    /usr/share/applications/veltrane-client-tools.desktop /usr/share/mime/packages/veltrane-client-tools.xml \
    /usr/share/icons/hicolor/scalable/apps/veltrane-client-tools.svg \
    /usr/share/man/man1/veltrane-client-tools.1.gz /etc/logrotate.d/veltrane-client-tools; do
    grep -qx "$file" "$E2E_DIR/contents" || fail "the package lacks $file"
done
if grep -E '^/usr/(bin|lib/veltrane-client-tools)/.*(test|harness|recorder|fuzz|bench)' "$E2E_DIR/contents"; then
    fail "the package ships test programs"
fi
depends="$(dpkg-deb -f "$deb" Depends)"
for dependency in libqt6widgets6 libqt6webenginecore6-bin libqt6webenginewidgets6 qt6-qpa-plugins libcups2 libx11-6; do
    grep -qE "(^|, )$dependency( |,|$)" <<<"$depends" || fail "Depends lacks $dependency: $depends"
done
dpkg-deb -e "$deb" "$E2E_DIR/control"
[ -x "$E2E_DIR/control/postinst" ] || fail "the package has no postinst"
[ -x "$E2E_DIR/control/postrm" ] || fail "the package has no postrm (the desktop's databases keep its types)"
if command -v desktop-file-validate >/dev/null; then
    dpkg-deb -x "$deb" "$E2E_DIR/root"
    desktop-file-validate "$E2E_DIR/root/usr/share/applications/veltrane-client-tools.desktop" ||
        fail "the desktop entry is not valid"
fi
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/applications/veltrane-client-tools.desktop >"$E2E_DIR/entry"
expect_contains "the desktop entry opens request files and links" \
    'MimeType=application/x-veltrane-request;x-scheme-handler/veltrane-client-tools;' "$E2E_DIR/entry"
expect_contains "the desktop entry passes the link or file" 'Exec=veltrane-client-tools %u' "$E2E_DIR/entry"

# Install it as a practice would.
apt-get install -y -qq "$deb" >"$E2E_DIR/apt.log" 2>&1 || fail "apt could not install it: $(tail -20 "$E2E_DIR/apt.log")"
installed || fail "apt reported success but $package is not installed"
expect_eq "log folder" "root:root 755 directory" "$(stat -c '%U:%G %a %F' "$logdir")"
expect_eq "log file" "root:root 622 regular" "$(stat -c '%U:%G %a %F' "$logdir/clienttools.log" | cut -d' ' -f1-3)"
# Append-only where the file system can say so: nobody may truncate it.
if lsattr -d "$logdir" >/dev/null 2>&1; then
    expect_eq "the log is append-only" a "$(lsattr "$logdir/clienttools.log" | cut -c6)"
fi
expect_eq "the log's rotation rule" "$(cat "$(dirname "$0")/../../packaging/veltrane-client-tools.logrotate")" \
    "$(cat /etc/logrotate.d/veltrane-client-tools 2>&1)"
if command -v logrotate >/dev/null; then
    logrotate -d /etc/logrotate.d/veltrane-client-tools >"$E2E_DIR/logrotate.out" 2>&1 ||
        fail "logrotate does not take the rule: $(cat "$E2E_DIR/logrotate.out")"
fi
# Reconfiguring puts a changed mode right and keeps what the log holds (an administrator first takes the
# append-only flag off, as changing the mode needs).
printf 'a line of the record\r\n' >>"$logdir/clienttools.log"
chattr -a "$logdir/clienttools.log" 2>/dev/null || true
chmod 0666 "$logdir/clienttools.log"
chmod 0777 "$logdir"
dpkg-reconfigure "$package" >/dev/null 2>&1 || dpkg --configure -a >/dev/null
expect_eq "log folder after reconfigure" "root:root 755" "$(stat -c '%U:%G %a' "$logdir")"
expect_eq "log file after reconfigure" "root:root 622" "$(stat -c '%U:%G %a' "$logdir/clienttools.log")"
expect_eq "the record survives reconfiguring" "a line of the record" "$(tr -d '\r' <"$logdir/clienttools.log" | tail -1)"

# The installed program, with no help from the build tree.
unset VELTRANE_UI_MODULE VELTRANE_PRINTERS_MODULE VELTRANE_BROWSER_MODULE VELTRANE_CLIPBOARD_HELPER
installed_program=/usr/bin/veltrane-client-tools
[ "$(command -v veltrane-client-tools)" = "$installed_program" ] || fail "veltrane-client-tools is not on PATH"
expect_eq "--version" "veltrane-client-tools 4.26" "$(veltrane-client-tools --version)"
if ldd "$installed_program" | grep 'not found'; then fail "the installed program misses a library"; fi
if ldd "$installed_program" | grep veltrane; then fail "the installed program links a library of ours"; fi

request="$E2E_DIR/request.ini"
printf '[settings]\r\naction=images\r\npatient_id=1042\r\nforenames=Anna\r\nsurname=Berg\r\ndob=19800102\r\ngender=F\r\n' \
    >"$request"
write_settings '"logging_enabled"="True"' '"dentaleye_enabled"="True"' '"dentaleye_program"="/opt/dentaleye/"'
out="$(veltrane-client-tools --dry-run -x "$request" 2>"$E2E_DIR/err")" || fail "the images request failed: $(cat "$E2E_DIR/err")"
expect_eq "images request" \
    '{"effect":"launch","verb":"open","file":"/opt/dentaleye/cmdlink.exe","parameters":"/ID=1042 /FN=Anna /LN=Berg /BD=19800102 /Sex=F","directory":"","showCommand":1}' \
    "$out"

# The same request from a link, and the registrations a browser asks the desktop about.
out="$(veltrane-client-tools --dry-run \
    'veltrane-client-tools:images?patient_id=1042&forenames=Anna&surname=Berg&dob=19800102&gender=F' 2>"$E2E_DIR/err")" ||
    fail "the link failed: $(cat "$E2E_DIR/err")"
expect_eq "images request from a link" \
    '{"effect":"launch","verb":"open","file":"/opt/dentaleye/cmdlink.exe","parameters":"/ID=1042 /FN=Anna /LN=Berg /BD=19800102 /Sex=F","directory":"","showCommand":1}' \
    "$out"
if command -v xdg-mime >/dev/null; then
    expect_eq "the link scheme's program" veltrane-client-tools.desktop \
        "$(xdg-mime query default x-scheme-handler/veltrane-client-tools)"
    cp "$request" "$E2E_DIR/download.veltrane-request"
    expect_eq "a downloaded request's type" application/x-veltrane-request \
        "$(xdg-mime query filetype "$E2E_DIR/download.veltrane-request")"
fi

# The configuration window from the installed modules, under Xvfb.
start_xvfb "$E2E_DIR" -screen 0 800x600x24 -dpi 96
write_settings
# Started as the applications menu starts it.
# Started from the menu, %u stands for nothing.
read -r -a menu_command < <(sed -n 's/^Exec=//p' /usr/share/applications/veltrane-client-tools.desktop | sed 's/ %u$//')
expect_eq "the menu entry's command" veltrane-client-tools "${menu_command[*]}"
"${menu_command[@]}" >"$E2E_DIR/app.out" 2>&1 &
app_pid=$!
window="$(timeout 30 xdotool search --sync --onlyvisible --name '^Veltrane Client Tools$' | head -1)" ||
    fail "the installed program showed no window: $(cat "$E2E_DIR/app.out") $(xvfb_state)"
[ -n "$window" ] || fail "no window"
grep -q ' /usr/lib/veltrane-client-tools/libveltrane-ui.so$' "/proc/$app_pid/maps" ||
    fail "the window module was not loaded from the private folder"
shots="$build/package-test"
mkdir -p "$shots"
import -window root "$shots/installed-window.png" || fail "no screenshot"
echo "screenshot: $shots/installed-window.png"
kill "$app_pid"
wait "$app_pid" 2>/dev/null || true
app_pid=

# Remove it: nothing of the package stays but the shared log; the user's settings are the user's.
apt-get remove -y -qq "$package" >/dev/null || fail "apt could not remove it"
installed && fail "still installed after remove"
left=()
while read -r path; do
    # The rotation rule is configuration: remove keeps it, purge takes it.
    [ "$path" = / ] || [ ! -e "$path" ] || [ -d "$path" ] || [ "$path" = /etc/logrotate.d/veltrane-client-tools ] ||
        left+=("$path")
done <"$E2E_DIR/contents"
[ ${#left[@]} -eq 0 ] || fail "left behind after remove: ${left[*]}"
[ ! -e /usr/lib/veltrane-client-tools ] || fail "the private folder was left behind"
[ -f "$logdir/clienttools.log" ] || fail "remove took the shared log away"
[ -f "$SETTINGS" ] || fail "remove took the user's settings away"
apt-get purge -y -qq "$package" >/dev/null 2>&1 || true
[ -f "$logdir/clienttools.log" ] || fail "purge took the shared log away"
[ ! -e /etc/logrotate.d/veltrane-client-tools ] || fail "purge left the log's rotation rule behind"
expect_eq "the record survives purge" "a line of the record" "$(tr -d '\r' <"$logdir/clienttools.log" | tail -1)"
echo PASS
