# Shared helpers for the end-to-end scripts: a temporary HOME with its own settings file and shared folder.
set -euo pipefail

PROGRAM="${1:?usage: $0 PATH_TO_PROGRAM}"
[ -x "$PROGRAM" ] || { echo "program not found: $PROGRAM" >&2; exit 1; }

E2E_DIR="$(mktemp -d)"
trap 'rm -rf "$E2E_DIR"' EXIT
export HOME="$E2E_DIR/home"
export VELTRANE_SHARED_DIR="$E2E_DIR/shared"
export LANG=C.UTF-8 LC_ALL=C.UTF-8
unset XDG_CONFIG_HOME DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
mkdir -p "$HOME/.config/veltrane-client-tools" "$VELTRANE_SHARED_DIR"
SETTINGS="$HOME/.config/veltrane-client-tools/registry.reg"
LOG="$VELTRANE_SHARED_DIR/clienttools.log"

# write_settings '"name"="value"' ... : the settings file with these values in the program's key.
write_settings() {
    {
        printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n'
        for line in "$@"; do printf '%s\r\n' "$line"; done
    } >"$SETTINGS"
}

# log_messages: the log's messages without their time stamps, one per line.
log_messages() { sed -e 's/\r$//' -e 's/^[^:]*:[^:]*:[^:]*: //' "$LOG"; }

fail() { echo "FAIL: $*" >&2; exit 1; }

expect_eq() {  # expect_eq WHAT EXPECTED ACTUAL
    [ "$2" == "$3" ] || fail "$1: expected [$2], got [$3]"
}
