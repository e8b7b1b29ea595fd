#!/usr/bin/env bash
# Runs a Windows program under Wine as the users' machines would see it: code page 936, a private
# prefix (win64 unless ZEMVAR_WINEARCH=win32), on the display given or on an Xvfb of our own.
# Usage: wine-run.sh PROGRAM[.exe] [ARGS...]
# ZEMVAR_WINEPREFIX names the prefix; by default it lives in the state folder, ZEMVAR_WINE_ROOT/wine, where
# ZEMVAR_WINE_ROOT is by default the build tree that holds the program, else this checkout's build/.
# A WINEPREFIX from the caller's shell is not used: the suites write to their prefix's registry.
# ZEMVAR_WINE_LOG names a file that gets one line per program started: its PE machine, route and shape.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../tools/wine-env.sh"

[ $# -ge 1 ] || { echo "usage: wine-run.sh PROGRAM [ARGS...]" >&2; exit 2; }
wine_route || exit 1
loader=$(wine_loader_for "$1") || exit 1

# The state folder (default prefix, display) is needed only when the caller gives neither.
state_folder() {
  local root
  if [ -n "${ZEMVAR_WINE_ROOT:-}" ]; then
    root=$ZEMVAR_WINE_ROOT
  elif [ -f "$1" ]; then
    root=$(cd "$(dirname "$1")" && pwd)
    while [ ! -f "$root/CMakeCache.txt" ] && [ "$root" != / ]; do root=$(dirname "$root"); done
    [ "$root" = / ] && root=$zemvar_top/build
  else
    # Never the current folder: run from a source tree, the state would land among its files.
    root=$zemvar_top/build
  fi
  mkdir -p "$root/wine"
  echo "$root/wine"
}
if [ -n "${ZEMVAR_WINEPREFIX:-}" ]; then
  WINEPREFIX=$ZEMVAR_WINEPREFIX
else
  WINEPREFIX=$(state_folder "$1")/prefix-$ZEMVAR_WINEARCH || exit 1
fi
export WINEPREFIX

if [ -z "${DISPLAY:-}" ]; then
  # One Xvfb per build tree, started on first use and kept for the next test; the command that started it
  # (tools/test.sh) ends it.
  state=$(state_folder "$1") || exit 1
  exec 8>"$state/display.lock"
  flock 8
  # A recorded pid counts only while it is still an Xvfb: pids are used again.
  if [ -f "$state/display" ] && xvfb_alive "$(cat "$state/display.pid" 2>/dev/null)"; then
    DISPLAY=$(cat "$state/display")
  else
    xvfb_start || exit 1
    echo "$xvfb_pid" >"$state/display.pid"
    echo "$DISPLAY" >"$state/display"
  fi
  flock -u 8
  exec 8>&-
  export DISPLAY
fi

wine_prefix_ready || exit 1
wine_run_prefix
if [ -n "${ZEMVAR_WINE_LOG:-}" ] && [ -f "$1" ]; then
  echo "$(basename "$1"): PE machine $(machine_name "$(pe_machine "$1")"), $ZEMVAR_WINE_ROUTE route," \
       "$ZEMVAR_WINEARCH prefix" >>"$ZEMVAR_WINE_LOG"
fi
LC_ALL=$wine_locale exec "$loader" "$@"
