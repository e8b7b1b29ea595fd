# Sourced by the benchmarks: moves to the top of the tree; they build for Windows into $build
# (BENCH_BUILD, by default build/bench-ARCH).
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source tools/windows-arch.sh
build=${BENCH_BUILD:-build/bench-$ZEMVAR_TEST_ARCH}
