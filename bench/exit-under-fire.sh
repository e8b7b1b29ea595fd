#!/usr/bin/env bash
# Exit chosen from the tray menu while the first check waits for a slow dialer, 200 times: failures and
# the mean time from the click on Exit to the end of the process.
# Usage: bench/exit-under-fire.sh [ROUNDS]   (BENCH_BUILD: build folder)
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/windows-arch.sh
build=${BENCH_BUILD:-build/bench-$ZEMVAR_TEST_ARCH}
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-"$ZEMVAR_TEST_ARCH".cmake -DCMAKE_BUILD_TYPE=Release \
  >"$build.configure.log" 2>&1 || { cat "$build.configure.log"; exit 1; }
cmake --build "$build" -j2 --target Zemvar dialer-sim >"$build.build.log" 2>&1 || { tail -30 "$build.build.log"; exit 1; }
export ZEMVAR_SOAK_PREFIX=$PWD/$build/bench-exit/prefix64 ZEMVAR_SOAK_NAME=bench-exit-under-fire
exec bash tests/soak/exit_under_fire.sh "$build/src/app/Zemvar.exe" "$build/tools/dialer-sim/dialer-sim.exe" \
  "$build" "${1:-200}"
