#!/usr/bin/env bash
# The whole test run: installs what is missing, builds natively and for Windows, runs every suite,
# and ends with one line "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."
top=$PWD

bash tools/install-deps.sh || { echo "installing the dependencies failed"; exit 1; }
source tools/windows-arch.sh

jobs=$(nproc)
failed_build=0
build() {  # build DIR [cmake args...]
  local dir=$1; shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@" >"$dir.configure.log" 2>&1 &&
    cmake --build "$dir" -j"$jobs" >"$dir.build.log" 2>&1 ||
    { echo "build of $dir failed; see $dir.build.log"; tail -30 "$dir.build.log"; failed_build=1; }
}
mkdir -p build
build build/native
build build/"$ZEMVAR_TEST_ARCH" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-"$ZEMVAR_TEST_ARCH".cmake
[ "$ZEMVAR_TEST_ARCH" = i686 ] || build build/i686 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake

passed=0 failed=0
run() {  # run BUILD-DIR
  local log="$1.test.log"
  ctest --test-dir "$1" --output-on-failure --timeout 1800 >"$log" 2>&1
  cat "$log"
  local p f
  p=$(grep -cE '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* +Passed' "$log")
  f=$(grep -cE '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .*(\*\*\*|Failed|Not Run|Timeout|Exception)' "$log")
  passed=$((passed + p)); failed=$((failed + f))
}
run build/native
run build/"$ZEMVAR_TEST_ARCH"

[ "$failed_build" = 0 ] || failed=$((failed + 1))
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
