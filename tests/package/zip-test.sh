#!/usr/bin/env bash
# Makes the Windows zip of a cross build, unpacks it, reads the program's resources (manifest,
# version and icon) back out of it and runs it under Wine, from another folder, so that it finds
# the example configuration beside itself.
# Usage: zip-test.sh <cpack> <build folder> <version> <Wine runner> <cmake> <objdump>
set -euo pipefail

cpack=$1
build=$2
version=$3
wine_run=$(realpath "$4")
cmake=$5
objdump=$6
check_resources=$(realpath "$(dirname "$0")/../wine/check-resources.cmake")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*"
    exit 1
}

"$cpack" -G ZIP --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack did not make the zip"; }
zip=$work/out/PakVue-$version-win64.zip
[ -f "$zip" ] || fail "no $(basename "$zip") in: $(ls "$work/out")"

unzip -q "$zip" -d "$work/root"
folder=$work/root/PakVue-$version-win64
for file in pakvue.exe pakvue.config.json README.txt LICENSE; do
    [ -f "$folder/$file" ] || fail "the zip has no $file in $(basename "$folder")"
done
for file in README.txt LICENSE; do
    ! grep -qv $'\r$' "$folder/$file" || fail "$file has lines without Windows line ends"
done

"$cmake" -DOBJDUMP="$objdump" -DPROGRAM="$folder/pakvue.exe" -DVERSION="$version" \
    -P "$check_resources" || fail "the program's resources are not all there"

cd "$work"
output=$("$wine_run" "$folder/pakvue.exe" --version | tr -d '\r')
[ "$output" = "PakVue $version" ] || fail "--version printed \"$output\""

# Wine serves neither the disk nor the network counters, nor the privileged processor time or
# the committed memory, so the example's third icon and two of its other graphs fail there.
status=0
output=$("$wine_run" "$folder/pakvue.exe" --check | tr -d '\r') || status=$?
echo "$output"
[ "$status" -eq 1 ] || fail "--check of the example exited with $status, not 1"
[[ $output == *"2 of 3 icons loaded"* ]] || fail "--check did not find the example beside pakvue.exe"
echo "zip package test passed"
