#!/usr/bin/env bash
# Builds and runs every test this machine can run: the native unit tests (g++), the same tests
# under AddressSanitizer with UndefinedBehaviorSanitizer (clang, so both compilers build with
# warnings as errors) and under ThreadSanitizer, and the Windows build's tests under Wine. Stops
# at the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

run_preset() {
    local preset=$1
    shift
    echo "== $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    "$@" ctest --preset "$preset" -j "$(nproc)"
}

run_preset linux
run_preset linux-asan
# ThreadSanitizer needs a predictable address layout; setarch -R turns randomisation off for
# this one command.
run_preset linux-tsan setarch "$(uname -m)" -R

# The Windows tests run in a private Wine prefix, made once before the tests start.
export PAKVUE_WINEPREFIX="$PWD/build/windows/wineprefix"
if [ ! -d "$PAKVUE_WINEPREFIX" ]; then
    echo "== creating the Wine prefix"
    WINEPREFIX="$PAKVUE_WINEPREFIX" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
        DISPLAY= wineboot --init >/dev/null 2>&1 || true
fi
run_preset windows

echo "== all tests passed"
