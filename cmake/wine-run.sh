#!/usr/bin/env bash
# Runs a Windows program under Wine as the users' machines would see it: code page 936, a private
# prefix under the build tree, on the display given or on an Xvfb of our own.
# Usage: wine-run.sh PROGRAM.exe [ARGS...]
# ZEMVAR_WINE_ROOT names the state folder; by default the build tree that holds the program.
set -euo pipefail

if [ -n "${ZEMVAR_WINE_ROOT:-}" ]; then
  root=$ZEMVAR_WINE_ROOT
else
  root=$(cd "$(dirname "$1")" && pwd)
  while [ ! -f "$root/CMakeCache.txt" ] && [ "$root" != / ]; do root=$(dirname "$root"); done
  [ "$root" = / ] && root=$PWD
fi
state="$root/wine"
mkdir -p "$state"

# A 32-bit program needs 32-bit Wine; a 64-bit one runs on wine64 alone.
machine=$(od -An -tx2 -j $(( $(od -An -tu4 -j 60 -N4 "$1") + 4 )) -N2 "$1" | tr -d ' ')
if [ "$machine" = 8664 ]; then
  export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
  loader=/usr/lib/wine/wine64
  export WINEPREFIX="${WINEPREFIX:-$state/prefix64}"
else
  export WINEARCH=win32
  loader=wine
  export WINEPREFIX="${WINEPREFIX:-$state/prefix32}"
fi
export WINEDEBUG=${WINEDEBUG:--all}
export LC_ALL=zh_CN.GBK
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

if [ -z "${DISPLAY:-}" ]; then
  # One Xvfb per build tree, started on first use and kept for the next test.
  exec 8>"$state/display.lock"
  flock 8
  if [ -f "$state/display" ] && kill -0 "$(cat "$state/display.pid" 2>/dev/null)" 2>/dev/null; then
    DISPLAY=$(cat "$state/display")
  else
    for n in $(seq 90 140); do
      { [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; } && continue
      Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
      echo $! >"$state/display.pid"
      for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
      echo ":$n" >"$state/display"
      DISPLAY=":$n"
      break
    done
  fi
  flock -u 8
  export DISPLAY
fi

# First use of the prefix: create it, and stop Wine from waiting on a window manager we do not have.
exec 9>"$WINEPREFIX.lock"
flock 9
if [ ! -f "$WINEPREFIX/.zemvar-ready" ]; then
  "$loader" wineboot -i >/dev/null 2>&1 || true
  "$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  "${WINESERVER:-wineserver}" -w
  touch "$WINEPREFIX/.zemvar-ready"
fi
flock -u 9

exec "$loader" "$@"
