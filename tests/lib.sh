# What the end-to-end and soak scripts (and the demo and benchmarks built on them) share: Wine on a
# display of our own, a private prefix, a private copy of Zemvar.exe, the simulator entered as the
# installed dialer, waiting, and the tray driven with xdotool like a person would.
# Sourced with: ZEMVAR_EXE SIM_EXE BUILD_DIR. $run_kind (by default the script's folder) is
#   e2e   a scratch folder per run, removed afterwards; the prefix BUILD_DIR/e2e/prefix-SHAPE
#         (ZEMVAR_E2E_PREFIX), on ZEMVAR_E2E_DISPLAY when that is set;
#   soak  a run folder beside the prefix, kept for reading afterwards; the prefix
#         BUILD_DIR/soak/prefix-SHAPE (ZEMVAR_SOAK_PREFIX), so that a benchmark can run beside the tests.
set -euo pipefail

zemvar_exe=$(realpath "$1")
sim_exe=$(realpath "$2")
build=$(realpath "$3")
test_name=${test_name:-$(basename "$0" .sh)}
run_kind=${run_kind:-$(basename "$(dirname "$(realpath "$0")")")}
shots=${ZEMVAR_SHOTS:-$build/e2e-shots}
mkdir -p "$shots"
# Every program starts through the same helper as CTest's: the route to 32-bit Wine and the prefix's
# shape (ZEMVAR_WINEARCH) are chosen there.
source "$(dirname "${BASH_SOURCE[0]}")/../tools/wine-env.sh"
wine_route || { echo "[$test_name] FAILED: Wine cannot start here" >&2; exit 1; }
case $run_kind in
  e2e)
    export WINEPREFIX=${ZEMVAR_E2E_PREFIX:-$build/e2e/prefix-$ZEMVAR_WINEARCH}
    work=$(mktemp -d "${TMPDIR:-/tmp}/zemvar-e2e-$test_name.XXXXXX")
    mkdir -p "$build/e2e" ;;
  soak)
    export WINEPREFIX=${ZEMVAR_SOAK_PREFIX:-$build/soak/prefix-$ZEMVAR_WINEARCH}
    work=$(dirname "$WINEPREFIX")/run-$test_name ;;
  *) echo "[$test_name] FAILED: unknown kind of run '$run_kind'" >&2; exit 1 ;;
esac
export ZEMVAR_WINEPREFIX=$WINEPREFIX
mkdir -p "$(dirname "$WINEPREFIX")"
wine=$zemvar_top/cmake/wine-run.sh
xvfb_pid=
zemvar_pid=

log() { echo "[$test_name] $*"; }

fail() {
  echo "[$test_name] FAILED: $*" >&2
  if [ -n "${DISPLAY:-}" ] &&
     xwd -root -display "$DISPLAY" 2>/dev/null | convert xwd:- "$shots/FAILED-$test_name.png" 2>/dev/null; then
    echo "  screen: $shots/FAILED-$test_name.png" >&2
  fi
  if [ -n "$zemvar_pid" ]; then
    zemvar_running && echo "  Zemvar is running" >&2 || echo "  Zemvar has ended" >&2
    tail -40 "$work/zemvar.out" 2>/dev/null | sed 's/^/  out: /' >&2 || true
  fi
  exit 1
}

cleanup() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  [ "$run_kind" != e2e ] || rm -rf "$work"
  wine_run_end
}
trap cleanup EXIT
# A command that ends the script through set -e says so, as a failure.
trap 'fail "line $LINENO: \"$BASH_COMMAND\" ended the script"' ERR

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# wait_for SECONDS COMMAND...: true as soon as the command succeeds.
wait_for() {
  local deadline=$(( $(now_ms) + $1 * 1000 )); shift
  until "$@"; do
    [ "$(now_ms)" -lt $deadline ] || return 1
    sleep 0.1
  done
}

start_display() {
  if [ "$run_kind" = e2e ] && [ -n "${ZEMVAR_E2E_DISPLAY:-}" ]; then export DISPLAY=$ZEMVAR_E2E_DISPLAY; return; fi
  xvfb_start && wait_for 10 xdpyinfo >/dev/null 2>&1 || fail "no X display"
}

# reg add|delete ARGS...: a registration that fails ends the run with reg's own words, not later as a
# dialer that never started; deleting what is not there is fine.
reg() {
  local out
  out=$("$wine" reg "$@" /f 2>&1) && return 0
  [ "$1" = delete ] && ! "$wine" reg query "${@:2}" >/dev/null 2>&1 && return 0
  fail "reg $* failed: $(tr -d '\r' <<<"$out" | tail -2)"
}

# reg_value KEY NAME: the value's data, empty when absent.
reg_value() {
  { "$wine" reg query "$1" /v "$2" 2>/dev/null || true; } | tr -d '\r' |
    awk -v n="$2" '$1 == n { $1 = ""; $2 = ""; sub(/^  /, ""); print }'
}

