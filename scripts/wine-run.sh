#!/usr/bin/env bash
# Runs a Windows test binary under Wine in a private prefix, without a display and without the
# Mono and Gecko installers that a new prefix would otherwise offer.
set -eu
export WINEPREFIX="${PAKVUE_WINEPREFIX:-${TMPDIR:-/tmp}/pakvue-wine-$(id -u)}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
exec wine "$@"
