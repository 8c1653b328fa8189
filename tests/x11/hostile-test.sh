#!/usr/bin/env bash
# PakVue beside a hostile X client: properties of an unexpected format where PakVue reads them
# (the tray host's visual, the desktop's work area) and made-up configure events of an enormous
# size sent to its icon. PakVue stays up within 50 MB, a hover still shows the detail window, and
# "Exit" ends it with code 0.
# Usage: hostile-test.sh <pakvue program> <example configuration> <hostile client>
set -euo pipefail

program=$(realpath "$1")
config=$(realpath "$2")
hostile=$(realpath "$3")
source "$(dirname "$0")/../support/desktop-session.sh"
start_desktop

"$hostile" property manager _NET_SYSTEM_TRAY_VISUAL VISUALID || fail "no tray manager"
"$hostile" property root _NET_WORKAREA CARDINAL
cp "$config" "$work/pakvue.config.json"
(cd "$work" && exec "$program") &
app=$!
pids+=($app)

await xdotool search --name '^PakVue: ' || fail "no tray icon"
icon=$(xdotool search --name '^PakVue: ' | head -n 1)
for _ in 1 2 3; do "$hostile" configure "$icon" 30000 30000; done
sleep 1
kill -0 "$app" 2>/dev/null || fail "PakVue ended after the made-up configure events"
rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$app/status")
[ "$rss" -lt 51200 ] || fail "PakVue holds $rss kB after the made-up configure events"

mapped() { xwininfo -id "$1" | grep -q "IsViewable"; }
eval "$(xdotool getwindowgeometry --shell "$icon")"
[ "$WIDTH" -le 256 ] && [ "$HEIGHT" -le 256 ] || fail "the icon took the made-up size"
iconX=$((X + WIDTH / 2))
iconY=$((Y + HEIGHT / 2))
detail=$(detail_window)
xdotool mousemove "$iconX" "$iconY"
await mapped "$detail" || fail "hovering the icon shows no detail window"

exit_through_menu "$iconX" "$iconY" "$app"
echo "hostile client test passed"
