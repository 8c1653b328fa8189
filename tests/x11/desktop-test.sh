#!/usr/bin/env bash
# PakVue on a real X11 desktop: Xvfb with trayer as the notification area, driven by xdotool.
# Hovering the icon shows the detail window above the panel, leaving hides it, a click pins it,
# the close button hides it, and "Exit" from the context menu ends the program with code 0.
# Usage: desktop-test.sh <pakvue program> <example configuration>
set -euo pipefail

program=$(realpath "$1")
config=$(realpath "$2")
source "$(dirname "$0")/../support/desktop-session.sh"
start_desktop

# A graph name outside ASCII, to see the icon named in UTF-8.
sed 's/"toolTip": "CPU"/"toolTip": "CPU \xc2\xb5s"/' "$config" >"$work/pakvue.config.json"
(cd "$work" && exec "$program") &
app=$!
pids+=($app)

mapped() { xwininfo -id "$1" | grep -q "IsViewable"; }
unmapped() { xwininfo -id "$1" | grep -q "IsUnMapped"; }

await xdotool search --name '^PakVue: CPU' || fail "no tray icon"
icon=$(xdotool search --name '^PakVue: CPU' | head -n 1)
LC_ALL=C.UTF-8 xprop -id "$icon" _NET_WM_NAME | grep -q '= "PakVue: CPU µs"$' ||
    fail "the icon is not named in UTF-8: $(xprop -id "$icon" _NET_WM_NAME)"
eval "$(xdotool getwindowgeometry --shell "$icon")"
iconX=$((X + WIDTH / 2))
iconY=$((Y + HEIGHT / 2))
detail=$(xdotool search --name 'sdiwindow' | head -n 1)
[ -n "$detail" ] || fail "no detail window"

xdotool mousemove "$iconX" "$iconY"
await mapped "$detail" || fail "hovering the icon shows no detail window"
eval "$(xdotool getwindowgeometry --shell "$detail")"
panelTop=$(xwininfo -root -tree | awk '/"panel"/ { split($0, a, "+"); print a[3]; exit }')
[ $((Y + HEIGHT)) -eq $((panelTop - 8)) ] || fail "window bottom $((Y + HEIGHT)), panel top $panelTop"
xdotool mousemove 10 10
await unmapped "$detail" || fail "leaving the icon does not hide the preview"

xdotool mousemove "$iconX" "$iconY" click 1
await mapped "$detail" || fail "a click shows no detail window"
xdotool mousemove 10 10
sleep 0.5
mapped "$detail" || fail "a pinned window hid when the mouse left the icon"
eval "$(xdotool getwindowgeometry --shell "$detail")"
xdotool mousemove $((X + 16)) $((Y + 16)) click 1
await unmapped "$detail" || fail "the close button does not hide the window"

exit_through_menu "$iconX" "$iconY" "$app"
echo "desktop test passed"
