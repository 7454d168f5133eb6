#!/usr/bin/env bash
# Runs the benchmarks (build/bin/*_bench.exe) inside the sandbox of build/; not ctest tests:
# they move GiBs. files_bench and install_bench get their size in MiB. install_bench also gets
# a tmpfs drive (a folder of its own in /dev/shm, mapped as a drive letter of the sandbox only
# while it runs) where /dev/shm is a tmpfs, and, when Debian's nsis is installed, NSIS
# installers of its payloads, built here with makensis as the bench asks for them (--nsis).
# The machine's load is printed before and after each bench: the figures are only as quiet.
# Usage: scripts/bench.sh [MiB] [NAME_bench ...]   (default 512 MiB, every bench)
#        ZK_INSTALL_BENCH_ARGS: more install_bench arguments (e.g. --compare T:\old\Setup.exe)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
mib=512
if [ $# -gt 0 ] && [[ $1 =~ ^[0-9]+$ ]]; then mib=$1; shift; fi
[ -f "$build/bin/files_bench.exe" ] || "$root/scripts/build.sh"
"$root/scripts/sandbox.sh" "$build"
# shellcheck disable=SC1091
. "$build/sandbox/env"
read -r -a runas <<< "$ZK_RUNAS"
prefix=$WINEPREFIX

load() { echo "   load average $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"; }

tmpfs_dir='' tmpfs_link=''
drop_tmpfs() {
  [ -n "$tmpfs_link" ] && rm -f "$tmpfs_link"
  [ -n "$tmpfs_dir" ] && rm -rf "$tmpfs_dir"
  tmpfs_dir='' tmpfs_link=''
}
trap drop_tmpfs EXIT
# A drive letter of the sandbox on a folder of /dev/shm: sets drive (empty when none).
map_tmpfs() {
  drive=''
  [ "$(stat -f -c %T /dev/shm 2>/dev/null)" = tmpfs ] || return 0
  local letter
  for letter in r s u v w x y; do
    [ -e "$prefix/dosdevices/$letter:" ] || break
    letter=''
  done
  [ -n "$letter" ] || return 0
  tmpfs_dir=$(mktemp -d /dev/shm/zkbench.XXXXXX)
  [ ${#runas[@]} -gt 0 ] && chown zsandbox:zsandbox "$tmpfs_dir"
  tmpfs_link=$prefix/dosdevices/$letter:
  ln -s "$tmpfs_dir" "$tmpfs_link"
  drive="${letter^^}:"
}

# Answers install_bench's NAME.request files (beside NAME.nsi) while process $1 runs: NAME.exe
# from makensis, then NAME.done or NAME.failed.
nsis_builder() {
  set +e +o pipefail # the bench deletes trees while find walks them
  while kill -0 "$1" 2>/dev/null; do
    find "$prefix/drive_c/zkbench/install" ${tmpfs_dir:+"$tmpfs_dir"} -name '*.request' \
      2>/dev/null | while read -r request; do
      local base=${request%.request}
      mv "$request" "$base.building"
      local verdict="done"
      (cd "$(dirname "$base")" && makensis -V1 "$(basename "$base").nsi") \
        >"$base.makensis.log" 2>&1 || verdict=failed
      [ ${#runas[@]} -gt 0 ] && chown zsandbox:zsandbox "$base".* 2>/dev/null
      mv "$base.building" "$base.$verdict"
    done
    sleep 0.2
  done
}

rc=0
benches=("$@")
[ ${#benches[@]} -gt 0 ] || mapfile -t benches < <(cd "$build/bin" && ls -- *_bench.exe)
for name in "${benches[@]}"; do
  bench=$build/bin/${name%.exe}.exe
  echo "== $(basename "$bench")"
  load
  args=()
  case "$(basename "$bench")" in
  files_bench.exe) args=("$mib") ;;
  install_bench.exe)
    args=("$mib")
    map_tmpfs
    [ -n "$drive" ] && args+=(--tmpfs "$drive")
    command -v makensis >/dev/null && args+=(--nsis)
    read -r -a extra <<< "${ZK_INSTALL_BENCH_ARGS:-}"
    args+=("${extra[@]}")
    ;;
  esac
  "$root/scripts/wine-run" "$build" "$bench" "${args[@]}" &
  pid=$!
  [[ " ${args[*]} " == *" --nsis "* ]] && nsis_builder "$pid" &
  wait "$pid" || rc=$?
  wait
  drop_tmpfs
  load
done
exit $rc
