#!/usr/bin/env bash
# SIGTERM (a session's end, `kill`, a service manager), SIGINT and SIGHUP each end PakVue on
# X11 through its normal shutdown: exit code 0 and "shutting down." as the log's last line. An
# X server that dies under it ends it the same way, with one Error line before and exit code 1;
# started without one, it says why in the log and exits with code 1.
# Usage: signal-test.sh <pakvue program> <example configuration>
set -euo pipefail

program=$(realpath "$1")
config=$(realpath "$2")
source "$(dirname "$0")/../support/desktop-session.sh"
start_desktop

cp "$config" "$work/pakvue.config.json"
for signal in TERM INT HUP; do
    (cd "$work" && exec "$program") &
    app=$!
    pids+=($app)
    await xdotool search --name '^PakVue: ' || fail "no tray icon"
    kill -s "$signal" "$app"
    expect_clean_exit "$app"
    # The icon window goes with the program; wait for it before the next start.
    await bash -c "! xdotool search --name '^PakVue: '" || fail "the icon outlived the program"
done

(cd "$work" && exec "$program") &
app=$!
pids+=($app)
await xdotool search --name '^PakVue: ' || fail "no tray icon"
kill -s KILL "${pids[0]}" # Xvfb
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "PakVue outlived its X server"
code=0
wait "$app" || code=$?
[ "$code" = 1 ] || fail "exit code $code after the X server died"
tail -n 2 "$log_file" | head -n 1 | grep -q $' - Error - the connection to the X server was lost.\r$' ||
    fail "the log does not say the connection was lost"
tail -n 1 "$log_file" | grep -q $' - Info - shutting down.\r$' ||
    fail "the log does not end with shutting down."
# Not the dead server's display: another test's Xvfb may take that number as soon as it is free.
code=0
(cd "$work" && DISPLAY=:65535 exec "$program") || code=$?
[ "$code" = 1 ] || fail "exit code $code without an X server"
tail -n 1 "$log_file" | grep -q $' - Critical - unable to open the X display ".*"; PakVue needs an X11 desktop.\r$' ||
    fail "the log does not say that there is no X display"
echo "signal test passed"
