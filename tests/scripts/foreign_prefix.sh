#!/usr/bin/env bash
# A prefix that is not ours survives a run: a WINEPREFIX left in the shell is not used, and one named on
# purpose that is neither a Wine prefix nor made by our scripts is refused, not made again.
# And a run's end ends the display and wineserver it started, not a display someone else started.
# Usage: foreign_prefix.sh WINE-RUN PROGRAM.exe
set -uo pipefail
wine_run=$1 program=$2
work=$(mktemp -d)
trap 'rm -rf "$work"; kill ${theirs:-} 2>/dev/null' EXIT
foreign=$work/someones-prefix
mkdir "$foreign"
echo "not yours" >"$foreign/keep.txt"
failures=0
check() { if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi; }
untouched() { [ "$(cat "$foreign/keep.txt" 2>/dev/null)" = "not yours" ] && [ "$(ls -A "$foreign")" = keep.txt ] &&
  [ "$(ls -A "$work")" = someones-prefix ]; }

echo "-- WINEPREFIX in the shell"
WINEPREFIX=$foreign "$wine_run" "$program" --gtest_brief=1 --gtest_filter='TestedBuild.*' 2>&1 | tail -3
check "the suite ran" [ "${PIPESTATUS[0]}" = 0 ]
check "the folder is as it was" untouched

echo "-- ZEMVAR_WINEPREFIX names it"
out=$(ZEMVAR_WINEPREFIX=$foreign "$wine_run" "$program" --gtest_filter='TestedBuild.*' 2>&1)
code=$?
echo "$out" | tail -3
check "refused" [ "$code" != 0 ]
check "saying why" grep -q "neither a Wine prefix nor one these scripts made" <<<"$out"
check "the folder is as it was" untouched

echo "-- a run's end"
source "$(dirname "$wine_run")/../tools/wine-env.sh"
Xvfb -displayfd 3 -nolisten tcp 3>"$work/their-display" >/dev/null 2>&1 & theirs=$!
env -u ZEMVAR_RUN_LEDGER -u DISPLAY bash -c 'source "$1"; wine_run_begin; xvfb_start; echo "$xvfb_pid" >"$2/ours"
  "$3" "$4" --gtest_brief=1 --gtest_filter=TestedBuild.* >/dev/null
  wineserver_of "$(sed -n "s/^prefix //p" "$ZEMVAR_RUN_LEDGER")" >"$2/server"' - \
  "$(dirname "$wine_run")/../tools/wine-env.sh" "$work" "$wine_run" "$program"
gone() { [ -s "$work/$1" ] && ! "$2" "$(cat "$work/$1")"; }
check "its display is gone" gone ours xvfb_alive
check "its wineserver is gone" gone server pid_alive
check "a display it did not start is left" xvfb_alive "$theirs"

[ "$failures" = 0 ] || { echo "$failures checks failed"; exit 1; }
echo "passed"
