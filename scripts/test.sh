#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --tests
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIMBURIK_WERROR=ON >/dev/null
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)" -LE e2e
# The real program on virtual screens last, one scenario at a time, once the units hold.
ctest --test-dir build --output-on-failure -L e2e
# The unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIMBURIK_SANITIZE=ON -DTIMBURIK_BENCH=OFF \
  -DTIMBURIK_WERROR=ON >/dev/null
cmake --build build-asan -j"$(nproc)" --target unit_tests
ctest --test-dir build-asan --output-on-failure -j"$(nproc)" -L unit
# Every reader of outside data fuzzed for a bounded time (clang, libFuzzer, build-fuzz).
bash tests/fuzz/run.sh 30
