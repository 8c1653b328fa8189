#!/usr/bin/env bash
# The Windows program under Wine on an X11 desktop (Xvfb, trayer as the notification area,
# xdotool as the user): the icon docks, a preview leaves the foreground window alone, a click on
# the icon pins the detail window, its close button hides it, the context menu is owned by a
# top-level window in the foreground, and "Exit" from it ends the program with code 0.
# Usage: desktop-test.sh <pakvue.exe> <example configuration> <shell-probe.exe>
set -euo pipefail

program=$(realpath "$1")
config=$(realpath "$2")
probe=$(realpath "$3")
source "$(dirname "$0")/../support/desktop-session.sh"
start_desktop

use_wine
cp "$config" "$work/pakvue.config.json"
(cd "$work" && exec wine "$program") &
app=$!
pids+=($app)

# Docked: Wine's icon window sits inside the panel.
docked() { xwininfo -root -tree | sed -n '/"panel"/,$p' | grep -q '"explorer.exe"'; }
hidden() { ! xwininfo -id "$1" | grep -q "IsViewable"; }
detailShown() {
    local id
    id=$(xdotool search --onlyvisible --name 'sdiwindow' | head -n 1)
    [ -n "$id" ] && xwininfo -id "$id" | grep -q "Width: 496"
}

await docked || fail "no icon docked in the tray"
# Hovering the icon shows the preview without taking the foreground from the window the user
# works in. Wine's tray sends no hover notification: the probe sends the shell's.
outcome=$(wine_tool "$probe" preview 2361 | tr -d "\r") || fail "the preview: $outcome"

# The centre of Wine's icon window, from its own absolute geometry: the panel grows around the
# icon a moment after it docks, so the panel's geometry read early would miss the icon.
iconCentre() {
    xwininfo -root -tree | sed -n '/"panel"/,$p' | awk '/"explorer.exe"/ {
        split($0, a, "+"); split(a[1], s, " "); split(s[length(s)], d, "x");
        print a[4] + int(d[1] / 2), a[5] + int(d[2] / 2); exit }'
}

# Wine gives its icon window the picture's alpha as its shape, so the first, fully transparent
# picture lets clicks through to the panel; now and then the window keeps that after the first
# frame is drawn. When a few clicks go unanswered, the shell forgets the icon and the program
# adds it again with the picture it shows now.
shown=no
for try in $(seq 10); do
    if [ "$try" = 4 ]; then
        wine_tool "$probe" forget 2361 >/dev/null || true
        await docked || fail "the icon did not come back after the shell forgot it"
    fi
    read -r iconX iconY < <(iconCentre)
    xdotool mousemove "$iconX" "$iconY"
    sleep 0.5
    xdotool click 1
    for _ in $(seq 30); do detailShown && shown=yes && break; sleep 0.1; done
    [ "$shown" = yes ] && break
done
[ "$shown" = yes ] || fail "a click on the icon shows no detail window"

# The context menu is the small window the program shows after a right click, narrower than a
# detail window; its last item is "E&xit".
menuWindow() {
    local id
    for id in $(xdotool search --onlyvisible --class pakvue.exe); do
        eval "$(xdotool getwindowgeometry --shell "$id")"
        if [ "$HEIGHT" -lt 300 ] && [ "$WIDTH" -gt 20 ] && [ "$WIDTH" -lt 400 ]; then
            echo "$((X + WIDTH / 2)) $((Y + HEIGHT - 10))"
            return 0
        fi
    done
    return 1
}
# Wine's taskbar position is made up, so the pinned window may cover the icon: close it.
detail=$(xdotool search --onlyvisible --name 'sdiwindow' | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$detail")"
# Wherever Wine says the taskbar is, the window stays on the screen (1920 x 1080).
[ "$X" -ge 0 ] && [ "$Y" -ge 0 ] && [ $((X + WIDTH)) -le 1920 ] && [ $((Y + HEIGHT)) -le 1080 ] ||
    fail "the detail window at $X,$Y (${WIDTH}x$HEIGHT) leaves the screen"
xdotool mousemove $((X + 16)) $((Y + 16))
sleep 0.3
xdotool click 1
await hidden "$detail" || fail "the close button does not hide the window"

xdotool mousemove "$iconX" "$iconY" click 3
await menuWindow || fail "no context menu"
# A click elsewhere closes the menu only while a top-level window owns it in the foreground.
outcome=$(wine_tool "$probe" menu | tr -d '\r') || fail "the context menu's owner: $outcome"
read -r itemX itemY < <(menuWindow)
xdotool mousemove "$itemX" "$itemY"
sleep 0.3
xdotool click 1
expect_clean_exit "$app"
echo "wine desktop test passed"
