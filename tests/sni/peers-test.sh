#!/usr/bin/env bash
# Runs peers-test.py on an X display with trayer; the test starts its own bus daemons.
# Usage: peers-test.sh <pakvue program>
set -euo pipefail

program=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../support/desktop-session.sh"
unset PAKVUE_TRAY
start_desktop
/usr/bin/python3 "$here/peers-test.py" "$program" "$work" || fail "see above"
