#!/usr/bin/env bash
# The desktop entry's start script, installed into a folder of its own with a stand-in for the
# program that says where and with what it ran. It makes the user's folder for the user alone,
# fills it once, finds the program however it was started, and says why when it cannot start,
# touching nothing outside the folder.
# Usage: start-script-test.sh <pakvue-start> <examples folder>
set -euo pipefail

script=$1
examples=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*"
    exit 1
}

usr=$work/usr
mkdir -p "$usr/bin" "$usr/libexec/pakvue" "$usr/share/pakvue" "$work/cwd"
cp "$script" "$usr/libexec/pakvue/pakvue-start"
cp "$examples/pakvue.config.json" "$examples/pakvue.config.schema.json" "$usr/share/pakvue/"
# shellcheck disable=SC2016 # expanded by the stand-in
printf '#!/bin/sh\necho "ran in $PWD with $*"\n' >"$usr/bin/pakvue"
chmod +x "$usr/bin/pakvue"
victim=$work/victim
echo "the user's own" >"$victim"

# Runs the script from $work/cwd, through the path given, with the environment given.
start() {
    local path=$1
    shift
    (cd "$work/cwd" && env "$@" "$path" --check) >"$work/out" 2>"$work/err"
}

expect_refusal() {
    local why=$1
    shift
    ! start "$usr/libexec/pakvue/pakvue-start" "$@" || fail "the script started with $*"
    grep -qF -- "$why" "$work/err" || fail "with $*, it said: $(cat "$work/err")"
}

mode() { stat -c %a "$1"; }

# A first start makes the folder for the user alone and fills it; the program runs there.
home=$work/home/.pakvue
start "$usr/libexec/pakvue/pakvue-start" -u PAKVUE_HOME HOME="$work/home" ||
    fail "the first start failed: $(cat "$work/err")"
[ "$(cat "$work/out")" = "ran in $home with --check" ] || fail "it ran as: $(cat "$work/out")"
[ "$(mode "$home")" = 700 ] || fail "the folder was made $(mode "$home")"
cmp -s "$home/pakvue.config.json" "$examples/pakvue.config.json" || fail "no example copied"

# Started through a relative path, it still finds the program.
(cd "$usr/libexec" && env -u PAKVUE_HOME HOME="$work/home" ./pakvue/pakvue-start) >"$work/out" ||
    fail "started as ./pakvue/pakvue-start it did not run the program"
[ "$(cat "$work/out")" = "ran in $home with " ] || fail "it ran as: $(cat "$work/out")"

# A folder that looks like an option is a folder of the current directory.
start "$usr/libexec/pakvue/pakvue-start" PAKVUE_HOME=--version || fail "PAKVUE_HOME=--version failed"
[ "$(cat "$work/out")" = "ran in $work/cwd/--version with --check" ] ||
    fail "it ran as: $(cat "$work/out")"

# A schema that is a link is replaced, not written through; a configuration that is a link, even
# to nothing, is left alone.
ln -sf "$victim" "$home/pakvue.config.schema.json"
rm "$home/pakvue.config.json"
ln -s "$work/made" "$home/pakvue.config.json"
start "$usr/libexec/pakvue/pakvue-start" -u PAKVUE_HOME HOME="$work/home" || fail "a restart failed"
[ "$(cat "$victim")" = "the user's own" ] || fail "the schema's link was written through"
cmp -s "$home/pakvue.config.schema.json" "$examples/pakvue.config.schema.json" ||
    fail "the schema was not replaced"
[ ! -e "$work/made" ] || fail "the example was copied through the configuration's link"

# What keeps it from starting is said, and nothing is made.
echo "a file" >"$work/file"
expect_refusal "is not a folder" PAKVUE_HOME="$work/file"
ln -s "$work/nowhere" "$work/dangling"
expect_refusal "is a link to something that does not exist" PAKVUE_HOME="$work/dangling"
[ ! -e "$work/nowhere" ] || fail "the dangling link's target was made"
if [ ! -e /.pakvue ]; then
    expect_refusal "neither PAKVUE_HOME nor HOME is set" -u HOME -u PAKVUE_HOME
    [ ! -e /.pakvue ] || fail "/.pakvue was made"
fi
mkdir -m 777 "$work/shared"
expect_refusal "may be changed by other users" PAKVUE_HOME="$work/shared"
echo "start script test passed"
