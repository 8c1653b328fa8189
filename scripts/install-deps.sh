#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
set -euo pipefail

packages=(
    g++ clang libclang-rt-14-dev clang-format cmake ninja-build pkg-config
    python3 libgtest-dev libbenchmark-dev libpng-dev python3-jsonschema
    libfreetype-dev libfontconfig-dev fonts-dejavu-core
    libx11-dev libxrandr-dev libsystemd-dev xvfb trayer tint2 xdotool x11-utils
    xfce4-panel dbus python3-dbus python3-gi
    g++-mingw-w64-x86-64-posix wine wine64
    dpkg-dev file lintian unzip
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
