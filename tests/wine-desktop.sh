# What the end-to-end and soak scripts share: Wine on a display of our own, a prefix made once, waiting,
# the simulator entered as the installed dialer, and Wine's tray window. Sourced after the script has set
# $test_name, $WINEPREFIX, $work and $sim_exe, and defined fail().

# Every program starts through the same helper as CTest's: the route to 32-bit Wine and the prefix's
# shape (ZEMVAR_WINEARCH) are chosen there.
source "$(dirname "${BASH_SOURCE[0]}")/../cmake/wine-env.sh"
wine_route || { echo "[$test_name] FAILED: Wine cannot start here" >&2; exit 1; }
wine=$zemvar_top/cmake/wine-run.sh
xvfb_pid=
zemvar_pid=

log() { echo "[$test_name] $*"; }

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# wait_for SECONDS COMMAND...: true as soon as the command succeeds.
wait_for() {
  local deadline=$(( $(now_ms) + $1 * 1000 )); shift
  until "$@"; do
    [ "$(now_ms)" -lt $deadline ] || return 1
    sleep 0.1
  done
}

start_xvfb() { xvfb_start && wait_for 10 xdpyinfo >/dev/null 2>&1 || fail "no X display"; }

create_prefix_once() { wine_prefix_ready || fail "the $ZEMVAR_WINEARCH prefix $WINEPREFIX could not be made"; }

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
  "$wine" reg add 'HKLM\SOFTWARE\China Mobile\eWalk' /v ExePath /d "$(windows_path "$work/dialer")" /reg:32 /f >/dev/null 2>&1
  "$wine" reg add 'HKLM\SOFTWARE\China Mobile\eWalk' /v ExeName /d dialer-sim.exe /reg:32 /f >/dev/null 2>&1
  journal=$work/dialer/dialer-sim-journal.txt
  : >"$journal"
}

zemvar_running() { kill -0 "$zemvar_pid" 2>/dev/null; }
zemvar_ended() { ! zemvar_running; }

tray_window() { xdotool search --onlyvisible --name '^Wine System Tray' 2>/dev/null | head -1; }
tray_shown() { [ -n "$(tray_window)" ]; }
tray_gone() { [ -z "$(tray_window)" ]; }
