#!/usr/bin/env bash
# Builds the fuzz targets of the readers of files from disk natively into build-fuzz/ and runs
# each for its share of a bounded time (ZK_FUZZ_SECONDS in all, default 60): the setup script,
# the uninstall script and the language files, each on a corpus seeded from the test fixtures
# (scripts also in their scrambled form). Fails on any crash, hang (-timeout), leak or
# sanitizer report; a reproducer is left in build-fuzz/runs/<target>/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build-fuzz
seconds=${ZK_FUZZ_SECONDS:-60}
cmake -S "$root/fuzz" -B "$out" -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if ! cmake --build "$out" -j"$(nproc)" >"$out/build.log" 2>&1; then
  grep -E -A5 'error' "$out/build.log" | head -60; echo "fuzz build failed: $out/build.log"; exit 1
fi

# seed TARGET FILE [scrambled]: copies one seed into the target's corpus.
seed() {
  local corpus=$out/runs/$1/corpus name
  name=$(basename "$2")
  mkdir -p "$corpus"
  cp "$2" "$corpus/seed-$name"
  [ "${3:-}" != scrambled ] || "$out/scramble_seed" "$2" "$corpus/seed-$name-scrambled"
}
for f in "$root"/tests/fixtures/setup_scripts/*.txt; do seed script_fuzz "$f" scrambled; done
for f in "$root"/tests/fixtures/uninstall_scripts/*.txt; do
  seed uninstall_script_fuzz "$f" scrambled
done
for f in "$root"/tests/fixtures/lang_files/*.lng "$root"/resources/setup_english.txt; do
  seed lang_file_fuzz "$f"
done

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
targets=(script_fuzz uninstall_script_fuzz lang_file_fuzz)
share=$(( seconds / ${#targets[@]} > 0 ? seconds / ${#targets[@]} : 1 ))
rc=0
for target in "${targets[@]}"; do
  dir=$out/runs/$target log=$out/runs/$target/fuzz.log
  if ! "$out/$target" -max_total_time="$share" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
       -print_final_stats=1 -artifact_prefix="$dir/" "$dir/corpus" >"$log" 2>&1; then
    grep -E -B2 -A30 'ERROR|runtime error|timeout|deadly signal' "$log" | head -80
    echo "$target failed: $log (reproducer: $dir/crash-* or $dir/timeout-*)"
    rc=1
    continue
  fi
  runs=$(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}')
  echo "$target: ${runs:-?} runs in ${share} s, no crash"
done
exit $rc