# The prefix is ours alone while the script runs. Each run starts without a Run value, without a dialer
# unless it registers one, and at Wine's own dpi.
prepare_prefix() {
  exec 7>"$WINEPREFIX.lock"
  flock -w 600 7 || fail "another run holds $WINEPREFIX"
  "$WINESERVER" -k >/dev/null 2>&1 || true
  wine_prefix_ready || fail "the $ZEMVAR_WINEARCH prefix $WINEPREFIX could not be made"
  reg delete 'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run' /v Zemvar
  reg delete 'HKLM\SOFTWARE\China Mobile\eWalk' /reg:32
  if [ -n "$(reg_value 'HKCU\Control Panel\Desktop' LogPixels)" ]; then
    reg delete 'HKCU\Control Panel\Desktop' /v LogPixels
    "$WINESERVER" -k >/dev/null 2>&1 || true  # its dpi is read as the server starts
  fi
  if [ "$run_kind" = soak ]; then
    # Beside a prefix named from outside: only a run folder of ours is emptied.
    [ ! -e "$work" ] || [ -f "$work/.zemvar-run" ] || fail "$work is not a run folder of ours; it is left as it is"
    rm -rf "$work"
    mkdir -p "$work"
    touch "$work/.zemvar-run"
  fi
}

# say_machine FILE: which build of a program this run starts, and how.
say_machine() {
  log "$(basename "$1"): PE machine $(machine_name "$(pe_machine "$1")"), $ZEMVAR_WINE_ROUTE route, $ZEMVAR_WINEARCH prefix"
}

windows_path() { echo "Z:$1" | tr / '\\'; }

# register_simulator ARGS...: the simulator beside the run, with its options file, entered as the
# installed dialer (32-bit registry view); its journal is $journal.
register_simulator() {
  mkdir -p "$work/dialer"
  cp "$sim_exe" "$work/dialer/dialer-sim.exe"
  say_machine "$work/dialer/dialer-sim.exe"
  printf '%s\n' "$@" >"$work/dialer/dialer-sim.args"
  reg add 'HKLM\SOFTWARE\China Mobile\eWalk' /v ExePath /d "$(windows_path "$work/dialer")" /reg:32
  reg add 'HKLM\SOFTWARE\China Mobile\eWalk' /v ExeName /d dialer-sim.exe /reg:32
  journal=$work/dialer/dialer-sim-journal.txt
  : >"$journal"
}

# journal_has REGEX: a whole line of the simulator's journal matches. (grep reads to the end: one that
# quits early can fail the pipe under pipefail.)
journal_has() { [ -f "$journal" ] && tr -d '\r' <"$journal" | grep -axE "$1" >/dev/null; }

# write_config SECONDS: the settings file beside the private copy of the exe.
write_config() { printf '[Setup]\r\nAutoRun=0\r\nSeconds=%s\r\n' "$1" >"$work/config.ini"; }

# A fresh copy of the exe, started in the run folder. Its Linux process keeps the pid it was started
# with: the loader (and qemu, where it runs one) execs in place.
start_zemvar() {
  cp "$zemvar_exe" "$work/Zemvar.exe"
  say_machine "$work/Zemvar.exe"
  (cd "$work" && exec "$wine" Zemvar.exe >>"$work/zemvar.out" 2>&1) &
  zemvar_pid=$!
}

zemvar_running() { kill -0 "$zemvar_pid" 2>/dev/null; }
zemvar_ended() { ! zemvar_running; }

# The folder a 32-bit program knows as its system folder, in our prefix.
system_folder() {
  if [ "$ZEMVAR_WINEARCH" = win64 ]; then echo "$WINEPREFIX/drive_c/windows/syswow64"
  else echo "$WINEPREFIX/drive_c/windows/system32"; fi
}

# From here on the tool sees every network down: our sensapi.dll in the system folder, where the tool
# loads it from, answers so. Wine's own stays beside it as sensapi.dll.wine; ours answers alive unless
# ZEMVAR_NETWORK says down, as Wine's does.
network_down() {
  local system
  system=$(system_folder)
  [ -f "$system/sensapi.dll.wine" ] || mv "$system/sensapi.dll" "$system/sensapi.dll.wine" ||
    fail "Wine's sensapi.dll could not be put aside"
  cp "$build/tools/fake-sensapi/sensapi.dll" "$system/sensapi.dll" || fail "the sensapi.dll stand-in was not placed"
  export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;sensapi=n,b" ZEMVAR_NETWORK=down
}

