#!/usr/bin/env bash
# The demo: builds the sample product of demo/ (Zelkon Demo Notes), installs it in the Wine
# sandbox through the wizard of Setup.exe, shows what the installation made, removes it with
# the uninstaller that Add/Remove Programs lists and shows that it is gone.
# Usage: scripts/demo.sh [--by-hand]
#   (default)  the wizard runs on the sandbox's own display (Xvfb); the UI driver steps every
#              page, and a screenshot of each page is saved
#   --by-hand  the wizard and the uninstaller show on your $DISPLAY and you click through
#              them; a screenshot is saved whenever the window changes
# A German user's locale shows the German texts: LC_ALL=de_DE.UTF-8 scripts/demo.sh
# Screenshots: build/demo/shots/. Exit code 0 when the product installed and went again.
# The sandbox (its display and wineserver) stays up for the next run: scripts/sandbox.sh build stop
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
out=$build/demo
shots=$out/shots
by_hand=false
case "${1:-}" in
  "") ;;
  --by-hand) by_hand=true ;;
  *) sed -n '2,13s/^# \{0,1\}//p' "$0"; exit 2 ;;
esac
user_display=${DISPLAY:-}
$by_hand && [ -z "$user_display" ] && { echo "demo: --by-hand needs a DISPLAY" >&2; exit 2; }

product="Zelkon Demo Notes"
arp_key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$product"
setup_win='C:\ZkDemo\Setup' # where the setup folder is laid out in the sandbox
wizard_class=".SDialog_Class_Name."
# The wizard's controls the demo presses, by their names in foundation/ControlIds.h.
wizard_controls=(NextButton YesRadioButton NameEdit CompanyEdit CustomRadioButton)
# The pages of demo/Setup.txt in their order (tests/setup/DemoScript_test.cpp pins that list).
pages=(WelcomeDlg LicenseDlg ReadmeDlg UserInformationDlg DestinationDlg SetupTypeDlg CustomDlg
       AssociateDlg ShortcutsDlg ConfirmSetupDlg CopyFilesDlg CompleteDlg)

windows_up=false # a failure from here on saves what the screen shows
sandbox_up=false
step() { printf '\n== %s\n' "$*"; }
stop_hint() {
  $sandbox_up || return 0
  echo "the sandbox (Xvfb display, wineserver) is left running for the next run;" \
       "stop it with: scripts/sandbox.sh build stop"
}
fail() {
  echo "demo: $*" >&2
  if $windows_up; then shot failed >&2 || true; fi
  stop_hint >&2
  exit 1
}

# --- 1. Build, sandbox, setup folder. ---
# Only what the demo runs: the two engines, the product's program, the UI driver that steps it.
demo_targets=(Setup UnInstall DemoApp uidriver)
step "Building ${demo_targets[*]} (scripts/build.sh; log: ${build#"$root"/}/build.log)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "${demo_targets[@]}"
step "Sandbox (scripts/sandbox.sh build)"
sandbox_up=true
"$root/scripts/sandbox.sh" "$build"
# shellcheck disable=SC1091
. "$build/sandbox/env"
read -r -a runas <<< "$ZK_RUNAS"
step "Setup folder (scripts/demo-pack.sh build)"
"$root/scripts/demo-pack.sh" "$build"

