#!/usr/bin/env bash
# Runs watcher-test.py on a session bus and an X display of its own.
# Usage: watcher-test.sh <pakvue program>
set -euo pipefail

program=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${PAKVUE_SNI_SESSION:-}" ]; then
    PAKVUE_SNI_SESSION=1 exec dbus-run-session -- "$0" "$@"
fi
source "$here/../support/desktop-session.sh"
unset PAKVUE_TRAY
start_desktop
cat >"$work/pakvue.config.json" <<'CONFIG'
{ "icons": [ { "updateInterval": 1000, "scrollAmount": 2, "units": "Percentage",
  "fixedMaximum": 1e12, "backgroundColour": "#12345680",
  "graphs": [ { "input": { "type": "win32" },
                "output": { "toolTip": "Memory", "renderMethod": "bar",
                            "colours": [ { "value": 0, "colour": "#ff0000" } ] } } ] } ] }
CONFIG
"$program" --render "$work/rendered" --synthetic --config "$work/pakvue.config.json" >/dev/null ||
    fail "--render failed"
/usr/bin/python3 "$here/watcher-test.py" "$program" "$work" || fail "see above"
