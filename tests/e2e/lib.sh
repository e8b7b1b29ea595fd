# Shared steps of the end-to-end tests: a display of our own, a private Wine prefix, a fresh copy of
# Zemvar.exe, and the tray driven with xdotool. Sourced by each test with: ZEMVAR_EXE SIM_EXE BUILD_DIR.
set -euo pipefail

zemvar_exe=$(realpath "$1")
sim_exe=$(realpath "$2")
build=$(realpath "$3")
test_name=$(basename "$0" .sh)
shots=${ZEMVAR_SHOTS:-$build/e2e-shots}
work=$(mktemp -d "${TMPDIR:-/tmp}/zemvar-e2e-$test_name.XXXXXX")
mkdir -p "$shots" "$build/e2e"

export WINEPREFIX=${ZEMVAR_E2E_PREFIX:-$build/e2e/prefix-${ZEMVAR_WINEARCH:-win64}}
source "$(dirname "${BASH_SOURCE[0]}")/../wine-desktop.sh"
fail() {
  echo "[$test_name] FAILED: $*" >&2
  [ -z "${DISPLAY:-}" ] || xwd -root -display "$DISPLAY" 2>/dev/null | convert xwd:- "$shots/FAILED-$test_name.png" 2>/dev/null &&
    echo "  screen: $shots/FAILED-$test_name.png" >&2
  if [ -n "$zemvar_pid" ]; then
    zemvar_running && echo "  Zemvar is running" >&2 || echo "  Zemvar has ended" >&2
    sed 's/^/  out: /' "$work/zemvar.out" >&2 || true
  fi
  exit 1
}

cleanup() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

start_display() {
  if [ -n "${ZEMVAR_E2E_DISPLAY:-}" ]; then export DISPLAY=$ZEMVAR_E2E_DISPLAY; return; fi
  start_xvfb
}

prepare_prefix() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  exec 7>"$WINEPREFIX.lock"
  flock 7
  create_prefix_once
  # Each test starts without a Run value and without a dialer, unless it registers one.
  reg delete 'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run' /v Zemvar
  reg delete 'HKLM\SOFTWARE\China Mobile\eWalk' /reg:32
}

reg() { "$wine" reg "$@" /f >/dev/null 2>&1 || true; }

# reg_value KEY NAME: the value's data, empty when absent.
reg_value() {
  { "$wine" reg query "$1" /v "$2" 2>/dev/null || true; } | tr -d '\r' |
    awk -v n="$2" '$1 == n { $1 = ""; $2 = ""; sub(/^  /, ""); print }'
}

# journal_has REGEX: a whole line of the simulator's journal matches.
journal_has() { [ -f "$journal" ] && tr -d '\r' <"$journal" | grep -qaxE "$1"; }

start_zemvar() {
  cp "$zemvar_exe" "$work/Zemvar.exe"
  say_machine "$work/Zemvar.exe"
  (cd "$work" && exec "$wine" Zemvar.exe >"$work/zemvar.out" 2>&1) &
  zemvar_pid=$!
}

# From here on the tool sees every network down: our sensapi.dll beside it answers so.
network_down() {
  cp "$build/tools/fake-sensapi/sensapi.dll" "$work/sensapi.dll"
  export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;sensapi=n,b" ZEMVAR_NETWORK=down
}

settings_window() { xdotool search --onlyvisible --name 'Tessaline' 2>/dev/null | head -1; }
settings_shown() { [ -n "$(settings_window)" ]; }
settings_hidden() { [ -z "$(settings_window)" ]; }

# Our icon is the first in Wine's tray window, below the caption Wine draws for it.
icon_point() {
  local w=$1 height
  height=$(xdotool getwindowgeometry --shell "$w" | sed -n 's/^HEIGHT=//p')
  echo "12 $((height - 13))"
}

# open_menu BUTTON: press a mouse button on the icon; the menu opens at the pointer.
menu_x=0 menu_y=0
open_menu() {
  local w p
  w=$(tray_window)
  [ -n "$w" ] || fail "no tray window"
  p=$(icon_point "$w")
  xdotool mousemove --window "$w" $p click "${1:-1}"
  eval "$(xdotool getmouselocation --shell)"
  menu_x=$X menu_y=$Y
  sleep 0.7
}

# choose settings|about|exit: click the item of the open menu (items 29 px apart, separators between).
choose() {
  local offset
  case $1 in settings) offset=13 ;; about) offset=42 ;; exit) offset=71 ;; esac
  xdotool mousemove $((menu_x + 40)) $((menu_y + offset)) click 1
}

shot() {
  sleep 0.3
  xwd -root -display "$DISPLAY" | convert xwd:- "$shots/$1.png"
  log "screenshot $shots/$1.png"
}

# In the settings window (window-relative points of its controls at the template's font).
settings_click() {
  local w
  w=$(settings_window)
  case $1 in
    autorun) xdotool mousemove --window "$w" 20 45 click 1 ;;
    seconds) xdotool mousemove --window "$w" 60 86 click 1 ;;
    ok) xdotool mousemove --window "$w" 206 139 click 1 ;;
  esac
}
# keys_to WINDOW KEY...: keys go to the X window that holds the input focus. Xvfb has no window manager
# to hand it to a window that is shown again after a hide, so the test does, as a window manager would
# on a click; X then delivers the keys after any click before them. (xdotool key --window would send the
# release to a window that the press may already have closed.)
keys_to() {
  local w=$1; shift
  timeout 10 xdotool windowfocus --sync "$w" || fail "window $w could not take the focus"
  xdotool key "$@"
}
settings_keys() { keys_to "$(settings_window)" "$@"; }
settings_type_seconds() {
  settings_click seconds
  settings_keys End BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace
  [ -z "$1" ] || xdotool type "$1"
}
settings_key() { settings_click seconds; settings_keys "$1"; }

ini_value() { [ -f "$work/config.ini" ] && tr -d '\r' <"$work/config.ini" | sed -n "s/^$1=//p"; true; }
run_value() { reg_value 'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run' Zemvar; }

start_display
prepare_prefix
