#!/usr/bin/env bash
# Sets up the machine, builds, runs every test and then fuzzes the readers of files from disk.
# Usage: scripts/test.sh
# Both steps always run; the exit code is non-zero when either failed, and the last lines
# printed are ctest's summary and the fuzzing result.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
build=$root/build
"$root/scripts/sandbox.sh" "$build"
if [ "${CI:-}" = true ]; then
  # Nothing of the sandbox may outlive the run.
  trap '"$root/scripts/sandbox.sh" "$build" stop' EXIT
fi
log=$build/ctest.log
ctest_rc=0
ctest --test-dir "$build" -j"$(nproc)" --output-on-failure --timeout 600 2>&1 | tee "$log" ||
  ctest_rc=$?
# The script and language-file readers under libFuzzer and the sanitizers, a minute in all.
fuzz_rc=0
"$root/scripts/fuzz.sh" || fuzz_rc=$?

echo
echo "== ctest ($log)"
if grep -q 'tests passed, ' "$log"; then
  sed -n '/tests passed, /,$p' "$log"
else
  tail -n 5 "$log"
  [ "$ctest_rc" != 0 ] || ctest_rc=1 # no summary: ctest did not run to its end
fi
echo "== fuzzing"
if [ "$fuzz_rc" = 0 ]; then
  echo "fuzzing passed"
else
  echo "fuzzing FAILED (exit $fuzz_rc): see the lines above and $root/build-fuzz/"
fi
exit $((ctest_rc != 0 || fuzz_rc != 0))
