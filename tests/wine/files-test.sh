#!/usr/bin/env bash
# The Windows program under Wine, started without a configuration, from another folder than its
# own and twice on one configuration (see tests/support/files-steps.sh); then on a configuration
# that does not parse, which a message box reports before the program ends with code 1.
# Usage: files-test.sh <pakvue.exe> <example configuration> <shell-probe.exe>
set -euo pipefail

program=$(realpath "$1")
config=$(realpath "$2")
probe=$(realpath "$3")
source "$(dirname "$0")/../support/desktop-session.sh"

# The folder's name is UTF-8, whatever the caller's locale.
export LC_ALL=C.UTF-8
use_wine
start_desktop

runner=(wine)
# %APPDATA%\PakVue of the test's prefix, which a first start fills and no other test expects.
appdata=$(wine_tool cmd /c echo %APPDATA% | tr -d '\r')
user_config=$(winepath -u "$appdata")/PakVue
rm -rf "$user_config"
trap 'rm -rf "$user_config"; wineserver -k 2>/dev/null || true; cleanup' EXIT
# Docked: Wine's icon window sits inside the panel.
docked() { xwininfo -root -tree | sed -n '/"panel"/,$p' | grep -q '"explorer.exe"'; }
source "$(dirname "$0")/../support/files-steps.sh"

kill -KILL "$started"
wait "$started" || true
echo '{ "icons": [ { "updateInterval": ' >"$folder/pakvue.config.json"
start "$elsewhere"
broken=$started
told() { wine "$probe" dialog "PakVue did not start" >"$work/dialog"; }
await told || fail "no message box said that PakVue did not start"
grep -q "error parsing json: .*pakvue.config.json(1): error: " "$work/dialog" &&
    grep -q "The log has the details: .*pakVue.log" "$work/dialog" ||
    fail "the message box says: $(cat "$work/dialog")"
gone() { ! kill -0 "$broken" 2>/dev/null; }
await gone || fail "the program did not end once its message box was closed"
status=0
wait "$broken" || status=$?
[ "$status" = 1 ] || fail "exit code $status after a start that showed nothing"
echo "wine files test passed"
