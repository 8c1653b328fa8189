#!/usr/bin/env bash
# Installs what PakVue needs, builds it and runs it on this X11 desktop. It runs in
# ${PAKVUE_HOME:-~/.pakvue}, which gets the example configuration on the first run; the log,
# pakVue.log, is written there too. The configuration's schema is kept up to date beside it, for
# editors that check the file as it is written.
set -euo pipefail
cd "$(dirname "$0")/.."
source=$PWD

scripts/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux

home=$(realpath -ms -- "${PAKVUE_HOME:-$HOME/.pakvue}")
# The user's alone: PakVue does not use a configuration that others may change. Folders made
# above it keep the usual mode.
# shellcheck disable=SC2174
mkdir -p -m 700 "$home"
# A link in the configuration's place is the user's, even one to nothing; the schema is replaced.
if [ ! -e "$home/pakvue.config.json" ] && [ ! -L "$home/pakvue.config.json" ]; then
    cp examples/pakvue.config.json "$home/"
    echo "Wrote the example configuration to $home/pakvue.config.json"
fi
rm -f "$home/pakvue.config.schema.json"
cp examples/pakvue.config.schema.json "$home/"
if [ -z "${DISPLAY:-}" ]; then
    echo "No DISPLAY is set: PakVue needs an X11 desktop with a notification area." >&2
fi
echo "Running PakVue in $home (its log: $home/pakVue.log); choose Exit from an icon's menu to end it."
cd "$home"
exec "$source/build/linux/src/app/pakvue"
