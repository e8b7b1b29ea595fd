#!/usr/bin/env bash
# Builds the check-overhead benchmark for Windows and runs it under Wine: one line per number of extra
# windows on the desktop, with the check's wall time, the pauses it took, and their ratio.
# Usage: bench/check-overhead.sh [--runs N]     (BENCH_BUILD names the build folder)
set -euo pipefail
bench_arch=x86_64
source "$(dirname "$0")/lib.sh"
windows_build "$build" "$bench_arch" check_overhead_bench
# Not exec'd: the display and wineserver it starts end with this script.
cmake/wine-run.sh "$build/bench/check_overhead_bench.exe" "$@"
