# Sourced by the benchmarks: moves to the top of the tree and builds the named targets for Windows into
# $build (BENCH_BUILD, by default build/bench-ARCH).
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source tools/windows-arch.sh
build=${BENCH_BUILD:-build/bench-$ZEMVAR_TEST_ARCH}

bench_build() {
  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-"$ZEMVAR_TEST_ARCH".cmake -DCMAKE_BUILD_TYPE=Release \
    >"$build.configure.log" 2>&1 || { cat "$build.configure.log"; exit 1; }
  cmake --build "$build" -j2 --target "$@" >"$build.build.log" 2>&1 || { tail -30 "$build.build.log"; exit 1; }
}
