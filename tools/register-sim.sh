#!/usr/bin/env bash
# Enters the dialer simulator in a Wine prefix's registry as the installed dialer, where Zemvar looks
# for it (HKLM\SOFTWARE\China Mobile\eWalk, 32-bit view), or takes it out again.
# Usage: register-sim.sh [--remove] [WINEPREFIX] PATH_TO_dialer-sim.exe
#   WINEPREFIX defaults to $WINEPREFIX; one of the two must name it, since a user's own prefix is never
#   guessed. With --remove the exe path may be left out.
set -euo pipefail

remove=0
if [ "${1:-}" = --remove ]; then remove=1; shift; fi
prefix=${WINEPREFIX:-}
if [ $# -ge 1 ] && [ -d "$1" ]; then prefix=$1; shift; fi
[ -n "$prefix" ] || { echo "name the Wine prefix: register-sim.sh [--remove] WINEPREFIX ..." >&2; exit 2; }
exe=${1:-}
if [ "$remove" = 0 ] && [ -z "$exe" ]; then
  sed -n '2,5p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
fi
if [ ! -d "$prefix" ]; then echo "no Wine prefix at $prefix" >&2; exit 1; fi
prefix=$(cd "$prefix" && pwd)  # Wine refuses a relative prefix
export WINEPREFIX=$prefix
# The prefix's own shape decides which loader runs reg.exe; the route is the tests' (tools/wine-env.sh).
if [ -f "$prefix/drive_c/windows/syswow64/kernel32.dll" ] || grep -q '^#arch=win64' "$prefix/system.reg" 2>/dev/null; then
  export ZEMVAR_WINEARCH=win64
else
  export ZEMVAR_WINEARCH=win32
fi
source "$(dirname "$0")/wine-env.sh"
wine_route || exit 1
wine=$(wine_loader_for reg)
export LC_ALL=$wine_locale
key='HKLM\SOFTWARE\China Mobile\eWalk'

if [ "$remove" = 1 ]; then
  "$wine" reg delete "$key" /f /reg:32 >/dev/null 2>&1 || true
  echo "removed $key"
  exit 0
fi

[ -f "$exe" ] || { echo "no such file: $exe" >&2; exit 1; }
dir=$(cd "$(dirname "$exe")" && pwd)
name=$(basename "$exe")
winDir=$("$wine" winepath -w "$dir" 2>/dev/null | tr -d '\r')
[ -n "$winDir" ] || { echo "winepath could not convert $dir" >&2; exit 1; }
"$wine" reg add "$key" /v ExePath /t REG_SZ /d "$winDir" /f /reg:32 >/dev/null
"$wine" reg add "$key" /v ExeName /t REG_SZ /d "$name" /f /reg:32 >/dev/null
echo "registered $winDir\\$name"
