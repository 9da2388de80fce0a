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
cp "$here/../../src/windows/veltrane-client-tools.ico" "$work/veltrane-client-tools.ico"
: >"$work/clienttools.log"
# wixl takes file sources relative to the folder it runs in.
(cd "$work" && wixl -a x64 -D Version="$version" -D Exe=veltrane-client-tools.exe -D Log=clienttools.log \
    -D Icon=veltrane-client-tools.ico \
    -o "$work/package.msi" "$here/veltrane-client-tools.wxs")

# The shared log, which wixl cannot mark: permanent (16) and never overwritten (128), so no uninstall, upgrade or
# repair takes the practice's record; owned by the administrators, every user may append to it (0x120084:
# append, read attributes and access list, synchronize), only administrators and the system may read it. The
# program writes a log only while it is so.
msiinfo export "$work/package.msi" Component |
    awk -F'\t' 'BEGIN { OFS = "\t" } { sub(/\r$/, "") } $1 == "SharedLog" { $4 = $4 + 16 + 128 } { printf "%s\r\n", $0 }' \
        >"$work/Component.idt"
printf '%s\r\n' $'MsiLockPermissionsEx\tLockObject\tTable\tSDDL\tCondition' $'s72\ts72\ts32\ts0\tS255' \
    $'MsiLockPermissionsEx\tMsiLockPermissionsEx' \
    $'SharedLogAccess\tSharedLogFile\tFile\tO:BAG:SYD:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x120084;;;BU)\t' \
    >"$work/MsiLockPermissionsEx.idt"
(cd "$work" && msibuild package.msi -i Component.idt && msibuild package.msi -i MsiLockPermissionsEx.idt)

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
