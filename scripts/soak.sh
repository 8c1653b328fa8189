#!/usr/bin/env bash
# Runs PakVue for a long while on a throw-away X11 desktop (Xvfb, trayer as the notification
# area) with every icon updating every 100 ms, and plays a user with xdotool: every few seconds
# it hovers an icon (the preview shows), leaves it, clicks it (the window pins), leaves it and
# closes the window with its close button, taking the icons in turn. Once a minute it prints the
# program's resident memory, open file descriptors and threads: each later minute's descriptors
# and threads must equal the first minute's, and its resident memory may exceed the first
# minute's by RSS_GROWTH_KB at most. At the end the program must still run and end through its
# menu with code 0 and "shutting down." as the log's last line. Any failure ends the script at
# once with a reason and a non-zero code.
set -euo pipefail

usage() {
    echo "Usage: scripts/soak.sh DURATION" >&2
    echo "  DURATION: whole seconds (120) or minutes (2m, 30m); at least 2 minutes." >&2
    echo "  PAKVUE_PROGRAM names the program (default: build/linux/src/app/pakvue, built with" >&2
    echo "  the linux preset when it is missing)." >&2
    exit 2
}

# Samples are taken between rounds, with every detail window hidden: a shown window has its own
# drawing thread, and memory is then compared in the same state each time. The first minute's
# rounds show every icon's window several times, so the heap has reached its working size by
# then; 1 MB beyond it is far less than what a leak of one detail-window bitmap per showing, or
# of a few hundred bytes per frame (three icons at ten frames a second make 1800 frames a
# minute), would add in two minutes.
readonly RSS_GROWTH_KB=1024

[ $# -eq 1 ] || usage
[[ $1 =~ ^[0-9]+m?$ ]] || usage
if [[ $1 == *m ]]; then duration=$((10#${1%m} * 60)); else duration=$((10#$1)); fi
[ "$duration" -ge 120 ] || usage

program=${PAKVUE_PROGRAM:+$(realpath -m "$PAKVUE_PROGRAM")}
cd "$(dirname "$0")/.."
source_dir=$PWD
if [ -z "$program" ]; then
    program=$source_dir/build/linux/src/app/pakvue
    if [ ! -x "$program" ]; then
        echo "== building the linux preset"
        cmake --preset linux >/dev/null
        cmake --build --preset linux --target pakvue
    fi
fi
[ -x "$program" ] || { echo "FAIL: no program at $program" >&2; exit 1; }

source tests/support/desktop-session.sh
# A signal ends the script through the session's clean-up, like any other ending.
trap 'exit 130' INT TERM HUP
# shellcheck disable=SC2119 # with its tray, the default
start_desktop

# The README's example, every icon at 100 ms.
example=$source_dir/examples/pakvue.config.json
sed -E 's/("updateInterval": *)[0-9]+/\1100/' "$example" >"$work/pakvue.config.json"
intervals=$(grep -c '"updateInterval"' "$work/pakvue.config.json")
[ "$(grep -c '"updateInterval": *100,' "$work/pakvue.config.json")" -eq "$intervals" ] ||
    fail "could not set every update interval of $example to 100 ms"

(cd "$work" && exec "$program") &
app=$!
pids+=("$app")

await xdotool search --name '^PakVue: ' || fail "no tray icon"
sleep 1
mapfile -t icons < <(xdotool search --name '^PakVue: ')
[ "${#icons[@]}" -eq "$intervals" ] || fail "${#icons[@]} tray icons for $intervals configured"

visible_detail() { detail_window --onlyvisible; }
detail_shown() { [ -n "$(visible_detail)" ]; }
detail_hidden() { [ -z "$(visible_detail)" ]; }
viewable() { xwininfo -id "$1" | grep -q IsViewable; }

# One round on one icon: preview, pin, close. Ends with every detail window hidden.
play() {
    local icon=$1 detail
    eval "$(xdotool getwindowgeometry --shell "$icon")"
    local x=$((X + WIDTH / 2)) y=$((Y + HEIGHT / 2))
    xdotool mousemove "$x" "$y"
    await detail_shown || fail "hovering icon $icon shows no detail window"
    sleep 1
    xdotool mousemove 10 10
    await detail_hidden || fail "leaving icon $icon does not hide its preview"
    xdotool mousemove "$x" "$y" click 1
    await detail_shown || fail "a click on icon $icon shows no detail window"
    detail=$(visible_detail)
    xdotool mousemove 10 10
    sleep 1
    viewable "$detail" || fail "the pinned window of icon $icon hid when the mouse left"
    eval "$(xdotool getwindowgeometry --shell "$detail")"
    xdotool mousemove $((X + 16)) $((Y + 16)) click 1
    await detail_hidden || fail "the close button does not hide the window of icon $icon"
    xdotool mousemove 10 10
    sleep 1
}

# Resident memory (kB), open descriptors and threads, each the smallest of ten readings over a
# second: at every sample a collector holds a procfs file open for a moment, and a window that
# was just closed may still be ending its thread. What leaks stays in every reading. The odd
# pause keeps the readings from falling into step with the 100 ms frames.
measure() {
    local rss=0 fds=0 threads=0 i r f t
    kill -0 "$app" 2>/dev/null || fail "the program ended by itself"
    for i in $(seq 10); do
        read -r r t < <(awk '$1 == "VmRSS:" { r = $2 } $1 == "Threads:" { t = $2 }
                             END { print r, t }' "/proc/$app/status")
        f=$(find "/proc/$app/fd" -mindepth 1 | wc -l)
        if [ "$i" -eq 1 ] || [ "$r" -lt "$rss" ]; then rss=$r; fi
        if [ "$i" -eq 1 ] || [ "$f" -lt "$fds" ]; then fds=$f; fi
        if [ "$i" -eq 1 ] || [ "$t" -lt "$threads" ]; then threads=$t; fi
        sleep 0.13
    done
    sample=("$rss" "$fds" "$threads")
}

baseline=()
echo "== soak: $program, $((duration / 60)) min $((duration % 60)) s, ${#icons[@]} icons at 100 ms"
start=$SECONDS
minute=1
round=0
while [ $((SECONDS - start)) -lt "$duration" ]; do
    kill -0 "$app" 2>/dev/null || fail "the program ended by itself after $((SECONDS - start)) s"
    play "${icons[round % ${#icons[@]}]}"
    round=$((round + 1))
    if [ $((SECONDS - start)) -ge $((minute * 60)) ]; then
        measure
        printf 'minute %2d: rss %6d kB, fds %3d, threads %2d\n' "$minute" "${sample[@]}"
        [ "$minute" -eq 1 ] && baseline=("${sample[@]}")
        [ "${sample[1]}" -eq "${baseline[1]}" ] ||
            fail "open descriptors went from ${baseline[1]} to ${sample[1]}"
        [ "${sample[2]}" -eq "${baseline[2]}" ] ||
            fail "threads went from ${baseline[2]} to ${sample[2]}"
        [ "${sample[0]}" -le $((baseline[0] + RSS_GROWTH_KB)) ] ||
            fail "resident memory grew from ${baseline[0]} kB to ${sample[0]} kB"
        minute=$((minute + 1))
    fi
done

echo "== $round rounds of hover, pin and close; ending through the menu"
eval "$(xdotool getwindowgeometry --shell "${icons[0]}")"
exit_through_menu $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) "$app"
echo "soak passed"
