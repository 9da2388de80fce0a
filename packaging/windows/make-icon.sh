#!/usr/bin/env bash
# Draws the Windows program's icon (src/windows/veltrane-client-tools.ico) from the Linux icon's design
# (packaging/veltrane-client-tools.svg), each size rendered on its own so the small ones stay sharp. The .ico is
# committed: run this again after the design changes. Needs rsvg-convert (librsvg2-bin) and ImageMagick.
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
svg="$here/packaging/veltrane-client-tools.svg"
out="${1:-$here/src/windows/veltrane-client-tools.ico}"
for tool in rsvg-convert convert; do
    command -v "$tool" >/dev/null || { echo "make-icon.sh: $tool is missing (apt-get install librsvg2-bin imagemagick)" >&2; exit 1; }
done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# The sizes Windows asks for at 96 to 192 dpi: title bar, taskbar, Start menu, Explorer's views.
sizes=(16 20 24 32 40 48 64 256)
pngs=()
for size in "${sizes[@]}"; do
    rsvg-convert --width "$size" --height "$size" --background-color none -o "$work/$size.png" "$svg"
    pngs+=("$work/$size.png")
done
# 32-bit colour with alpha in every size (the 256 one stored as PNG, as Windows expects it).
convert "${pngs[@]}" "$out"
echo "Made $out"
