#!/usr/bin/env bash
# Builds the programs and the tests into build/ (the test architecture the host can run under
# Wine) and, when that is not i686, the shipped 32-bit programs into build-i686/ as well.
# Usage: scripts/build.sh [TARGET...]  (targets given: only those, in build/; the log of a
#        build is DIR/build.log)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
if /usr/lib/wine/wine --version >/dev/null 2>&1; then arch=i686; else arch=x86_64; fi
configure() { # dir arch tests
  cmake -S "$root" -B "$1" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw.cmake" -DMINGW_ARCH="$2" \
        -DZK_BUILD_TESTS="$3" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
}
targets=()
for t in "$@"; do targets+=(--target "$t"); done
compile() { # dir: the log is kept; warnings and errors are shown
  local log=$1/build.log
  if ! cmake --build "$1" -j"$jobs" "${targets[@]}" -- --no-print-directory >"$log" 2>&1; then
    grep -E -A5 'error|Error' "$log" | head -100; echo "build failed: $log"; exit 1
  fi
  grep -E -A3 'warning:' "$log" | head -60 || true
}
configure "$root/build" "$arch" ON
compile "$root/build"
if [ "$arch" != i686 ] && [ $# -eq 0 ]; then
  configure "$root/build-i686" i686 OFF
  compile "$root/build-i686"
fi
