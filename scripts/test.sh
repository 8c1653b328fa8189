#!/usr/bin/env bash
# Builds and runs every test this machine can run: the native unit tests (g++) and a two-minute
# soak of the program on X11, the unit tests again under AddressSanitizer with
# UndefinedBehaviorSanitizer (clang, so both compilers build with warnings as errors) and under
# ThreadSanitizer, and the Windows build's tests under Wine. Stops at the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

echo "== formatting"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

run_preset() {
    local preset=$1
    shift
    echo "== $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    "$@" ctest --preset "$preset" -j "$(nproc)"
}

run_preset linux
# Two minutes of the real program on Xvfb at 100 ms with a user hovering and pinning: its memory,
# descriptors and threads must stay flat after the first minute.
echo "== soak"
PAKVUE_PROGRAM=build/linux/src/app/pakvue scripts/soak.sh 2m
run_preset linux-asan
# ThreadSanitizer needs a predictable address layout; setarch -R turns randomisation off for
# this one command.
run_preset linux-tsan setarch "$(uname -m)" -R

# A short fuzzing pass over the configuration reader and loader, from the seed configurations, and
# one over what the session bus sends; libFuzzer adds what it finds to corpora under build/, never
# to the seeds.
if command -v clang++ >/dev/null; then
    echo "== linux-fuzz"
    cmake --preset linux-fuzz >/dev/null
    cmake --build --preset linux-fuzz
    mkdir -p build/linux-fuzz/corpus build/linux-fuzz/artifacts
    build/linux-fuzz/fuzz/pakvue_fuzz_configuration -max_total_time=60 -max_len=20000 -timeout=10 \
        -artifact_prefix=build/linux-fuzz/artifacts/ -print_final_stats=1 \
        build/linux-fuzz/corpus fuzz/corpus 2>&1 | tail -n 12
    # Half a minute of what the session bus, or a client on it, may send the host watch.
    mkdir -p build/linux-fuzz/bus-corpus
    build/linux-fuzz/fuzz/pakvue_fuzz_bus -max_total_time=30 -max_len=8192 -timeout=10 \
        -artifact_prefix=build/linux-fuzz/artifacts/ -print_final_stats=1 \
        build/linux-fuzz/bus-corpus fuzz/bus-corpus 2>&1 | tail -n 6
fi

# The Windows tests run in a private Wine prefix, made and settled before the tests start: a
# prefix that is still being set up when the first test starts a second process can hang it.
export PAKVUE_WINEPREFIX="$PWD/build/windows/wineprefix"
if [ ! -f "$PAKVUE_WINEPREFIX/system.reg" ]; then
    echo "== creating the Wine prefix"
    mkdir -p "$(dirname "$PAKVUE_WINEPREFIX")"
    scripts/wine-run.sh wineboot --init
    WINEPREFIX="$PAKVUE_WINEPREFIX" wineserver --wait
fi
run_preset windows

echo "== all tests passed"
