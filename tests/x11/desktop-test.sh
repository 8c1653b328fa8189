#!/usr/bin/env bash
# PakVue on a real X11 desktop: Xvfb with trayer as the notification area, driven by xdotool.
# The detail window is named and typed for the desktop; hovering the icon shows it above the
# panel, leaving hides it, a click pins it, the close button hides it, and "Exit" from the context
# menu ends the program with code 0.
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
detail=$(detail_window)
[ -n "$detail" ] || fail "no detail window"
# Named for task lists, compositors and window rules, and kept out of task lists.
property() { LC_ALL=C.UTF-8 xprop -id "$detail" "$1"; }
[ "$(property WM_CLASS)" = 'WM_CLASS(STRING) = "pakvue", "PakVue"' ] || fail "$(property WM_CLASS)"
[ "$(property _NET_WM_NAME)" = '_NET_WM_NAME(UTF8_STRING) = "PakVue details: CPU µs, Memory"' ] ||
    fail "$(property _NET_WM_NAME)"
property WM_NAME | grep -q '^WM_NAME(STRING) = "PakVue details: CPU' || fail "$(property WM_NAME)"
[ "$(property _NET_WM_PID)" = "_NET_WM_PID(CARDINAL) = $app" ] || fail "$(property _NET_WM_PID)"
property _NET_WM_STATE | grep -q _NET_WM_STATE_SKIP_TASKBAR || fail "$(property _NET_WM_STATE)"
windowType() { property _NET_WM_WINDOW_TYPE | grep -q "_NET_WM_WINDOW_TYPE_$1\$"; }

xdotool mousemove "$iconX" "$iconY"
await mapped "$detail" || fail "hovering the icon shows no detail window"
windowType TOOLTIP || fail "a preview is a $(property _NET_WM_WINDOW_TYPE)"
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
windowType UTILITY || fail "a pinned window is a $(property _NET_WM_WINDOW_TYPE)"
eval "$(xdotool getwindowgeometry --shell "$detail")"
xdotool mousemove $((X + 16)) $((Y + 16)) click 1
await unmapped "$detail" || fail "the close button does not hide the window"

exit_through_menu "$iconX" "$iconY" "$app"
echo "desktop test passed"
