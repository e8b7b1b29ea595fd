#!/usr/bin/env bash
# Builds the check-overhead benchmark for Windows and runs it under Wine: one line per number of extra
# windows on the desktop, with the check's wall time, the pauses it took, and their ratio.
# Usage: bench/check-overhead.sh [--runs N]     (BENCH_BUILD names the build folder)
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/windows-arch.sh
build=${BENCH_BUILD:-build/bench-$ZEMVAR_TEST_ARCH}
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-"$ZEMVAR_TEST_ARCH".cmake -DCMAKE_BUILD_TYPE=Release \
  >"$build.configure.log" 2>&1 || { cat "$build.configure.log"; exit 1; }
cmake --build "$build" -j2 --target check_overhead_bench >"$build.build.log" 2>&1 ||
  { tail -30 "$build.build.log"; exit 1; }
exec cmake/wine-run.sh "$build/bench/check_overhead_bench.exe" "$@"
