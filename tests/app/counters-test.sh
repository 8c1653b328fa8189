#!/usr/bin/env bash
# Every counter path that `pakvue --counters` lists loads: a configuration with one graph per
# listed path passes `pakvue --check`. A filter keeps the paths that hold it, whatever its case.
# Usage: counters-test.sh <pakvue program> [runner...]
set -euo pipefail

program=$1
shift
runner=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"${runner[@]}" "$program" --counters | tr -d '\r' >"$work/listed.txt"
listed=$(wc -l <"$work/listed.txt")
[ "$listed" -gt 0 ] || fail "--counters listed nothing"
# A path as written in a JSON string, a tab, a value.
bad=$(grep -vcP '^\\\\[^\t]*\\\\[^\t]+\t[^\t]+$' "$work/listed.txt" || true)
[ "$bad" -eq 0 ] || fail "$bad lines are not a path, a tab and a value: $(head -3 "$work/listed.txt")"

{
    echo '{ "icons": [ { "updateInterval": 1000, "scrollAmount": 1, "graphs": ['
    awk -F'\t' '{ printf "%s{ \"input\": { \"type\": \"wmi\", \"name\": \"%s\" }, \"output\": " \
                         "{ \"renderMethod\": \"line\", \"colours\": [ { \"value\": 0, " \
                         "\"colour\": \"fff\" } ] } }\n", (NR > 1 ? "," : ""), $1 }' \
        "$work/listed.txt"
    echo '] } ] }'
} >"$work/pakvue.config.json"
status=0
"${runner[@]}" "$program" --check "$work/pakvue.config.json" | tr -d '\r' >"$work/check.txt" ||
    status=$?
[ "$status" -eq 0 ] || fail "--check exited with $status: $(head -5 "$work/check.txt")"
grep -qx "1 of 1 icons loaded." "$work/check.txt" || fail "$(cat "$work/check.txt")"

"${runner[@]}" "$program" --counters 'PROCESSOR(' | tr -d '\r' >"$work/filtered.txt"
[ -s "$work/filtered.txt" ] || fail "the filter kept nothing"
kept=$(grep -ci 'processor(' "$work/filtered.txt")
[ "$kept" -eq "$(wc -l <"$work/filtered.txt")" ] || fail "the filter kept other paths"
echo "counters test passed: $listed paths listed, all loaded"
