# Sourced by the benchmarks: moves to the top of the tree and readies the route to Wine. Those that run
# Zemvar as users do (soak, Exit under fire) build the 32-bit product into build/bench-i686; those that
# time our own code (check overhead, idle cost) build it 64-bit into build/bench-x86_64 and run it on
# wine64 natively, since under qemu they would time the emulator. BENCH_BUILD names another folder.
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source tools/windows-build.sh
windows_route_ready || exit 1
wine_run_begin
bench_arch=${bench_arch:-i686}
build=${BENCH_BUILD:-build/bench-$bench_arch}
