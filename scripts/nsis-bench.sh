#!/usr/bin/env bash
# The figure to beat for the install bench: the payload that install_bench.exe left in
# C:\zkbench\install\large\plain, packed by makensis (package nsis, zlib) and installed by that
# installer silently (/S) in the sandbox of build/, best of two, its start included.
# Usage: scripts/nsis-bench.sh   (after install_bench.exe)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
command -v makensis >/dev/null || { echo "== makensis: not installed (apt-get install nsis)"; exit 0; }
# shellcheck disable=SC1091
. "$root/build/sandbox/env"
read -r -a runas <<< "$ZK_RUNAS"
work=$WINEPREFIX/drive_c/zkbench/install
payload=$work/large/plain
[ -d "$payload" ] || { echo "== makensis: no payload (run install_bench.exe first)"; exit 0; }
echo "== makensis installer of the same payload ($(du -sm "$payload" | cut -f1) MiB), silent /S"
nsis=$root/build/bench-nsis
mkdir -p "$nsis"
{
  echo 'Unicode true'
  echo 'SetCompressor zlib'
  echo 'RequestExecutionLevel user'
  echo "OutFile \"$nsis/zkbench_nsis.exe\""
  echo 'InstallDir "C:\zkbench\install\nsis_dst"'
  echo 'Section'
  echo '  SetOutPath "$INSTDIR"'
  echo "  File /r \"$payload/*\""
  echo '  WriteUninstaller "$INSTDIR\uninst.exe"'
  echo 'SectionEnd'
  echo 'Section "Uninstall"'
  echo '  RMDir /r "$INSTDIR"'
  echo 'SectionEnd'
} > "$nsis/bench.nsi"
t0=$(date +%s.%N)
makensis -V1 "$nsis/bench.nsi"
echo "  makensis packed it in $(echo "$(date +%s.%N) - $t0" | bc) s"
cp "$nsis/zkbench_nsis.exe" "$work/"
best=""
for _ in 1 2; do
  "${runas[@]}" rm -rf "$work/nsis_dst"
  t0=$(date +%s.%N)
  "$root/scripts/wine-run" "$root/build" 'C:\zkbench\install\zkbench_nsis.exe' /S
  t=$(echo "$(date +%s.%N) - $t0" | bc)
  if [ -z "$best" ] || [ "$(echo "$t < $best" | bc)" = 1 ]; then best=$t; fi
done
files=$(find "$work/nsis_dst" -type f | wc -l)
printf '  makensis installer /S: %.2f s (%s files in place)\n' "$best" "$files"
"${runas[@]}" rm -rf "$work/nsis_dst"
