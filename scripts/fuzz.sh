#!/usr/bin/env bash
# Builds the setup-script fuzz target natively into build-fuzz/ and runs it for a bounded time
# (ZK_FUZZ_SECONDS, default 60) on a corpus seeded from the test scripts and their scrambled
# twins. Fails on any crash, hang (-timeout), leak or sanitizer report.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build-fuzz
seconds=${ZK_FUZZ_SECONDS:-60}
cmake -S "$root/fuzz" -B "$out" -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if ! cmake --build "$out" -j"$(nproc)" >"$out/build.log" 2>&1; then
  grep -E -A5 'error' "$out/build.log" | head -60; echo "fuzz build failed: $out/build.log"; exit 1
fi
corpus=$out/corpus
mkdir -p "$corpus"
for seed in "$root"/tests/fixtures/setup_scripts/*.txt; do
  name=$(basename "$seed" .txt)
  cp "$seed" "$corpus/seed-$name"
  "$out/scramble_seed" "$seed" "$corpus/seed-$name-scrambled"
done
log=$out/fuzz.log
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
if ! "$out/script_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
     -print_final_stats=1 -artifact_prefix="$out/" "$corpus" >"$log" 2>&1; then
  grep -E -B2 -A30 'ERROR|runtime error|timeout|deadly signal' "$log" | head -80
  echo "fuzzing failed: $log (reproducer: $out/crash-* or $out/timeout-*)"
  exit 1
fi
grep -E '^stat::number_of_executed_units|^#[0-9]+.*DONE' "$log" | tail -2
