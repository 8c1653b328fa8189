#!/usr/bin/env bash
# PakVue reading its configuration again while it runs, on an X11 desktop with trayer and a
# notification server of the test's own on a private session bus: an icon added to the file
# docks within two seconds of the save (an editor's save, through a new file and a rename), the
# icon that stayed the same keeps its window, a removed icon undocks, and a save that does not
# parse leaves the icons as they were and sends one notification, naming the log.
# Usage: reload-test.sh <pakvue program>
set -euo pipefail

program=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${PAKVUE_RELOAD_SESSION:-}" ]; then
    PAKVUE_RELOAD_SESSION=1 exec dbus-run-session -- "$0" "$@"
fi
source "$here/../support/desktop-session.sh"
start_desktop

notifications=$work/notifications
touch "$notifications"
/usr/bin/python3 "$here/notification-server.py" "$notifications" &
pids+=($!)
serving() { busctl --user status org.freedesktop.Notifications; }
await serving || fail "the test's notification server did not start"

icon() {
    echo '{ "updateInterval": 500, "scrollAmount": 2, "graphs": [ { "input": { "type": "win32" },
        "output": { "toolTip": "'"$1"'", "renderMethod": "bar",
                    "colours": [ { "value": 0, "colour": "#00ff00" } ] } } ] }'
}
# Saves as editors do: a new file, renamed over the configuration.
save() {
    cat >"$work/.pakvue.config.json.new"
    mv "$work/.pakvue.config.json.new" "$work/pakvue.config.json"
}
shown() { xdotool search --name "^PakVue: $1\$" | head -n 1; }
# Whether `command` succeeds within two seconds.
within_two_seconds() {
    for _ in $(seq 20); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
    return 1
}

echo "{ \"icons\": [ $(icon Kept) ] }" | save
(cd "$work" && exec "$program") &
app=$!
pids+=($app)
await shown Kept || fail "no tray icon"
kept=$(shown Kept)

echo "{ \"icons\": [ $(icon Kept), $(icon Added) ] }" | save
within_two_seconds shown Added || fail "an icon added to the configuration did not dock in 2 s"
[ "$(shown Kept)" = "$kept" ] || fail "the unchanged icon was built anew"

echo "{ \"icons\": [ $(icon Kept) ] }" | save
gone() { [ -z "$(shown Added)" ]; }
within_two_seconds gone || fail "an icon removed from the configuration stayed in 2 s"

echo '{ "icons": [ { "updateInterval": 500, ' | save
notified() { [ "$(wc -l <"$notifications")" -ge 1 ]; }
await notified || fail "a save that does not parse sent no notification"
sleep 1
[ "$(wc -l <"$notifications")" = 1 ] || fail "more than one notification: $(cat "$notifications")"
IFS=$'\t' read -r application summary body <"$notifications"
[ "$application" = PakVue ] && [ "$summary" = "PakVue did not reload its configuration" ] ||
    fail "the notification is: $(cat "$notifications")"
[[ $body == *"error parsing json: $work/pakvue.config.json(1): error: "* ]] ||
    fail "the notification does not give the first error line: $body"
[[ $body == *"The log has the details: $work/pakVue.log" ]] ||
    fail "the notification does not name the log: $body"
[ "$(shown Kept)" = "$kept" ] || fail "a save that does not parse changed the icons"

eval "$(xdotool getwindowgeometry --shell "$kept")"
exit_through_menu $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) "$app"
grep -q " - Info - configuration reloaded: 2 icons."$'\r$' "$log_file" &&
    grep -q " - Info - configuration reloaded: 1 icons."$'\r$' "$log_file" ||
    fail "the log does not say what each reload showed"
echo "x11 reload test passed"
