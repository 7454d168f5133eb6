#!/usr/bin/env bash
# Makes (once) and starts the Wine sandbox of a build folder: a prefix of its own with no
# drive mapped to the host's "/", real shell folders instead of links into $HOME, Windows XP,
# no desktop integration, the build folder as drive T:, an Xvfb display and one persistent
# wineserver. Wine runs as the unprivileged user "zsandbox" when we are root, so even a path
# that escapes the drives (Wine's \\?\unix\ namespace) cannot touch files owned by root.
# Usage: sandbox.sh BUILD_DIR [stop]  (prints nothing on success; idempotent; stop ends the
#        wineserver and the display)
set -euo pipefail
build=$(realpath "$1")
sbx=$build/sandbox
prefix=$sbx/prefix
mkdir -p "$sbx"

if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  arch=win32 loader=/usr/lib/wine/wine
else
  # This host's kernel runs no 32-bit code: a 64-bit prefix and 64-bit test builds instead.
  arch=win64 loader=/usr/lib/wine/wine64
fi

runas=()
if [ "$(id -u)" = 0 ] && id zsandbox >/dev/null 2>&1; then
  runas=(setpriv --reuid=zsandbox --regid=zsandbox --init-groups --)
fi

# The sandbox user must reach the build folder (T:); grant traverse only, where missing.
if [ ${#runas[@]} -gt 0 ]; then
  d=$build
  while [ "$d" != / ]; do
    if ! setpriv --reuid=zsandbox --regid=zsandbox --init-groups -- test -x "$d" 2>/dev/null; then
      setfacl -m u:zsandbox:x "$d" 2>/dev/null || chmod o+x "$d"
    fi
    d=$(dirname "$d")
  done
fi

cat > "$sbx/env" <<ENV
export WINEPREFIX='$prefix'
export WINEARCH='$arch'
export WINELOADER='$loader'
export WINESERVER=/usr/lib/wine/wineserver
export HOME='$sbx/home'
export XDG_CONFIG_HOME='$sbx/home/.config' XDG_DATA_HOME='$sbx/home/.local/share' XDG_CACHE_HOME='$sbx/home/.cache'
export WINEDEBUG=-all
export WINEDLLOVERRIDES='winemenubuilder.exe=d'
# The same locale on every host (a test's LC_ALL still takes precedence): without a UTF-8 one
# Wine cannot name files outside ASCII.
export LANG=C.UTF-8
export ZK_BUILD='$build'
export ZK_RUNAS='${runas[*]}'
ENV
# shellcheck disable=SC1091
. "$sbx/env"

# Every Wine process needs the display, the ones this script starts too: a desktop started
# without it stays without a driver, and no program can make windows while it lives.
use_display() {
  export DISPLAY=:$1
  echo "export DISPLAY=:$1" >> "$sbx/env"
}

start_display() {
  if [ -f "$sbx/display" ]; then
    local d pid
    read -r d pid < "$sbx/display"
    if kill -0 "$pid" 2>/dev/null; then use_display "$d"; return; fi
  fi
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -ac >/dev/null 2>&1 &
  local pid=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  echo "$n $pid" > "$sbx/display"
  use_display "$n"
}

wrun() { "${runas[@]}" "$WINELOADER" "$@"; }

make_prefix() {
  rm -rf "$prefix" "$HOME"
  mkdir -p "$prefix" "$HOME"
  [ ${#runas[@]} -gt 0 ] && chown -R zsandbox:zsandbox "$sbx"
  # No Mono or Gecko prompts while the prefix is made.
  WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d' wrun wineboot -i >/dev/null 2>&1
  "${runas[@]}" "$WINESERVER" -w
  rm -f "$prefix/dosdevices/z:"
  ln -sfn "$build" "$prefix/dosdevices/t:"
  # Shell folders that Wine linked to $HOME become real folders of the prefix.
  find "$prefix/drive_c/users" -maxdepth 2 -type l | while read -r link; do
    rm -f "$link"; mkdir -p "$link"
  done
  [ ${#runas[@]} -gt 0 ] && chown -R zsandbox:zsandbox "$prefix"
  wrun reg add 'HKCU\Software\Wine' /v Version /d winxp /f >/dev/null 2>&1
  wrun reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wrun reg add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /d '' /f >/dev/null 2>&1
  # No window manager runs on the display: unmanaged windows are drawn whole by Wine (title
  # bars too) and need no wait for a manager when they hide or close.
  wrun reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  "${runas[@]}" "$WINESERVER" -w
  date > "$sbx/ready"
}

# A drive that fills up, for the tests of a full disk: F: is a 16 MiB tmpfs of its own (the
# tests fill it as far as they need). Mounting needs root; without it there is no F: and
# those tests skip.
full=$sbx/fulldisk
mount_full_drive() {
  mkdir -p "$full"
  if [ "$(id -u)" = 0 ] && ! mountpoint -q "$full"; then
    local owner=
    [ ${#runas[@]} -gt 0 ] && owner=,uid=$(id -u zsandbox),gid=$(id -g zsandbox)
    mount -t tmpfs -o "size=16m,mode=0755$owner" zkfull "$full" 2>/dev/null || true
  fi
  if mountpoint -q "$full"; then
    ln -sfn "$full" "$prefix/dosdevices/f:"
  else
    rm -f "$prefix/dosdevices/f:"
  fi
}

if [ "${2:-}" = stop ]; then
  "${runas[@]}" "$WINESERVER" -k 2>/dev/null || true
  if [ -f "$sbx/display" ]; then read -r _ pid < "$sbx/display"; kill "$pid" 2>/dev/null || true; fi
  if mountpoint -q "$full" 2>/dev/null; then umount "$full" 2>/dev/null || true; fi
  exit 0
fi
# Wine draws the title bars' minimise, maximise and close buttons as glyphs of its Marlett
# font (Debian's fonts-wine). This Wine does not look in the package's folder, only in the
# prefix's Fonts folder and fontconfig's: the font is put into the prefix.
glyph_font=/usr/share/wine/fonts/marlett.ttf
provide_glyph_font() {
  if [ ! -f "$glyph_font" ]; then
    echo "sandbox: Wine's title-bar glyph font $glyph_font is missing (Debian package" \
         "fonts-wine): title bars would show \"0 1 r\" for their buttons." \
         "Run scripts/install-deps.sh." >&2
    exit 1
  fi
  local fonts=$prefix/drive_c/windows/Fonts
  cmp -s "$glyph_font" "$fonts/marlett.ttf" && return
  "${runas[@]}" mkdir -p "$fonts"
  "${runas[@]}" cp "$glyph_font" "$fonts/marlett.ttf"
}

start_display
[ -f "$sbx/ready" ] && [ -d "$prefix/drive_c" ] || make_prefix
provide_glyph_font
mount_full_drive
# No sound card on this machine: ALSA's null device as the default PCM lets the multimedia
# calls play (their position advances) without one.
if [ "$(cat "$HOME/.asoundrc" 2>/dev/null)" != 'pcm.!default {type null}' ]; then
  echo 'pcm.!default {type null}' > "$HOME/.asoundrc"
  [ ${#runas[@]} -gt 0 ] && chown zsandbox:zsandbox "$HOME/.asoundrc"
fi
# A network share for the tests: Wine takes \\zkserver\share from dosdevices/unc, here the
# prefix's own C:\zktest\unc_share (the tests make and remove that folder).
share=$prefix/dosdevices/unc/zkserver/share
if [ "$(readlink "$share" 2>/dev/null)" != ../../../drive_c/zktest/unc_share ]; then
  mkdir -p "$(dirname "$share")"
  ln -sfn ../../../drive_c/zktest/unc_share "$share"
  [ ${#runas[@]} -gt 0 ] && chown -R -h zsandbox:zsandbox "$prefix/dosdevices/unc"
fi
# One persistent wineserver: later process starts are cheap. Its first process starts Wine's
# background services and the desktop window; start them here, detached from every pipe,
# or they inherit a test's output and the test runner waits on them until its time-out.
"${runas[@]}" "$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
hold_desktop() {
  local exe=$sbx/hold.exe cc=x86_64-w64-mingw32-gcc
  [ "$arch" = win32 ] && cc=i686-w64-mingw32-gcc
  if [ ! -f "$exe" ]; then
    "$cc" -O2 -mwindows -static -o "$exe" "$(dirname "$0")/sandbox-hold.c"
  fi
  if [ -f "$sbx/hold.pid" ] && kill -0 "$(cat "$sbx/hold.pid")" 2>/dev/null; then return; fi
  setsid "${runas[@]}" "$WINELOADER" 'T:\sandbox\hold.exe' </dev/null >/dev/null 2>&1 &
  echo $! > "$sbx/hold.pid"
}
hold_desktop
wrun rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1 || true
