#!/usr/bin/env bash
# The Linux program on an X11 desktop, started from another folder than its own and started
# twice on one configuration (see tests/support/files-steps.sh).
# Usage: files-test.sh <pakvue program> <example configuration>
set -euo pipefail

program=$(realpath "$1")
config=$(realpath "$2")
source "$(dirname "$0")/../support/desktop-session.sh"
start_desktop

runner=()
docked() { xdotool search --name '^PakVue: '; }
source "$(dirname "$0")/../support/files-steps.sh"
echo "x11 files test passed"
