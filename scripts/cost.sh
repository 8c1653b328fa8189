#!/usr/bin/env bash
# What PakVue costs to run: the real program with four icons of two graphs each (processor,
# memory, disk, network; bench/cost.config.json) at one sample a second, on a throw-away X11
# desktop with trayer as the notification area, nobody touching it. After a warm-up it measures
# ROUNDS rounds of SECONDS each and prints, per round and as medians: CPU time of all threads
# per second (from /proc/PID/task/*/schedstat, in nanoseconds: /proc/PID/stat counts 10 ms ticks,
# far too coarse here), CPU-seconds per hour, resident memory, and wake-ups (context switches of
# all threads) per second. Compare programs by alternating their runs and taking medians: single
# runs on a shared machine vary a lot. PAKVUE_COST_TRAY=sni measures the icons as
# StatusNotifierItems in xfce4-panel instead, on a session bus of its own.
# PAKVUE_COST_CONFIG=bench/cost-hardware.config.json adds a graph to each icon: processor
# pressure, the battery, PakVue's own processor time and the hottest temperature; on a machine
# without a battery or sensors, PAKVUE_SYSFS=tests/data/counters/hardware/sys reads a laptop's.
set -euo pipefail

usage() {
    echo "Usage: scripts/cost.sh [SECONDS [ROUNDS]]   (default: 40 seconds, 3 rounds)" >&2
    echo "  PAKVUE_PROGRAM names the program (default: build/linux/src/app/pakvue)." >&2
    echo "  PAKVUE_COST_TRAY=sni shows the icons in xfce4-panel through StatusNotifierItem." >&2
    echo "  PAKVUE_COST_CONFIG names the configuration (default: bench/cost.config.json)." >&2
    echo "  PAKVUE_SYSFS names a folder the program reads in place of /sys." >&2
    exit 2
}
seconds=${1:-40}
rounds=${2:-3}
[[ $seconds =~ ^[1-9][0-9]*$ && $rounds =~ ^[1-9][0-9]*$ ]] || usage
readonly warm_up=8

program=${PAKVUE_PROGRAM:+$(realpath -m "$PAKVUE_PROGRAM")}
config=$(realpath -m "${PAKVUE_COST_CONFIG:-$(dirname "$0")/../bench/cost.config.json}")
if [ -n "${PAKVUE_SYSFS:-}" ]; then # the program runs in a folder of its own
    PAKVUE_SYSFS=$(realpath -m "$PAKVUE_SYSFS")
    export PAKVUE_SYSFS
fi
cd "$(dirname "$0")/.."
program=${program:-$PWD/build/linux/src/app/pakvue}
[ -x "$program" ] || { echo "no program at $program; build the linux preset first" >&2; exit 1; }

sni=${PAKVUE_COST_TRAY:-xembed}
[[ $sni == sni || $sni == xembed ]] || usage
if [ "$sni" = sni ] && [ -z "${PAKVUE_COST_SESSION:-}" ]; then
    # xfconfd, which the bus starts, reads the panel's configuration from here.
    export XDG_CONFIG_HOME PAKVUE_PROGRAM=$program PAKVUE_COST_CONFIG=$config
    XDG_CONFIG_HOME=$(mktemp -d)
    mkdir -p "$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml"
    cp tests/sni/panel.xml "$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml"
    trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT
    PAKVUE_COST_SESSION=1 dbus-run-session -- "$0" "$@"
    exit $?
fi

# The panel's settings, when there are any, stay where the bus's xfconfd reads them.
if [ "$sni" = sni ]; then config_home=$XDG_CONFIG_HOME; fi
source tests/support/desktop-session.sh
trap 'exit 130' INT TERM HUP
items() {
    busctl --user get-property org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
        org.kde.StatusNotifierWatcher RegisteredStatusNotifierItems
}
if [ "$sni" = sni ]; then
    unset PAKVUE_TRAY
    start_desktop without-tray
    xfce4-panel --disable-wm-check >/dev/null 2>&1 &
    pids+=($!)
    await items || fail "no StatusNotifierItem host"
else
    # shellcheck disable=SC2119 # with its tray, the default
    start_desktop
fi
[ -f "$config" ] || { echo "no configuration at $config" >&2; exit 1; }
cp "$config" "$work/pakvue.config.json"
(cd "$work" && exec "$program") &
app=$!
pids+=("$app")
icons=$(grep -o '"graphs"' "$config" | wc -l)
all_items() { [ "$(items | grep -o "StatusNotifierItem-$app-" | wc -l)" -eq "$icons" ]; }
if [ "$sni" = sni ]; then
    await all_items || fail "the icons did not register as items"
else
    await xdotool search --onlyvisible --name '^PakVue: ' || fail "no tray icon"
fi
sleep "$warm_up"

# Nanoseconds on the CPU and context switches, summed over the program's threads.
cpu_ns() { cat /proc/"$app"/task/*/schedstat 2>/dev/null | awk '{ sum += $1 } END { print sum }'; }
switches() {
    cat /proc/"$app"/task/*/status 2>/dev/null |
        awk '/^(non)?voluntary_ctxt_switches:/ { sum += $2 } END { print sum }'
}
rss_kb() { awk '/^VmRSS:/ { print $2 }' /proc/"$app"/status; }

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

results=()
for round in $(seq "$rounds"); do
    cpu0=$(cpu_ns) sw0=$(switches) t0=$(date +%s%N)
    sleep "$seconds"
    cpu1=$(cpu_ns) sw1=$(switches) t1=$(date +%s%N)
    kill -0 "$app" 2>/dev/null || fail "PakVue ended during the measurement"
    line=$(awk -v c=$((cpu1 - cpu0)) -v w=$((sw1 - sw0)) -v t=$((t1 - t0)) -v r="$(rss_kb)" \
        'BEGIN { s = t / 1e9; printf "%.3f %.2f %d %.1f", c / 1e6 / s, c / 1e9 / s * 3600, r, w / s }')
    results+=("$line")
    read -r ms hour rss wakeups <<<"$line"
    printf 'round %d: %s ms CPU per second, %s CPU-s per hour, RSS %s kB, %s wake-ups per second\n' \
        "$round" "$ms" "$hour" "$rss" "$wakeups"
done
column() { printf '%s\n' "${results[@]}" | awk -v f="$1" '{ print $f }' | median; }
printf 'median: %s ms CPU per second, %s CPU-s per hour, RSS %s kB, %s wake-ups per second\n' \
    "$(column 1)" "$(column 2)" "$(column 3)" "$(column 4)"
