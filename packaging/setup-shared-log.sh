#!/bin/sh
# Makes the folder and file of the activity log that every user of this machine shares, for a build from
# source (the Debian package does the same when it is installed). Run it as root; running it again changes
# nothing that is already right.
#
#   /var/log/veltrane-client-tools                  root:root 0755  only root can add, rename or remove files
#   /var/log/veltrane-client-tools/clienttools.log  root:root 0622  every user can append; only root can read
#
# The program writes the log only when both are root's like this (see the README). The log is also made
# append-only where the file system allows it (chattr +a), so other users cannot truncate or overwrite it;
# to rotate or remove it, root first runs chattr -a on it.
set -eu
folder="${1:-/var/log/veltrane-client-tools}"
log="$folder/clienttools.log"

if [ "$(id -u)" -ne 0 ]; then
    echo "setup-shared-log.sh: run this as root (for example with sudo)" >&2
    exit 1
fi
# Something other than a real folder or file at these names (a link, say) is not taken over.
if [ -L "$folder" ] || { [ -e "$folder" ] && [ ! -d "$folder" ]; }; then
    echo "setup-shared-log.sh: $folder exists and is not a folder; remove it first" >&2
    exit 1
fi
if [ -L "$log" ] || { [ -e "$log" ] && [ ! -f "$log" ]; }; then
    echo "setup-shared-log.sh: $log exists and is not a regular file; remove it first" >&2
    exit 1
fi

mkdir -p "$folder"
chown root:root "$folder"
chmod 0755 "$folder"
# Created empty when missing; an existing log keeps its lines.
[ -e "$log" ] || : >"$log"
# An append-only file refuses chown and chmod too, so the flag is set again below.
if command -v chattr >/dev/null 2>&1; then chattr -a "$log" 2>/dev/null || true; fi
chown root:root "$log"
chmod 0622 "$log"
if command -v chattr >/dev/null 2>&1 && chattr +a "$log" 2>/dev/null; then
    echo "$log: append-only"
else
    echo "$log: this file system cannot make it append-only; other users could truncate it"
fi
echo "$folder: root:root 0755; $log: root:root 0622"
