#!/usr/bin/env bash
# The string rules under libFuzzer for longer than the test command's minute (default 10 minutes),
# growing the same corpus. Prints libFuzzer's closing lines: runs done, coverage, and any crash it kept.
# Usage: bench/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
mkdir -p build/fuzz/corpus
cmake -S tests/fuzz -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ >build/fuzz.configure.log 2>&1
cmake --build build/fuzz -j2 >build/fuzz.build.log 2>&1 || { tail -30 build/fuzz.build.log; exit 1; }
cd build/fuzz
./string_rules_fuzz -max_total_time="${1:-600}" -print_final_stats=1 corpus 2>&1 | tail -12
