#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# Runs ctest, keeping its summary so the totals can be given at the end.
run_ctest() { ctest "$@" | tee -a "$log"; }
bash scripts/install-deps.sh --tests
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIMBURIK_TESTS=ON -DTIMBURIK_BENCH=ON -DTIMBURIK_WERROR=ON >/dev/null
cmake --build build -j"$(nproc)"
run_ctest --test-dir build --output-on-failure -j"$(nproc)" -LE 'e2e|soak'
# The real program on virtual screens last, one scenario at a time, once the units hold.
run_ctest --test-dir build --output-on-failure -L e2e
# The unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIMBURIK_SANITIZE=ON -DTIMBURIK_BENCH=OFF \
  -DTIMBURIK_WERROR=ON >/dev/null
cmake --build build-asan -j"$(nproc)" --target unit_tests soak_tests
run_ctest --test-dir build-asan --output-on-failure -j"$(nproc)" -L unit
# The real game, built with the sanitizers, played at random for a minute: exits, SIGTERMs
# and restarts included (tests/soak).
TIMBURIK_SOAK_SECONDS="${TIMBURIK_SOAK_SECONDS:-60}" run_ctest --test-dir build-asan --output-on-failure -L soak
# Every reader of outside data fuzzed for a bounded time (clang, libFuzzer, build-fuzz).
bash tests/fuzz/run.sh 30
passed=$(grep -oE 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | awk '{s += $NF} END {print s + 0}')
echo "all: $passed passed, 0 failed"