# prefix_pids PATTERN: the pids of the processes in our prefix whose command lines match PATTERN.
prefix_pids() {
  local p
  for p in $(pgrep -f "$1" 2>/dev/null); do
    { tr '\0' '\n' <"/proc/$p/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$p"
  done
  true
}
in_prefix() { prefix_pids "$1" | head -1 || true; }

# A crash: winedbg started in our prefix (it shows Wine's crash dialog).
crash_handler_running() { [ -n "$(in_prefix winedbg)" ]; }

tray_window() { xdotool search --onlyvisible --name '^Wine System Tray' 2>/dev/null | head -1 || true; }
tray_shown() { [ -n "$(tray_window)" ]; }
tray_gone() { [ -z "$(tray_window)" ]; }
# icon_shows FF0000|00FF00: Wine's tray window shows our alert icon (red) or our normal one (lime). The
# greps read to the end: under pipefail, one that quits early fails the pipe it ends.
icon_shows() {
  import -display "$DISPLAY" -window "$(tray_window)" -depth 8 txt:- 2>/dev/null | grep "#$1 " >/dev/null
}

# The log's lines (UTF-8) without the mark before the first.
log_lines() { tr -d '\r' <"$work/Zemvar.log" | sed '1s/^\xEF\xBB\xBF//'; }
# logged REGEX: a line of the tool's log (Log=1), after its time, matches.
logged() { [ -f "$work/Zemvar.log" ] && log_lines | LC_ALL=C grep -aE "^.{20}$1\$" >/dev/null; }
# The log's events, without their times, joined by '|'.
log_events() { log_lines | cut -b21- | tr '\n' '|'; }

# The open tray menu: a visible window of our process with no name (the host stays hidden).
menu_window() { xdotool search --onlyvisible --classname '^zemvar\.exe$' 2>/dev/null | head -1 || true; }
menu_open() { [ -n "$(menu_window)" ]; }

# window_height WINDOW: false when X tells no height (the window is gone).
window_height() {
  local h
  h=$(xdotool getwindowgeometry --shell "$1" 2>/dev/null | sed -n 's/^HEIGHT=//p') || true
  [[ $h =~ ^[0-9]+$ ]] && echo "$h"
}

# menu_opened BUTTON: press a mouse button on our icon (the first in Wine's tray window, below the caption
# Wine draws for it) and wait for the menu; false when it does not come.
menu_opened() {
  local w h
  w=$(tray_window)
  [ -n "$w" ] || return 1
  h=$(window_height "$w") || return 1
  xdotool mousemove --window "$w" 12 $((h - 13)) click "${1:-1}"
  wait_for 10 menu_open
}
open_menu() { menu_opened "${1:-1}" || fail "the tray menu did not open"; }

# choose settings|about|exit: click the item of the open menu (items 29 px apart, separators between,
# Exit last).
choose() {
  local m h offset
  m=$(menu_window)
  [ -n "$m" ] || return 1
  h=$(window_height "$m") || return 1
  case $1 in
    settings) offset=13 ;; about) offset=42 ;; exit) offset=$((h - 12)) ;;
    *) fail "the tray menu has no item '$1'" ;;
  esac
  xdotool mousemove --window "$m" 40 "$offset" click 1
}

# choose_exit: Exit from the tray menu; false when the menu did not open.
choose_exit() { menu_opened 1 && choose exit; }
# exit_zemvar: Exit from the tray menu, and the process ends.
exit_zemvar() {
  choose_exit || fail "no Exit in the tray menu"
  wait_for 10 zemvar_ended || fail "Exit did not end the process"
}

# settled_shot WINDOW FILE: a picture of the window (root: the whole screen) once it has stopped changing,
# that is two pictures alike, so that what a test reads from it is what the program painted.
settled_shot() {
  local before="" now _
  for _ in $(seq 50); do
    now=$(import -display "$DISPLAY" -window "$1" rgb:- 2>/dev/null | md5sum)
    [ "$now" = "$before" ] && break
    before=$now
    sleep 0.1
  done
  import -display "$DISPLAY" -window "$1" "$2"
}

# shot NAME: the screen, for a person to look at.
shot() {
  if settled_shot root "$shots/$1.png"; then log "screenshot $shots/$1.png"; else log "no screenshot $1: import failed"; fi
}

# keys_to WINDOW KEY...: keys go to the X window that holds the input focus. Xvfb has no window manager
# to hand it to a window that is shown again after a hide, so the test does, as a window manager would
# on a click; X then delivers the keys after any click before them. (xdotool key --window would send the
# release to a window that the press may already have closed.)
keys_to() {
  local w=$1; shift
  timeout 10 xdotool windowfocus --sync "$w" || fail "window $w could not take the focus"
  xdotool key "$@" || fail "the keys $* did not reach window $w"
}

settings_window() { xdotool search --onlyvisible --name 'Tessaline' 2>/dev/null | head -1 || true; }
settings_shown() { [ -n "$(settings_window)" ]; }
settings_hidden() { [ -z "$(settings_window)" ]; }

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
