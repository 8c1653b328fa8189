#!/usr/bin/env bash
# Installs what PakVue needs, builds it and runs it on this X11 desktop. PakVue looks for its
# configuration in the user's folder, ~/.config/pakvue (or ~/.pakvue, where earlier versions
# kept it), and writes the example there on the first start; the log, pakVue.log, goes beside
# it. It runs in its own folder, so that no configuration of the current folder is taken.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux

if [ -z "${DISPLAY:-}" ]; then
    echo "No DISPLAY is set: PakVue needs an X11 desktop with a notification area." >&2
fi
echo "Running PakVue; choose Exit from an icon's menu to end it, Edit configuration to change it."
cd build/linux/src/app
exec ./pakvue
