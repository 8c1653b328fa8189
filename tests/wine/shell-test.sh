#!/usr/bin/env bash
# The Windows program under Wine when the shell changes around it (Xvfb, trayer as the
# notification area):
# - the notification area forgets the icons, as a restarted taskbar has: an icon whose next
#   picture the shell refuses adds itself again, and "TaskbarCreated" brings every icon back
#   (Wine's own Explorer cannot be restarted in a running session, so a probe plays its part);
# - the session ends (wineboot --end-session), and a polite taskkill (no /f): each ends the
#   program with code 0 and "shutting down." as the log's last line.
# Usage: shell-test.sh <pakvue.exe> <shell-probe.exe>
set -euo pipefail

program=$(realpath "$1")
probe=$(realpath "$2")
source "$(dirname "$0")/../support/desktop-session.sh"
start_desktop

use_wine

# Two icons: one that draws every half second, one that would not draw again for a minute.
icon() {
    echo '{ "updateInterval": '"$1"', "scrollAmount": 1, "graphs": [ { "input": { "type": "win32" },
            "output": { "renderMethod": "line",
                        "colours": [ { "value": 0, "colour": "#00ff00" } ] } } ] }'
}
echo '{ "icons": [ '"$(icon 60000)"', '"$(icon 500)"' ] }' >"$work/pakvue.config.json"
slow=2361
fast=2362

start_program() {
    (cd "$work" && exec wine "$program") &
    app=$!
    pids+=($app)
}
docked_icons() { xwininfo -root -tree | sed -n '/"panel"/,$p' | grep -c '"explorer.exe"' || true; }
docked() { [ "$(docked_icons)" -eq "$1" ]; }

start_program
await docked 2 || fail "the two icons did not dock"

[ "$(wine_tool "$probe" forget $slow $fast | tr -d '\r')" = 2 ] || fail "the shell did not forget the icons"
await docked 1 || fail "the icon that draws did not come back by itself"
sleep 2
docked 1 || fail "expected only the icon that draws back, found $(docked_icons)"
wine_tool "$probe" announce || fail "the probe could not announce a new taskbar"
await docked 2 || fail "\"TaskbarCreated\" did not bring every icon back"

wine_tool wineboot --end-session || fail "wineboot could not end the session"
expect_clean_exit "$app"

start_program
await docked 2 || fail "the icons did not dock again"
wine_tool taskkill /im pakvue.exe || fail "taskkill could not ask the program to end"
expect_clean_exit "$app"
echo "wine shell test passed"
