# A throw-away X11 desktop for the desktop tests, sourced by them: Xvfb on a free display with
# trayer as the notification area at the bottom right, a working directory, user folders of
# its own, and the helpers the tests share. The caller may point `log_file` at another log than
# the one in the working directory, and may have made the user's configuration folder already
# (for a panel's settings), naming it in `config_home`.

# The XEmbed tray, even where the developer's own session offers StatusNotifierItem hosts.
export PAKVUE_TRAY=xembed

work=$(mktemp -d)
log_file=$work/pakVue.log
# No configuration of the developer's is found, and a first start writes nothing into their
# home.
export HOME=$work/home XDG_STATE_HOME=$work/state
export XDG_CONFIG_HOME=${config_home:-$work/config}
mkdir -p "$HOME" "$XDG_CONFIG_HOME"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# Reports a failure with what the desktop and the log looked like, and ends the test.
fail() {
    echo "FAIL: $*"
    xwininfo -root -tree | sed -n '/"panel"/,$p' || true
    import -window root "${TMPDIR:-/tmp}/pakvue-desktop-failure.png" 2>/dev/null || true
    echo "--- $log_file"
    cat "$log_file" 2>/dev/null || true
    exit 1
}

# Waits until `command` succeeds, for up to 30 seconds.
await() {
    for _ in $(seq 300); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
    return 1
}

# Xvfb, and trayer unless the first argument is "without-tray". Xvfb picks a display no other
# server holds and says which once it accepts connections, so tests running side by side never
# meet on one display.
start_desktop() {
    Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
    pids+=($!)
    await test -s "$work/display" || fail "Xvfb did not start"
    DISPLAY=":$(head -n 1 "$work/display")"
    export DISPLAY
    await xdpyinfo || fail "Xvfb did not start on $DISPLAY"
    [ "${1:-}" = without-tray ] || start_tray
}

start_tray() {
    trayer --edge bottom --align right --widthtype request --height 32 --transparent false \
        --SetPartialStrut true >/dev/null 2>&1 &
    pids+=($!)
    sleep 1
}

# Wine in the tests' private prefix, quiet and without the Mono and Gecko installers. A session
# left by a run without a display would make this one's windows fail, so it waits for that to
# end; whatever way the test ends, no program of the prefix is left running.
use_wine() {
    export WINEPREFIX="${PAKVUE_WINEPREFIX:-${TMPDIR:-/tmp}/pakvue-wine-$(id -u)}"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    wineserver -w
    trap 'wineserver -k 2>/dev/null || true; cleanup' EXIT
}

# Runs a Windows tool of the test (the shell probe, taskkill, wineboot) under Wine and passes on
# its output and exit code. Now and then Wine fails to create the process at all: its loader
# hands the path to start.exe, which says "ShellExecuteEx failed", and the tool never ran. That
# is Wine's doing, not the program's under test, so the tool is started again, at most 3 times.
wine_tool() {
    local attempt status
    for attempt in 1 2 3; do
        status=0
        wine "$@" >"$work/tool.out" 2>"$work/tool.err" || status=$?
        grep -q "ShellExecuteEx failed" "$work/tool.out" "$work/tool.err" || break
        echo "Wine could not start $1 (attempt $attempt)" >&2
        sleep 0.5
    done
    cat "$work/tool.out"
    cat "$work/tool.err" >&2
    return "$status"
}

# PakVue's detail window, shown or not (with --onlyvisible, shown only).
detail_window() {
    xdotool search "$@" --name '^PakVue details: ' | head -n 1
}

# Ends the Linux program as a user does: a right click on its icon at (x, y), then "Exit", the
# menu's last item, from the menu; then checks its ending as expect_clean_exit does.
exit_through_menu() {
    local x=$1 y=$2 app=$3 menu
    xdotool mousemove "$x" "$y" click 3
    await xdotool search --onlyvisible --name '^PakVue menu$' || fail "no context menu"
    menu=$(xdotool search --onlyvisible --name '^PakVue menu$' | head -n 1)
    eval "$(xdotool getwindowgeometry --shell "$menu")"
    xdotool mousemove $((X + 20)) $((Y + HEIGHT - 10)) click 1
    expect_clean_exit "$app"
}

# Waits for the program to end by itself and checks its exit code and last log line.
expect_clean_exit() {
    local app=$1
    for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$app" 2>/dev/null && fail "choosing Exit did not end the program"
    wait "$app" || fail "exit code $?"
    tail -n 1 "$log_file" | grep -q $' - Info - shutting down.\r$' ||
        fail "the log does not end with shutting down."
}
