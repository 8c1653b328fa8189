#!/usr/bin/env bash
# The Windows program under Wine, started from another folder than its own and started twice on
# one configuration (see tests/support/files-steps.sh).
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

runner=(wine)
# Docked: Wine's icon window sits inside the panel.
docked() { xwininfo -root -tree | sed -n '/"panel"/,$p' | grep -q '"explorer.exe"'; }
source "$(dirname "$0")/../support/files-steps.sh"
echo "wine files test passed"
