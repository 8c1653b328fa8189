#!/usr/bin/env bash
# The Windows program under Wine, copied to a folder of its own and started from another one,
# as the Run key or a shortcut without a start-in folder starts it. Without a configuration
# anywhere it says where it looked, logs beside the program and ends with code 0. With the
# configuration beside pakvue.exe it runs and logs there; a second instance on that
# configuration logs "already running; exiting." and ends with code 0 while the first runs on;
# once the first is killed, as by a crash, a new one starts.
# Usage: files-test.sh <pakvue.exe> <example configuration>
set -euo pipefail

program=$(realpath "$1")
config=$(realpath "$2")
display_base=1000
source "$(dirname "$0")/../support/desktop-session.sh"

export WINEPREFIX="${PAKVUE_WINEPREFIX:-${TMPDIR:-/tmp}/pakvue-wine-$(id -u)}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# The folder's name is UTF-8, whatever the caller's locale.
export LC_ALL=C.UTF-8
# A Wine session left by a run without a display would make this one's windows fail.
wineserver -w
# Whatever way the script ends, no program of this prefix is left running.
trap 'wineserver -k 2>/dev/null || true; cleanup' EXIT
start_desktop

folder="$work/Programs Ünïcode"
elsewhere="$work/elsewhere"
mkdir "$folder" "$elsewhere"
cp "$program" "$folder/pakvue.exe"
log_file="$folder/pakVue.log"

# Starts pakvue.exe in the folder given, in the background; its process id goes to `started`.
start() {
    (cd "$1" && exec wine "$folder/pakvue.exe") &
    started=$!
    pids+=("$started")
}
# Waits for the program `pid` to end by itself with code 0.
ends_cleanly() {
    local pid=$1
    await_end() { ! kill -0 "$pid" 2>/dev/null; }
    await await_end || fail "$2: the program did not end"
    wait "$pid" || fail "$2: exit code $?"
}
count() { grep -c -- "$1" "$log_file" 2>/dev/null || true; }
docked() { xwininfo -root -tree | sed -n '/"panel"/,$p' | grep -q '"explorer.exe"'; }
logged() { [ "$(count "$1")" = "$2" ]; }

start "$elsewhere"
ends_cleanly "$started" "without a configuration"
grep -q -- ' - Critical - .*' "$log_file" || fail "no Critical line beside the program"
grep -q -- "\"pakvue.config.json\" was not found in \".*elsewhere\" or in \".*Programs Ünïcode\"\." \
    "$log_file" || fail "the message does not name both folders"
[ ! -e "$elsewhere/pakVue.log" ] || fail "a log in the working directory"
rm "$log_file"

cp "$config" "$folder/pakvue.config.json"
start "$elsewhere"
first=$started
await docked || fail "no icon docked in the tray"
await logged ' - Info - starting up.' 1 || fail "the first instance logs nothing beside the program"
[ ! -e "$elsewhere/pakVue.log" ] || fail "a log in the working directory"

# The second finds the same file the other way, in its working directory.
start "$folder"
ends_cleanly "$started" "the second instance"
logged ' - Info - already running; exiting.' 1 || fail "the second instance did not say so"
logged ' - Info - starting up.' 1 || fail "the second instance started up"
kill -0 "$first" 2>/dev/null || fail "the first instance ended"
logged ' - Info - shutting down.' 0 || fail "a shutting down line while the first runs on"
docked || fail "the first instance's icon left the tray"

kill -KILL "$first"
wait "$first" || true
start "$elsewhere"
await logged ' - Info - starting up.' 2 || fail "no new instance after the first was killed"
logged ' - Info - already running; exiting.' 1 || fail "the killed instance's lock outlived it"
echo "wine files test passed"
