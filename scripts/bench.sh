#!/usr/bin/env bash
# Runs every benchmark (build/bin/*_bench.exe) inside the sandbox of build/; not ctest tests:
# they move GiBs. files_bench and install_bench get their size in MiB.
# Usage: scripts/bench.sh [MiB]   (default 512)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ -f "$root/build/bin/files_bench.exe" ] || "$root/scripts/build.sh"
"$root/scripts/sandbox.sh" "$root/build"
rc=0
for bench in "$root"/build/bin/*_bench.exe; do
  echo "== $(basename "$bench")"
  args=()
  case "$(basename "$bench")" in files_bench.exe | install_bench.exe) args=("$@") ;; esac
  "$root/scripts/wine-run" "$root/build" "$bench" "${args[@]}" || rc=$?
done
exit $rc
