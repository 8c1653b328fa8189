#!/usr/bin/env bash
# SIGTERM (a session's end, `kill`, a service manager), SIGINT and SIGHUP each end PakVue on
# X11 through its normal shutdown: exit code 0 and "shutting down." as the log's last line.
# Usage: signal-test.sh <pakvue program> <example configuration>
set -euo pipefail

program=$(realpath "$1")
config=$(realpath "$2")
display_base=170
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
echo "signal test passed"
