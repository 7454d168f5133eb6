#!/usr/bin/env bash
# Lays out the demo product's setup folder in BUILD_DIR/demo/setup, as a setup is shipped:
#   Setup.exe, UnInstall.exe           the two engines of the build (Setup.exe once it is built)
#   Setup.txt, License.txt, ReadMe.txt the script and the files its wizard pages show
#   LANG/*.lng                         the language files
#   demo/sources/*                     product files shipped as they are
#   demo/packed/*, DemoApp.exe         product files shipped as one zlib stream, NAME._z
# The folder is made anew beside the old one and renamed into place. Prints what it holds.
# Usage: scripts/demo-pack.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:?usage: demo-pack.sh BUILD_DIR}")
demo=$root/demo
out=$build/demo
setup=$out/setup
fail() { echo "demo-pack: $*" >&2; exit 1; }

# The host's compressor, rebuilt when its source is newer.
zpack=$out/zpack
mkdir -p "$out"
if [ ! -x "$zpack" ] || [ "$demo/pack/zpack.cpp" -nt "$zpack" ]; then
  cxx=$(command -v clang++-14 || command -v c++ || true)
  [ -n "$cxx" ] || fail "no host C++ compiler (clang++-14 or c++)"
  "$cxx" -O2 -Wall -Wextra -o "$zpack" "$demo/pack/zpack.cpp" -lz ||
    fail "cannot build the compressor (is zlib1g-dev installed?)"
fi

[ -f "$build/bin/UnInstall.exe" ] || fail "$build/bin/UnInstall.exe is missing: run scripts/build.sh"
[ -f "$build/bin/DemoApp.exe" ] || fail "$build/bin/DemoApp.exe is missing: run scripts/build.sh"

next=$out/setup.new
rm -rf "$next"
mkdir -p "$next/LANG"
[ -f "$build/bin/Setup.exe" ] && cp "$build/bin/Setup.exe" "$next/"
cp "$build/bin/UnInstall.exe" "$next/"
cp "$demo/Setup.txt" "$demo/License.txt" "$demo/ReadMe.txt" "$next/"
cp "$demo"/LANG/*.lng "$next/LANG/"
cp "$demo"/sources/* "$next/"
for f in "$demo"/packed/* "$build/bin/DemoApp.exe"; do
  "$zpack" "$f" "$next/$(basename "$f")._z"
done
rm -rf "$setup"
mv "$next" "$setup"

echo "setup folder: $setup"
(cd "$setup" && find . -type f -printf '  %-24P %10s bytes\n' | sort)
[ -f "$setup/Setup.exe" ] || echo "  (no Setup.exe: the install engine is not built yet)"
