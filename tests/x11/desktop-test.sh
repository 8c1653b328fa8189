#!/usr/bin/env bash
# PakVue on a real X11 desktop: Xvfb with trayer as the notification area, driven by xdotool.
# Hovering the icon shows the detail window above the panel, leaving hides it, a click pins it,
# the close button hides it, and "Exit" from the context menu ends the program with code 0.
# Usage: desktop-test.sh <pakvue program> <example configuration>
set -euo pipefail

program=$(realpath "$1")
config=$(realpath "$2")
work=$(mktemp -d)
display=":$((90 + RANDOM % 400))"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    echo "--- pakVue.log"
    cat "$work/pakVue.log" 2>/dev/null || true
    exit 1
}

Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
trayer --edge bottom --align right --widthtype request --height 32 --transparent false \
    --SetPartialStrut true >/dev/null 2>&1 &
pids+=($!)
sleep 1

cp "$config" "$work/pakvue.config.json"
(cd "$work" && exec "$program") &
app=$!
pids+=($app)

# Waits until `command` succeeds, for up to five seconds.
await() {
    for _ in $(seq 50); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
    return 1
}
mapped() { xwininfo -id "$1" | grep -q "IsViewable"; }
unmapped() { xwininfo -id "$1" | grep -q "IsUnMapped"; }

await xdotool search --name '^PakVue$' || fail "no tray icon"
icon=$(xdotool search --name '^PakVue$' | head -n 1)
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

xdotool mousemove "$iconX" "$iconY" click 3
await xdotool search --onlyvisible --name '^PakVue menu$' || fail "no context menu"
menu=$(xdotool search --onlyvisible --name '^PakVue menu$' | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$menu")"
xdotool mousemove $((X + 20)) $((Y + 10)) click 1
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "choosing Exit did not end the program"
wait "$app" || fail "exit code $?"
tail -n 1 "$work/pakVue.log" | grep -q $' - Info - shutting down.\r$' || fail "the log does not end with shutting down."
echo "desktop test passed"
