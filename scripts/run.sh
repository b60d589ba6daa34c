#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it on the bundled content in data/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIMBURIK_TESTS=OFF -DTIMBURIK_BENCH=OFF -DTIMBURIK_WERROR=OFF >/dev/null
cmake --build build -j"$(nproc)" --target timburik wordcheck
cd data
exec ../build/timburik
