#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, ASan, UBSan) in build-fuzz and runs each for a
# bounded time, as many at once as there are cores, starting from its committed seed corpus,
# which it leaves untouched. Usage: tests/fuzz/run.sh [seconds per target, default 30] [target ...]
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds="${1:-30}"
shift || true
targets=("$@")
[ "${#targets[@]}" -gt 0 ] || targets=(wordlist progress bmp jpeg wav image record familynote childfile)

cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTIMBURIK_FUZZ=ON -DTIMBURIK_TESTS=OFF -DTIMBURIK_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target fuzz >/dev/null

export UBSAN_OPTIONS="print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
fuzz() {
  local t="$1" work="build-fuzz/run/$1"
  rm -rf "$work"
  mkdir -p "$work" build-fuzz/artifacts
  # New inputs go to the scratch directory (the first one named); findings to artifacts/.
  # The timeout is far above any input's real time, so a busy machine does not raise it.
  build-fuzz/tests/fuzz/fuzz_"$t" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=30 \
    -print_final_stats=1 -artifact_prefix="build-fuzz/artifacts/$t-" \
    "$work" "tests/fuzz/corpus/$t" >"$work.log" 2>&1
}

for t in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$(nproc)" ]; do wait -n || true; done
  (fuzz "$t" && echo 0 >"build-fuzz/run/$t.status" || echo 1 >"build-fuzz/run/$t.status") &
done
wait
status=0
for t in "${targets[@]}"; do
  log="build-fuzz/run/$t.log"
  if [ "$(cat "build-fuzz/run/$t.status")" = 0 ]; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    last=$(grep -E '^#[0-9]+' "$log" | tail -n 1 | grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [^ ]+' || true)
    echo "fuzz_$t: ${seconds}s, ${runs:-?} runs, ${last:-no coverage line}, nothing found"
  else
    echo "fuzz_$t FOUND A PROBLEM (the input is saved under build-fuzz/artifacts/):"
    tail -n 60 "$log"
    status=1
  fi
done
exit "$status"
