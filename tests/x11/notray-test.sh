#!/usr/bin/env bash
# PakVue started before any notification area: the log says once that the icons wait for one,
# and once that they are in it when trayer starts; SIGTERM then ends PakVue with code 0.
# Usage: notray-test.sh <pakvue program> <example configuration>
set -euo pipefail

program=$(realpath "$1")
config=$(realpath "$2")
source "$(dirname "$0")/../support/desktop-session.sh"
start_desktop without-tray

cp "$config" "$work/pakvue.config.json"
(cd "$work" && exec "$program") &
app=$!
pids+=($app)
waiting=" - Warning - no notification area found; the icons appear when one starts."
docked=" - Info - a notification area started; the icons are in it."
await grep -q -- "$waiting" "$work/pakVue.log" || fail "no warning about the missing tray"
sleep 1
[ "$(grep -c -- "$waiting" "$work/pakVue.log")" = 1 ] || fail "the warning came more than once"

start_tray
await grep -q -- "$docked" "$work/pakVue.log" || fail "no line when the icons docked"
await xdotool search --onlyvisible --name '^PakVue: ' || fail "the icon is not shown"
kill -s TERM "$app"
expect_clean_exit "$app"
echo "no-tray test passed"
