#!/usr/bin/env bash
# Makes the Windows installer from the program as it is shipped (the build strips it first): wixl, then the upgrade
# rule. Usage: make-msi.sh PROGRAM.exe VERSION OUT.msi
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
program="$1"
version="$2"
out="$3"
command -v wixl >/dev/null || { echo "make-msi.sh: wixl is missing (apt-get install wixl)" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

cp "$program" "$work/veltrane-client-tools.exe"
# wixl takes file sources relative to the folder it runs in.
(cd "$work" && wixl -a x64 -D Version="$version" -D Exe=veltrane-client-tools.exe -o "$work/package.msi" \
    "$here/veltrane-client-tools.wxs")

# A package of the same version must replace the installed one too (a rebuilt fix), or both would be installed
# side by side: the upgrade row's maximum becomes inclusive. wixl has no attribute for this.
msiinfo export "$work/package.msi" Upgrade |
    awk -F'\t' 'BEGIN { OFS = "\t" } { sub(/\r$/, "") } $7 == "WIX_UPGRADE_DETECTED" { $5 = $5 + 512 } { printf "%s\r\n", $0 }' \
        >"$work/Upgrade.idt"
(cd "$work" && msibuild package.msi -i Upgrade.idt)
upgrade="$(msiinfo export "$work/package.msi" Upgrade)"
grep -q $'\t513\t\tWIX_UPGRADE_DETECTED' <<<"$upgrade" ||
    { echo "make-msi.sh: the upgrade rule was not set" >&2; exit 1; }
mkdir -p "$(dirname "$out")"
mv "$work/package.msi" "$out"
