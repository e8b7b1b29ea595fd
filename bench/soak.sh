#!/usr/bin/env bash
# The long chaos soak: Zemvar.exe at a 1 s interval against the simulator in chaos mode for 83 minutes,
# for 2,000 checks and more: a check that finds a running dialer takes a second of pauses, so at a 1 s
# interval every other tick finds one still running, and chaos leaves about 0.45 checks a second.
# Prints its figures as it goes and at the end.
# Usage: bench/soak.sh [--seconds N] [other options of tests/soak/soak.sh]   (BENCH_BUILD: build folder)
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/windows-arch.sh
build=${BENCH_BUILD:-build/bench-$ZEMVAR_TEST_ARCH}
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-"$ZEMVAR_TEST_ARCH".cmake -DCMAKE_BUILD_TYPE=Release \
  >"$build.configure.log" 2>&1 || { cat "$build.configure.log"; exit 1; }
cmake --build "$build" -j2 --target Zemvar dialer-sim >"$build.build.log" 2>&1 || { tail -30 "$build.build.log"; exit 1; }
export ZEMVAR_SOAK_PREFIX=$PWD/$build/bench-soak/prefix64 ZEMVAR_SOAK_NAME=bench-soak
exec bash tests/soak/soak.sh "$build/src/app/Zemvar.exe" "$build/tools/dialer-sim/dialer-sim.exe" "$build" \
  --seconds 5000 "$@"
