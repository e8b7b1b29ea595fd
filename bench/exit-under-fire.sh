#!/usr/bin/env bash
# Exit chosen from the tray menu while the first check waits for a slow dialer, 200 times: failures and
# the mean time from the click on Exit to the end of the process.
# Usage: bench/exit-under-fire.sh [ROUNDS]   (BENCH_BUILD: build folder)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
windows_build "$build" "$bench_arch" Zemvar dialer-sim
export ZEMVAR_SOAK_PREFIX=$PWD/$build/bench-exit/prefix-win64 ZEMVAR_SOAK_NAME=bench-exit-under-fire
exec bash tests/soak/exit_under_fire.sh "$build/src/app/Zemvar.exe" "$build/tools/dialer-sim/dialer-sim.exe" \
  "$build" "${1:-200}"
