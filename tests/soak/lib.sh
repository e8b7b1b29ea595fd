# Shared steps of the soak scripts: a display of our own, a private Wine prefix under the build tree,
# a private copy of Zemvar.exe with its config.ini, the simulator entered as the installed dialer, and
# the tray driven with xdotool. Sourced with the script's name in $test_name and:
#   $1 ZEMVAR_EXE  $2 SIM_EXE  $3 BUILD_DIR
# ZEMVAR_SOAK_PREFIX names another prefix (so that a benchmark can run beside the tests).
set -euo pipefail

zemvar_exe=$(realpath "$1")
sim_exe=$(realpath "$2")
build=$(realpath "$3")
export WINEPREFIX=${ZEMVAR_SOAK_PREFIX:-$build/soak/prefix-${ZEMVAR_WINEARCH:-win64}}
work=$(dirname "$WINEPREFIX")/run-$test_name
source "$(dirname "${BASH_SOURCE[0]}")/../wine-desktop.sh"
fail() {
  echo "[$test_name] FAILED: $*" >&2
  exit 1
}

cleanup() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

prepare_prefix() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  exec 7>"$WINEPREFIX.lock"
  flock -n 7 || fail "another run uses $WINEPREFIX"
  "$WINESERVER" -k >/dev/null 2>&1 || true
  create_prefix_once
  rm -rf "$work"
  mkdir -p "$work/dialer"
}

# write_config SECONDS: the settings file beside the private copy of the exe.
write_config() {
  cp "$zemvar_exe" "$work/Zemvar.exe"
  say_machine "$work/Zemvar.exe"
  printf '[Setup]\r\nAutoRun=0\r\nSeconds=%s\r\n' "$1" >"$work/config.ini"
}

# The Linux process of our Zemvar.exe: the loader (and qemu, which runs it) keeps the pid it was started with.
start_zemvar() {
  (cd "$work" && exec "$wine" Zemvar.exe >>"$work/zemvar.out" 2>&1) &
  zemvar_pid=$!
}

# in_prefix PATTERN: the pid of a process in our prefix whose command line matches PATTERN.
in_prefix() {
  local p
  for p in $(pgrep -f "$1" 2>/dev/null); do
    { tr '\0' '\n' <"/proc/$p/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && { echo "$p"; return; }
  done
}

# A crash: winedbg started in our prefix (it shows Wine's crash dialog), or the process has gone.
crash_handler_running() { [ -n "$(in_prefix winedbg)" ]; }

# The open tray menu: a visible window of our process with no name (the host stays hidden).
menu_window() { xdotool search --onlyvisible --classname '^zemvar\.exe$' 2>/dev/null | head -1; }
menu_open() { [ -n "$(menu_window)" ]; }

# choose_exit: open the tray menu with a click on our icon (the first in Wine's tray window) and click
# its last item, Exit.
choose_exit() {
  local w height m
  w=$(tray_window)
  [ -n "$w" ] || return 1
  height=$(xdotool getwindowgeometry --shell "$w" | sed -n 's/^HEIGHT=//p')
  xdotool mousemove --window "$w" 12 $((height - 13)) click 1
  wait_for 5 menu_open || return 1
  m=$(menu_window)
  height=$(xdotool getwindowgeometry --shell "$m" | sed -n 's/^HEIGHT=//p')
  sleep 0.1
  xdotool mousemove --window "$m" 30 $((height - 12)) click 1
}

start_xvfb
prepare_prefix
