#!/usr/bin/env bash
# The long chaos soak: Zemvar.exe at a 1 s interval against the simulator in chaos mode for 90 minutes,
# for 2,000 checks and more: a check that finds a running dialer takes a second of pauses, so at a 1 s
# interval every other tick finds one still running, and chaos leaves about 0.45 checks a second.
# Prints its figures as it goes and at the end.
# Usage: bench/soak.sh [--seconds N] [other options of tests/soak/soak.sh]   (BENCH_BUILD: build folder)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
windows_build "$build" "$bench_arch" Zemvar dialer-sim
export ZEMVAR_SOAK_PREFIX=$PWD/$build/bench-soak/prefix-win64 ZEMVAR_SOAK_NAME=bench-soak
exec bash tests/soak/soak.sh "$build/src/app/Zemvar.exe" "$build/tools/dialer-sim/dialer-sim.exe" "$build" \
  --seconds 5400 "$@"
