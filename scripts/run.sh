#!/usr/bin/env bash
# Installs what PakVue needs, builds it for this machine and says what was built. The tray
# program itself is not there yet: so far the portable core, its tests and its benchmarks are.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux

cat <<TXT

Built in build/linux:
  src/libpakvue_core.a        the portable core: log, configuration values and colours,
                              configuration reader, sample buffers and views, data collectors'
                              base, data set, frame threads, unit formatting, software bitmaps,
                              line and bar rendering methods, frame renderer
  tests/pakvue_tests          its unit tests (scripts/test.sh runs them, also under sanitizers
                              and, cross-built, under Wine)
  bench/pakvue_bench          its benchmarks
The tray program (pakvue) is not built yet; it comes with the platform backends.
TXT
