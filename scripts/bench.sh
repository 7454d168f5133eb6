#!/usr/bin/env bash
# Runs the file benchmark inside the sandbox of build/ (not a ctest test: it moves GiBs).
# Usage: scripts/bench.sh [MiB]   (default 512)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ -f "$root/build/bin/files_bench.exe" ] || "$root/scripts/build.sh"
"$root/scripts/sandbox.sh" "$root/build"
exec "$root/scripts/wine-run" "$root/build" "$root/build/bin/files_bench.exe" "$@"
