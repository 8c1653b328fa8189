#!/usr/bin/env bash
# The program's exit codes for a check or a preview of a configuration, as a script sees them:
# 0 when everything loads, 1 when something fails to load, 2 when the file cannot be read; and a
# path that is not a file (a FIFO, which would wait for a writer for ever) refused at once.
# Usage: command-line-test.sh <pakvue program> <example configuration>
set -euo pipefail

program=$1
example=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*"
    exit 1
}

# Runs the program with a deadline and checks its exit code; 124 is the deadline's.
expect_exit() {
    local expected=$1 status=0
    shift
    timeout 20 "$program" "$@" >"$work/output" 2>&1 </dev/null || status=$?
    [ "$status" -ne 124 ] || fail "pakvue $* did not end"
    [ "$status" -eq "$expected" ] || { cat "$work/output"; fail "pakvue $* exited with $status"; }
}

expect_exit 0 --check "$example"
expect_exit 2 --check "$work/missing.json"

# A graph whose counter does not exist on this machine is left out: the load failed in part.
cat >"$work/unknown-counter.json" <<'JSON'
{ "icons": [ { "updateInterval": 1000, "scrollAmount": 1, "graphs": [
  { "input": { "type": "wmi", "name": "\\Nothing(_Total)\\Here" },
    "output": { "renderMethod": "line", "colours": [ { "value": 0, "colour": "#00ff00" } ] } },
  { "input": { "type": "win32" },
    "output": { "renderMethod": "line", "colours": [ { "value": 0, "colour": "#00ff00" } ] } }
] } ] }
JSON
expect_exit 1 --check "$work/unknown-counter.json"
grep -q "Error - PdhAddCounter failed" "$work/output" || fail "the failed graph was not named"

mkfifo "$work/fifo.json"
expect_exit 2 --check "$work/fifo.json"
grep -q "\"$work/fifo.json\" is not a regular file." "$work/output" || fail "the FIFO was not named"
expect_exit 2 --render "$work/pictures" --synthetic --config "$work/fifo.json"
echo "command line test passed"
