#!/usr/bin/env bash
# Runs every benchmark (build/bin/*_bench.exe) inside the sandbox of build/; not ctest tests:
# they move GiBs. files_bench gets the size of its file in MiB.
# Usage: scripts/bench.sh [MiB]   (default 512)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ -f "$root/build/bin/files_bench.exe" ] || "$root/scripts/build.sh"
"$root/scripts/sandbox.sh" "$root/build"
rc=0
for bench in "$root"/build/bin/*_bench.exe; do
  echo "== $(basename "$bench")"
  args=()
  [ "$(basename "$bench")" != files_bench.exe ] || args=("$@")
  "$root/scripts/wine-run" "$root/build" "$bench" "${args[@]}" || rc=$?
done
exit $rc
