#!/usr/bin/env bash
# The Windows program under Wine, started from another folder than its own and started twice on
# one configuration (see tests/support/files-steps.sh).
# Usage: files-test.sh <pakvue.exe> <example configuration>
set -euo pipefail

program=$(realpath "$1")
config=$(realpath "$2")
source "$(dirname "$0")/../support/desktop-session.sh"

# The folder's name is UTF-8, whatever the caller's locale.
export LC_ALL=C.UTF-8
use_wine
start_desktop

runner=(wine)
# Docked: Wine's icon window sits inside the panel.
docked() { xwininfo -root -tree | sed -n '/"panel"/,$p' | grep -q '"explorer.exe"'; }
source "$(dirname "$0")/../support/files-steps.sh"
echo "wine files test passed"
