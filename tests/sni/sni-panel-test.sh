#!/usr/bin/env bash
# PakVue in xfce4-panel's StatusNotifierItem tray, on a session bus of its own: the icon is an
# item (not an XEmbed window), its picture changes about once a second, a click pins the detail
# window next to the click, the icon comes back when the panel restarts, and "Exit" from the
# item's menu ends PakVue with code 0.
# Usage: sni-panel-test.sh <pakvue program> <colour probe>
set -euo pipefail

program=$(realpath "$1")
probe=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${PAKVUE_SNI_SESSION:-}" ]; then
    # xfconfd, which the bus starts, reads the panel's configuration from here.
    export XDG_CONFIG_HOME
    XDG_CONFIG_HOME=$(mktemp -d)
    mkdir -p "$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml"
    cp "$here/panel.xml" "$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml"
    trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT
    PAKVUE_SNI_SESSION=1 dbus-run-session -- "$0" "$@"
    exit $?
fi
# The panel's settings stay where the bus's xfconfd reads them.
config_home=${XDG_CONFIG_HOME:-}
source "$here/../support/desktop-session.sh"
unset PAKVUE_TRAY
start_desktop without-tray

watcher() {
    busctl --user get-property org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
        org.kde.StatusNotifierWatcher "$1"
}
xfce4-panel --disable-wm-check >/dev/null 2>&1 &
pids+=($!)
host_ready() { [ "$(watcher IsStatusNotifierHostRegistered)" = "b true" ]; }
await host_ready || fail "no StatusNotifierItem host"

cp "$here/one-icon.config.json" "$work/pakvue.config.json"
(cd "$work" && exec "$program") &
app=$!
pids+=($app)
registered() { watcher RegisteredStatusNotifierItems | grep -q "StatusNotifierItem-$app-"; }
await registered || fail "the icon did not register as an item"
await grep -q " - Info - the icons are shown through StatusNotifierItem." "$log_file" ||
    fail "no line says which tray is used"
xdotool search --onlyvisible --name '^PakVue: ' >/dev/null && fail "an XEmbed icon is shown too"

pictures=$(timeout 5 dbus-monitor "type='signal',interface='org.kde.StatusNotifierItem',member='NewIcon'" |
    grep -c "member=NewIcon" || true)
[ "$pictures" -ge 3 ] && [ "$pictures" -le 7 ] || fail "$pictures new pictures in 5 seconds"

# The panel lays itself out again as items come: click where the picture has stayed put. Once
# the detail window, pinned below the panel, shows the same green, only the panel's rows count.
band=""
settled() {
    local before
    # shellcheck disable=SC2086 # the band is two numbers, or none
    before=$("$probe" 00ff00 $band) && sleep 0.5 && [ "$("$probe" 00ff00 $band)" = "$before" ]
}
await settled || fail "the icon's picture is not on the panel, or does not stay put"
read -r left top right bottom <<<"$("$probe" 00ff00)"
x=$(((left + right) / 2))
y=$(((top + bottom) / 2))
xdotool mousemove "$x" "$y" click 1
await detail_window --onlyvisible || fail "a click did not show the detail window"
detail=$(detail_window --onlyvisible)
eval "$(xdotool getwindowgeometry --shell "$detail")"
[ $((X - x)) -le 16 ] && [ $((x - X - WIDTH)) -le 16 ] && [ $((Y - y)) -le 64 ] ||
    fail "the detail window at $X,$Y (${WIDTH}x$HEIGHT) is not next to the click at $x,$y"

band="$((top - 8)) $((bottom + 8))"

# A panel that restarts: the icon registers with the new one and stays out of its XEmbed tray.
watcher_owner() {
    busctl --user call org.freedesktop.DBus /org/freedesktop/DBus org.freedesktop.DBus \
        GetNameOwner s org.kde.StatusNotifierWatcher
}
old_owner=$(watcher_owner)
xfce4-panel -r >/dev/null 2>&1
new_panel() { owner=$(watcher_owner) && [ "$owner" != "$old_owner" ]; }
await new_panel || fail "the panel did not restart"
await registered || fail "the icon did not register with the restarted panel"
grep -q "XEmbed" "$log_file" && fail "a restarting panel sent the icon to the XEmbed tray"
await settled || fail "the icon's picture is not on the restarted panel"

# The menu: "Show details", the context menu's four items, a separator and "Exit". A new panel
# may not take clicks on the icon at once; the host asks the menu whether to update itself when
# it opens it.
dbus-monitor "type='method_call',interface='com.canonical.dbusmenu',member='AboutToShow'" \
    >"$work/menu-calls" 2>/dev/null &
pids+=($!)
menu_opened() { grep -q "member=AboutToShow" "$work/menu-calls"; }
for _ in 1 2 3 4 5; do
    read -r left top right bottom <<<"$("$probe" 00ff00 $band)"
    xdotool mousemove $(((left + right) / 2)) $(((top + bottom) / 2)) click 3
    sleep 1
    menu_opened && break
done
menu_opened || fail "a right click did not open the item's menu"
sleep 0.5
xdotool key Down Down Down Down Down Down Return
expect_clean_exit "$app"
echo "sni panel test passed"
