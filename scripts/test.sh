#!/usr/bin/env bash
# Sets up the machine, builds and runs every test. Usage: scripts/test.sh
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
ctest --test-dir "$build" -j"$(nproc)" --output-on-failure --timeout 600
# The setup-script reader under libFuzzer and the sanitizers, about a minute.
"$root/scripts/fuzz.sh"
