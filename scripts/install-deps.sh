#!/usr/bin/env bash
# Installs the Debian packages that building (run) or testing (test) needs, when any is missing.
set -euo pipefail

run_packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-webengine-dev libqt6webenginecore6-bin libcups2-dev libx11-dev
              fonts-dejavu-core fonts-liberation)
test_packages=(googletest libgtest-dev clang libclang-rt-14-dev xvfb xauth xclip x11-utils cups cups-client
               printer-driver-cups-pdf cups-filters poppler-utils python3 imagemagick locales xdotool)
# The Debian package is built and installed by the tests, and the window is tried under a real window manager.
test_packages+=(dpkg-dev desktop-file-utils openbox)
# The accessibility tests: a session bus with the accessibility bus on it, as a desktop has, and pyatspi to walk it.
test_packages+=(dbus at-spi2-core python3-pyatspi)
# The Windows build of the core and the Win32 backends, cross-built and tested under Wine.
test_packages+=(g++-mingw-w64-x86-64-posix mingw-w64 wine64 wixl msitools)
# The Windows program and its installer alone (scripts/build-windows.sh); the test sources come from googletest.
windows_packages=(cmake ninja-build googletest g++-mingw-w64-x86-64-posix mingw-w64 wixl msitools)

packages=("${run_packages[@]}")
if [ "${1:-run}" = windows ]; then packages=("${windows_packages[@]}"); fi
if [ "${1:-run}" = test ]; then packages+=("${test_packages[@]}"); fi
# The print benchmark compares against headless Chromium.
if [ "${1:-run}" = bench ]; then packages+=("${test_packages[@]}" chromium); fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then missing+=("$p"); fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}" >&2
if [ "$(id -u)" -eq 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
elif command -v sudo >/dev/null; then
    sudo apt-get update -qq
    sudo DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
else
    echo "These Debian packages are missing; ask an administrator to install them:" >&2
    echo "  apt-get install ${missing[*]}" >&2
    exit 1
fi
