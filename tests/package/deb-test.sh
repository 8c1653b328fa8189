#!/usr/bin/env bash
# Makes the Debian package of a build, unpacks it as dpkg would install it and runs what it
# holds from there: the program, on the example it ships, and as the desktop entry starts it.
# lintian, when present, must find no error in it.
# Usage: deb-test.sh <cpack> <build folder> <version>
set -euo pipefail

cpack=$1
build=$2
version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*"
    exit 1
}

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack did not make the package"; }
debs=("$work/out/pakvue_${version}_"*.deb)
[ -f "${debs[0]}" ] || fail "no pakvue_${version}_*.deb in: $(ls "$work/out")"
deb=${debs[0]}
echo "made $(basename "$deb")"

root=$work/root
dpkg-deb -x "$deb" "$root"
for file in usr/bin/pakvue usr/share/applications/pakvue.desktop usr/share/man/man1/pakvue.1.gz \
    usr/share/doc/pakvue/copyright usr/share/doc/pakvue/changelog.gz \
    usr/share/doc/pakvue/examples/pakvue.config.json \
    usr/share/icons/hicolor/scalable/apps/pakvue.svg; do
    [ -f "$root/$file" ] || fail "the package has no /$file"
done
# The desktop entry's icon, at each size in the folder of that size.
grep -qx 'Icon=pakvue' "$root/usr/share/applications/pakvue.desktop" || fail "the entry names no icon"
for size in 16 24 32 48 256; do
    icon=$root/usr/share/icons/hicolor/${size}x$size/apps/pakvue.png
    [[ $(file -b "$icon") == "PNG image data, $size x $size, 8-bit/color RGBA"* ]] ||
        fail "$icon: $(file -b "$icon")"
done
[ "$(dpkg-deb -f "$deb" Recommends)" = xdg-utils ] || fail "xdg-utils is not recommended"
# The dependencies come from the libraries the program links, and those it opens when first
# needed.
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libx11-6 libfreetype6 libfontconfig1 libsystemd0; do
    [[ $depends == *"$library "* ]] || fail "Depends lacks $library: $depends"
done

output=$("$root/usr/bin/pakvue" --version)
[ "$output" = "PakVue $version" ] || fail "--version printed \"$output\""

example=$root/usr/share/doc/pakvue/examples/pakvue.config.json
status=0
output=$("$root/usr/bin/pakvue" --check "$example") || status=$?
echo "$output"
[ "$status" -eq 0 ] || fail "--check of the example exited with $status"
[[ $output == *"3 of 3 icons loaded"* ]] || fail "--check did not load the example's three icons"

# The desktop entry runs the program as it is, which finds its configuration in the user's
# folders; without a display it writes nothing there, says why and ends with 1.
grep -qx 'Exec=pakvue' "$root/usr/share/applications/pakvue.desktop" ||
    fail "the desktop entry does not run pakvue"
home=$work/home
mkdir "$home"
status=0
output=$(cd "$home" && env -u DISPLAY -u XDG_CONFIG_HOME -u XDG_STATE_HOME HOME="$home" \
    "$root/usr/bin/pakvue" 2>&1) || status=$?
[ "$status" -eq 1 ] || fail "without a display the program exited with $status"
[[ $output == *"unable to open the X display"* ]] || fail "it did not say why: $output"
[ ! -e "$home/.config" ] || fail "without a display it wrote into the user's folder"

if command -v lintian >/dev/null; then
    lintian --fail-on error "$deb" || fail "lintian found errors"
fi
echo "deb package test passed"
