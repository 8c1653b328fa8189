#!/usr/bin/env bash
# The notification area coming and going under PakVue: a tray host that ends after the icons
# asked it to take them but before it did, then trayer killed and started again, then tint2
# started and restarted. After each, every icon is back in the new host; a hover still shows
# the detail window and "Exit" ends the program with code 0.
# Usage: tray-restart-test.sh <pakvue program> <example configuration> <hostile client>
set -euo pipefail

program=$(realpath "$1")
config=$(realpath "$2")
hostile=$(realpath "$3")
source "$(dirname "$0")/../support/desktop-session.sh"
start_desktop without-tray

icons() { xdotool search "$@" --name '^PakVue: ' 2>/dev/null | wc -l; }
all_shown() { [ "$(icons --onlyvisible)" -eq "$count" ]; }
none_shown() { [ "$(icons --onlyvisible)" -eq 0 ]; }

# A host that takes the selection and dies on the first dock request.
"$hostile" tray >"$work/host.out" &
pids+=($!)
await grep -q ready "$work/host.out" || fail "the short-lived host did not start"
cp "$config" "$work/pakvue.config.json"
(cd "$work" && exec "$program") &
app=$!
pids+=($app)
await grep -q "asked to dock" "$work/host.out" || fail "the icons did not ask the first host"
await [ "$(icons)" -gt 0 ] || fail "no tray icon"
count=$(icons)

start_tray
await all_shown || fail "after a host died mid-dock, $(icons --onlyvisible) of $count icons docked"
kill -s KILL "${pids[-1]}"
await none_shown || fail "the icons stay shown after trayer was killed"
start_tray
await all_shown || fail "after trayer restarted, $(icons --onlyvisible) of $count icons docked"
kill -s KILL "${pids[-1]}"

# tint2 with only its tray; it waits some seconds for a window manager before it starts one.
printf 'panel_items = S\npanel_position = bottom right horizontal\npanel_size = 200 32\n' \
    >"$work/tint2rc"
start_tint2() {
    HOME=$work tint2 -c "$work/tint2rc" >/dev/null 2>&1 &
    pids+=($!)
}
start_tint2
await all_shown || await all_shown || fail "in tint2, $(icons --onlyvisible) of $count icons docked"
kill -s TERM "${pids[-1]}"
await none_shown || fail "the icons stay shown after tint2 ended"
start_tint2
await all_shown || await all_shown || fail "after tint2 restarted, $(icons --onlyvisible) of $count icons docked"

icon=$(xdotool search --onlyvisible --name '^PakVue: ' | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$icon")"
iconX=$((X + WIDTH / 2))
iconY=$((Y + HEIGHT / 2))
detail=$(detail_window)
xdotool mousemove "$iconX" "$iconY"
mapped() { xwininfo -id "$1" | grep -q IsViewable; }
await mapped "$detail" || fail "hovering the icon shows no detail window"
exit_through_menu "$iconX" "$iconY" "$app"
echo "tray restart test passed"
