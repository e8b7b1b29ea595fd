#!/usr/bin/env bash
# Runs a Windows test program in a prefix of its own whose dpi is DPI: Wine reads LogPixels when its
# server starts, and the other suites' prefix stays at 96.
# Usage: at_dpi.sh DPI PREFIX PROGRAM [ARGS...]
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
source "$top/tools/wine-env.sh"
dpi=$1
export ZEMVAR_WINEPREFIX=$2 ZEMVAR_TEST_DPI=$dpi
shift 2
bash "$top/cmake/wine-run.sh" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
wine_route
WINEPREFIX=$ZEMVAR_WINEPREFIX "$WINESERVER" -k 2>/dev/null || true
exec bash "$top/cmake/wine-run.sh" "$@"
