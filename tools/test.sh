#!/usr/bin/env bash
# The whole test run: installs what is missing, builds natively and for Windows, runs every suite,
# and ends with one line "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."
top=$PWD

bash tools/install-deps.sh || echo "installing the dependencies failed; going on with what is there"
source tools/wine-env.sh
wine_run_begin
source tools/windows-build.sh
# The Windows suites run the build users get: 32-bit. Without a way to start 32-bit Wine they all count as
# failed, and the native ones still run.
wine_ok=1
if windows_route_ready; then
  echo "Windows suites: the i686 build, $(wine_route_line)"
else
  wine_ok=0
  echo "32-bit Wine cannot start here; every Windows suite counts as failed"
fi
# ZEMVAR_TEST_WIN64=1 also runs them against the 64-bit build, which otherwise is only compiled.

jobs=$(nproc)
failed_build=0
build() { cmake_build "$1" all "${@:2}" || failed_build=1; }  # build DIR [cmake args...]
mkdir -p build
build build/native
build build/i686 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
build build/x86_64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
cmake -S tests/fuzz -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ >build/fuzz.configure.log 2>&1 &&
  cmake --build build/fuzz -j"$jobs" >build/fuzz.build.log 2>&1 || { echo "build of build/fuzz failed"; failed_build=1; }

passed=0 failed=0
# Counts cases: a googletest suite by the cases in its XML, any other test as one.
run() {  # run BUILD-DIR [CTEST-ARGS...]
  local dir=$1 log="$1.test.log" line name ok xml cases failures
  shift
  rm -rf "$dir/results"
  mkdir -p "$dir/results"
  ctest --test-dir "$dir" --output-on-failure --timeout 1800 "$@" >"$log" 2>&1
  cat "$log"
  while read -r line; do
    name=$(sed -E 's/^.*Test +#[0-9]+: ([^ ]+) .*$/\1/' <<<"$line")
    ok=0; grep -qE ' Passed +[0-9.]+ sec' <<<"$line" && ok=1
    xml="$dir/results/$name.xml"
    if [ -f "$xml" ]; then
      cases=$(grep -m1 -o '<testsuites tests="[0-9]*"' "$xml" | grep -o '[0-9]*')
      failures=$(grep -m1 -o '<testsuites [^>]*failures="[0-9]*"' "$xml" | grep -o 'failures="[0-9]*"' | grep -o '[0-9]*')
      passed=$((passed + cases - failures)); failed=$((failed + failures))
      # A suite that died after writing its XML still fails.
      [ "$ok" = 1 ] || [ "$failures" -gt 0 ] || failed=$((failed + 1))
    elif [ "$ok" = 1 ]; then
      passed=$((passed + 1))
    else
      failed=$((failed + 1))
    fi
  done < <(grep -E '^ *[0-9]+/[0-9]+ Test +#[0-9]+: ' "$log")
}
# Under Wine each program started through cmake/wine-run.sh leaves a line: its PE machine, route, shape.
machines() {  # machines BUILD-DIR: what ran there, one line per program and way
  sort "$1/results/wine-runs.log" 2>/dev/null | uniq -c | sed -E 's/^ *([0-9]+) (.*)$/  ran \2 (\1 starts)/'
}
run build/native
if [ "$wine_ok" = 1 ]; then
  ZEMVAR_WINE_LOG=$top/build/i686/results/wine-runs.log run build/i686
  machines build/i686
else
  not_run=$(ctest --test-dir build/i686 -N 2>/dev/null | grep -c ' Test *#') || true
  echo "build/i686: ${not_run:-0} tests not run, counted as failed"
  failed=$((failed + (${not_run:-0} > 0 ? not_run : 1)))
fi
if [ "$wine_ok" = 1 ] && [ "${ZEMVAR_TEST_WIN64:-0}" = 1 ]; then
  ZEMVAR_TESTED_BUILD=x86_64 ZEMVAR_WINE_LOG=$top/build/x86_64/results/wine-runs.log run build/x86_64
  machines build/x86_64
fi

# The string rules under libFuzzer for a minute, from the corpus of earlier runs.
mkdir -p build/fuzz/corpus
if (cd build/fuzz && ./string_rules_fuzz -max_total_time="${ZEMVAR_FUZZ_SECONDS:-60}" corpus >fuzz.log 2>&1); then
  echo "fuzz: $(grep -E '^Done [0-9]+ runs' build/fuzz/fuzz.log)"
  passed=$((passed + 1))
else
  echo "fuzz: FAILED"; tail -40 build/fuzz/fuzz.log
  failed=$((failed + 1))
fi

[ "$failed_build" = 0 ] || failed=$((failed + 1))
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
