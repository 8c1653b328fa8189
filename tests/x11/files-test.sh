#!/usr/bin/env bash
# The Linux program on an X11 desktop, started without a configuration, from another folder
# than its own and twice on one configuration (see tests/support/files-steps.sh).
# Usage: files-test.sh <pakvue program> <example configuration>
set -euo pipefail

program=$(realpath "$1")
config=$(realpath "$2")
source "$(dirname "$0")/../support/desktop-session.sh"
start_desktop

runner=()
user_config=$XDG_CONFIG_HOME/pakvue
docked() { xdotool search --name '^PakVue: '; }
source "$(dirname "$0")/../support/files-steps.sh"
[ "$(stat -c %a "$user_config")" = 700 ] || fail "the user's folder is open to others"
echo "x11 files test passed"
