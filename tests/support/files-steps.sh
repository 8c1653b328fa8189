# The program copied to a folder of its own and started from another one, as an autostart entry
# or a shortcut without a start-in folder starts it, sourced by the desktop tests of both
# systems after start_desktop. Without a configuration anywhere a first start writes the example
# into the user's configuration folder, logs there and shows its icons. With the configuration
# beside the program it runs and logs there; a second instance on that configuration logs
# "already running; exiting." and ends with code 0 while the first runs on; once the first is
# killed, as by a crash, a new one starts.
# The caller sets `program`, `config`, `runner` (an array: the command that runs the program,
# empty for none), `user_config` (the user's configuration folder, which must not hold a
# configuration yet) and defines `docked`, which succeeds while the program's icon is in the
# tray. The last instance is left running, its id in `started`.

folder="$work/Programs Ünïcode"
elsewhere="$work/elsewhere"
mkdir "$folder" "$elsewhere"
installed="$folder/$(basename "$program")"
cp "$program" "$installed"
log_file="$folder/pakVue.log"

# Starts the installed program in the folder given, in the background; its id goes to `started`.
start() {
    (cd "$1" && exec "${runner[@]}" "$installed") &
    started=$!
    pids+=("$started")
}
# Waits for the program `$1` to end by itself with code 0; `$2` says which it is.
ends_cleanly() {
    local pid=$1
    gone() { ! kill -0 "$pid" 2>/dev/null; }
    await gone || fail "$2: the program did not end"
    wait "$pid" || fail "$2: exit code $?"
}
# Whether the log holds `$2` lines that contain `$1`.
logged() { [ "$(grep -c -- "$1" "$log_file" 2>/dev/null || true)" = "$2" ]; }

shipped_example=$(dirname "$0")/../../examples/pakvue.config.json
start "$elsewhere"
await docked || fail "a first start shows no icon"
await grep -q -- " - Info - wrote the example configuration to \".*pakvue.config.json\"\." \
    "$user_config/pakVue.log" || fail "the first start logs nothing beside the example"
cmp -s "$user_config/pakvue.config.json" "$shipped_example" ||
    fail "the example written is not the one shipped"
[ ! -e "$folder/pakVue.log" ] && [ ! -e "$elsewhere/pakVue.log" ] ||
    fail "a log beside the program or in the working directory"
kill -KILL "$started"
wait "$started" || true

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
