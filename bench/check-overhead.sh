#!/usr/bin/env bash
# Builds the check-overhead benchmark for Windows and runs it under Wine: one line per number of extra
# windows on the desktop, with the check's wall time, the pauses it took, and their ratio.
# Usage: bench/check-overhead.sh [--runs N]     (BENCH_BUILD names the build folder)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
windows_build "$build" check_overhead_bench
exec cmake/wine-run.sh "$build/bench/check_overhead_bench.exe" "$@"