wine_() { "${runas[@]}" "$WINELOADER" "$@" 2>/dev/null | tr -d '\r'; }
# Windows texts come in the ANSI code page of the demo's languages; the terminal reads UTF-8.
ui() { wine_ 'T:\bin\uidriver.exe' "$@" | iconv -f CP1252 -t UTF-8; }
unix_path() { # C:\a\b -> the file in the prefix
  local p=${1//\\//}
  printf '%s/drive_c/%s\n' "$WINEPREFIX" "${p#[Cc]:/}"
}
shot_count=0
shot() { # name: the whole screen of the display the windows are on
  shot_count=$((shot_count + 1))
  local file
  file=$shots/$(printf '%02d' "$shot_count")-$1.png
  import -window root "$file"
  echo "  screenshot: ${file#"$root"/}"
}
id_of() { # name: its id in foundation/ControlIds.h
  sed -nE "s/^inline constexpr int $1 = ([0-9]+);.*/\1/p" "$root/foundation/ControlIds.h"
}
arp_listed() { wine_ uninstaller --list | grep -F "|||$product" || true; }
# Wine's reg speaks the user's language ("(Standard)" for "(Default)" in German): it is asked
# in English, whose names the parsing below knows.
reg_value() { # key value-name ("(Default)": the key's own value): the data, empty when missing
  local name=$2 args=(/v "$2")
  [ "$name" = "(Default)" ] && { name='\(Default\)'; args=(/ve); }
  LC_ALL=C wine_ reg query "$1" "${args[@]}" | sed -nE "s/^ +$name +REG_[A-Z_]+ +//p" || true
}
reg_key_exists() { LC_ALL=C "${runas[@]}" "$WINELOADER" reg query "$1" >/dev/null 2>&1; }

# Every Wine process the demo starts itself; ended by their ids when the demo stops early.
started=()
cleanup() {
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

# Starts a Windows command line (a quoted or a bare program, then its arguments) as Windows
# would, on the display the demo shows; the pid lands in $last_pid.
start_program() {
  local line=$1 prog args
  if [ "${line:0:1}" = '"' ]; then
    prog=${line:1}; args=${prog#*\"}; prog=${prog%%\"*}
  else
    prog=${line%% *}; args=${line#"$prog"}
  fi
  read -r -a argv <<< "$args"
  (cd "$out" && exec "${runas[@]}" "$WINELOADER" "$prog" "${argv[@]}" </dev/null \
     >>"$out/programs.log" 2>&1) &
  last_pid=$!
  started+=("$last_pid")
}

# A message box of ours on the screen: its text, or nothing.
box_text() {
  local box
  box=$(ui find ZMsgBox - 1) || return 0
  ui text "$(ui child "$box" "$(id_of MsgBoxBody)")"
}

# --- 2. The wizard. ---
setup_dir=$(unix_path "$setup_win")
[ -f "$out/setup/Setup.exe" ] ||
  fail "Setup.exe is not built yet (the install engine's wizard, setup/Setup.cpp): the setup" \
       "folder is laid out in ${out#"$root"/}/setup without it; nothing to install with"
for name in "${wizard_controls[@]}"; do
  [ -n "$(id_of "$name")" ] ||
    fail "foundation/ControlIds.h has no id $name: the wizard's control ids (block 1000-1999)" \
         "are not published yet"
done

if [ -n "$(arp_listed)" ]; then
  fail "\"$product\" is still installed in the sandbox from an earlier run: remove it with" \
       "its uninstaller (wine uninstaller in the sandbox) or make a fresh sandbox" \
       "(scripts/sandbox.sh build stop; rm -rf build/sandbox)"
fi

rm -rf "$shots"
mkdir -p "$shots"
: > "$out/programs.log"
"${runas[@]}" rm -rf "$setup_dir"
"${runas[@]}" mkdir -p "$setup_dir"
"${runas[@]}" cp -r "$out/setup/." "$setup_dir/"
marker=$out/install.marker
touch "$marker"
sleep 1 # links made from here on are newer than the marker

if $by_hand; then
  export DISPLAY=$user_display
  xauth=${XAUTHORITY:-$HOME/.Xauthority}
  if [ -f "$xauth" ] && [ ${#runas[@]} -gt 0 ]; then
    # The sandbox user needs the cookie of your display.
    install -o zsandbox -m 600 "$xauth" "$build/sandbox/home/.Xauthority"
    export XAUTHORITY=$build/sandbox/home/.Xauthority
  fi
fi

step "Installing through the wizard ($setup_win\\Setup.exe)"
start_program "\"$setup_win\\Setup.exe\""
windows_up=true
setup_pid=$last_pid
wizard=""
for _ in $(seq 60); do
  wizard=$(ui find "$wizard_class" - 500) && break
  text=$(box_text)
  [ -z "$text" ] || fail "Setup showed a message instead of the wizard: $text"
  kill -0 "$setup_pid" 2>/dev/null || break
done
[ -n "$wizard" ] || fail "the wizard did not come up (see ${out#"$root"/}/programs.log)"

# Waits until the window shows another caption than $caption and sets it; false when the
# window is gone. A message box on the way ends the demo with its text (by hand: it is the
# user's to answer, and it is saved as a screenshot).
box_seen=""
wait_caption() { # window seconds
  local until=$(($(date +%s) + $2)) now text
  while [ "$(date +%s)" -lt "$until" ]; do
    [ "$(ui visible "$1")" = 1 ] || return 1
    text=$(box_text)
    if [ -n "$text" ] && ! $by_hand; then fail "a message came up: $text"; fi
    if [ "$text" != "$box_seen" ]; then
      box_seen=$text
      [ -z "$text" ] || shot Message
    fi
    now=$(ui text "$1")
    if [ -n "$now" ] && [ "$now" != "$caption" ]; then
      caption=$now
      sleep 0.4 # the page is drawn after its caption is set
      return 0
    fi
    sleep 0.2
  done
  fail "the window stayed at \"$caption\" for $2 s"
}
control() { # name: the wizard's control of that name
  ui child "$wizard" "$(id_of "$1")" || fail "the wizard has no control $1"
}
# What the user does on a page before Next.
on_page() {
  case $1 in
    LicenseDlg) ui click "$(control YesRadioButton)" ;;
    UserInformationDlg)
      ui type "$(control NameEdit)" "Demo User"
      ui type "$(control CompanyEdit)" "Demo Company" ;;
    SetupTypeDlg) ui click "$(control CustomRadioButton)" ;; # so the components page shows
  esac
}

if $by_hand; then
  echo "  click through the wizard on $DISPLAY"
  caption=""
  while wait_caption "$wizard" 3600; do shot "${caption// /_}"; done
else
  caption=""
  on_it=false # the page is shown already
  for page in "${pages[@]}"; do
    timeout=20
    [ "$page" = CompleteDlg ] && timeout=120 # after the copy
    $on_it || wait_caption "$wizard" "$timeout" || fail "the wizard closed before $page"
    on_it=false
    # Next is off while the copy runs: on when a small copy is over before its page was seen.
    if [ "$page" = CopyFilesDlg ] && [ "$(ui enabled "$(control NextButton)")" = 1 ]; then
      echo "  $page: over before its page could be seen"
      on_it=true
      continue
    fi
    echo "  $page: $caption"
    on_page "$page"
    sleep 0.3 # the page as the user leaves it: entries typed, choices ticked
    shot "$page"
    [ "$page" = CopyFilesDlg ] || ui click "$(control NextButton)"
  done
  ui gone "$wizard" 20000 || fail "the wizard stayed open after Finish"
fi
app=$(ui find ZkDemoApp - 15000) && {
  echo "  the wizard started the program"
  shot DemoApp
  ui close "$app"
  ui gone "$app" 5000 || true
}
for _ in $(seq 100); do kill -0 "$setup_pid" 2>/dev/null || break; sleep 0.2; done

# --- 3. What was installed. ---
step "Add/Remove entry (wine uninstaller --list)"
listed=$(arp_listed)
[ -n "$listed" ] || fail "no Add/Remove entry \"$product\""
echo "  listed as (key|||name): $listed"
for v in DisplayName DisplayVersion Publisher UnInstallString; do
  printf '  %-16s %s\n' "$v" "$(reg_value "$arp_key" "$v")"
done
uninstall_line=$(reg_value "$arp_key" UnInstallString)
[ -n "$uninstall_line" ] || fail "the Add/Remove entry has no UnInstallString"
uninstaller=${uninstall_line#\"}
uninstaller=${uninstaller%%\"*}
target_win=${uninstaller%\\*}
target=$(unix_path "$target_win")

step "Files ($target_win)"
(cd "$target" && find . -type f -printf '  %-28P %8s bytes\n' | sort)

link_place() { # a link's path below the profile's shell folders: two links may share a name
  local place=${1#"$WINEPREFIX"/drive_c/}
  place=${place#users/*/}
  echo "${place#AppData/Roaming/Microsoft/Windows/}"
}
step "Shortcuts (lnkinfo)"
mapfile -t links < <(find "$WINEPREFIX/drive_c/users" "$WINEPREFIX/drive_c/ProgramData" \
                       -name '*.lnk' -newer "$marker" 2>/dev/null | sort)
[ ${#links[@]} -gt 0 ] || fail "no shortcut was made"
for link in "${links[@]}"; do
  echo "  ${link#"$WINEPREFIX"/drive_c/}"
  info=$(lnkinfo "$link" 2>/dev/null) || { echo "    (lnkinfo cannot read it)"; continue; }
  grep -E $'^\t(Local path|Working directory|Command line arguments|Icon location)' <<< "$info" |
    sed -E 's/^\t/    /; s/\t+: /: /' || true
done

step "Registry, INI and environment"
checks=( # what, key, value name ("(Default)" for the key's own value)
  "product key|HKCU\\Software\\Zelkon Demo\\Notes|InstallPath"
  "file type|HKCR\\.znote|(Default)"
  "open command|HKCR\\ZkDemo.Note\\shell\\open\\command|(Default)"
  "environment|HKCU\\Environment|ZKDEMO_HOME"
)
for c in "${checks[@]}"; do
  IFS='|' read -r what key name <<< "$c"
  printf '  %-14s %s\\%s = %s\n' "$what" "$key" "$name" "$(reg_value "$key" "$name")"
done
printf '  %-14s %s\n' "DemoApp.ini" "$(grep -h '^Language=' "$target/DemoApp.ini" || true)"

# --- 4. Uninstall and the check that it is gone. ---
step "Uninstalling ($uninstall_line)"
start_program "$uninstall_line"
uninstall_pid=$last_pid
if $by_hand; then
  echo "  answer the uninstaller on $DISPLAY"
  while kill -0 "$uninstall_pid" 2>/dev/null; do sleep 0.5; done
else
  box=$(ui find ZMsgBox - 20000) || fail "the uninstaller asked nothing"
  echo "  $(ui text "$(ui child "$box" "$(id_of MsgBoxBody)")" | tr -s '\r\n' ' ')"
  shot UninstallConfirm
  ui click "$(ui child "$box" "$(id_of MsgBoxButton1)")"
  form=$(ui find ZUninstallForm - 20000) || fail "the uninstall window did not come up"
  close=$(ui child "$form" "$(id_of UnCloseButton)")
  until=$(($(date +%s) + 60))
  while [ "$(ui enabled "$close")" != 1 ]; do
    [ "$(date +%s)" -lt "$until" ] || fail "the removal did not end in 60 s"
    text=$(box_text)
    if [ -n "$text" ]; then # the summary of what could not be removed
      echo "  uninstaller: $text"
      shot UninstallMessage
      ui click "$(ui child "$(ui find ZMsgBox - 1)" "$(id_of MsgBoxButton1)")"
    fi
    sleep 0.3
  done
  shot UninstallDone
  ui click "$close"
fi
for _ in $(seq 100); do kill -0 "$uninstall_pid" 2>/dev/null || break; sleep 0.2; done
# The uninstaller deletes itself and its folder after it has exited.
for _ in $(seq 100); do [ -e "$target" ] || break; sleep 0.2; done

step "Gone?"
left=0
gone() { # what, test that succeeds while it is still there
  local what=$1; shift
  if "$@"; then printf '  %-64s STILL THERE\n' "$what"; left=$((left + 1));
  else printf '  %-64s gone\n' "$what"; fi
}
gone "Add/Remove entry" test -n "$(arp_listed)"
gone "$target_win" test -e "$target"
for link in "${links[@]}"; do gone "$(link_place "$link")" test -e "$link"; done
gone "HKCU\\Software\\Zelkon Demo" reg_key_exists "HKCU\\Software\\Zelkon Demo"
gone "HKCR\\.znote" reg_key_exists "HKCR\\.znote"
gone "HKCR\\ZkDemo.Note" reg_key_exists "HKCR\\ZkDemo.Note"
gone "ZKDEMO_HOME" test -n "$(reg_value 'HKCU\Environment' ZKDEMO_HOME)"
echo
echo "screenshots: ${shots#"$root"/}/"
[ "$left" = 0 ] || { echo "demo: $left item(s) were left behind" >&2; stop_hint >&2; exit 1; }
echo "demo: installed and removed again"
stop_hint
