#!/usr/bin/env bash
# Exit under fire: start Zemvar, let its first check start the dialer and wait in its panel loop (the
# simulator shows its panel only after 5 s), choose Exit from the tray menu, and see the process end
# and the icon go. Repeated N times.
# Usage: exit_under_fire.sh ZEMVAR_EXE SIM_EXE BUILD_DIR N
test_name=${ZEMVAR_SOAK_NAME:-exit_under_fire}
rounds=${4:?usage: exit_under_fire.sh ZEMVAR_EXE SIM_EXE BUILD_DIR N}
source "$(dirname "$0")/../lib.sh"

register_simulator --panel-at 5000 --no-detect
write_config 30

failures=0 total_ms=0 max_ms=0 ended=0
fail_round() {
  failures=$((failures + 1))
  log "round $1: $2"
}
for round in $(seq "$rounds"); do
  : >"$journal"
  start_zemvar
  if ! wait_for 60 tray_shown; then fail_round "$round" "the tray icon did not appear"; "$WINESERVER" -k || true; continue; fi
  if ! wait_for 30 grep -q '^start' "$journal"; then
    fail_round "$round" "the first check did not start the dialer"; "$WINESERVER" -k || true; continue
  fi
  # Somewhere within the 5 s the check waits for the panel.
  sleep "0.$((RANDOM % 10))"
  grep -q '^show panel' "$journal" && log "round $round: note: the panel was already up"
  if ! choose_exit; then fail_round "$round" "the tray menu did not open"; "$WINESERVER" -k || true; continue; fi
  before=$(now_ms)  # from the click on Exit
  if wait_for 10 zemvar_ended; then
    took=$(( $(now_ms) - before ))
    ended=$((ended + 1)); total_ms=$((total_ms + took))
    [ $took -gt $max_ms ] && max_ms=$took
    code=0
    wait $zemvar_pid 2>/dev/null || code=$?
    [ $code = 0 ] || fail_round "$round" "the process ended with code $code"
    wait_for 10 tray_gone || fail_round "$round" "the icon stayed after the process ended"
  else
    fail_round "$round" "the process did not end within 10 s of Exit"
  fi
  crash_handler_running && fail_round "$round" "Wine's crash handler ran"
  # The dialer the check started, still showing its windows, and anything else left in the prefix.
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w >/dev/null 2>&1 || true
done

mean=$(( ended ? total_ms / ended : 0 ))
echo "exit under fire: $rounds rounds, $failures failures, ended $ended, mean time to exit $mean ms, longest $max_ms ms"
[ $failures = 0 ] || fail "$failures of $rounds rounds failed"
log "passed"
