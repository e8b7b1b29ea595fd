#!/usr/bin/env bash
# Exit while a check waits for a dialer that never shows its windows: the icon goes and the process ends
# at once, every time.
source "$(dirname "$0")/../lib.sh"

register_simulator --no-panel --no-main --no-detect
for round in 1 2 3; do
  : >"$journal"
  start_zemvar
  wait_for 30 tray_shown || fail "round $round: the tray icon did not appear"
  wait_for 30 journal_has 'start .*' || fail "round $round: the check did not start the dialer"
  sleep 0.$((round * 3))
  open_menu 1
  [ "$round" = 1 ] && shot exit-during-check-menu
  before=$(date +%s%N)
  choose exit
  wait_for 10 zemvar_ended || fail "round $round: Exit during a check did not end the process"
  log "round $round: ended $(( ($(date +%s%N) - before) / 1000000 )) ms after Exit"
  wait_for 10 tray_gone || fail "round $round: the icon stayed"
  "$WINESERVER" -k >/dev/null 2>&1 || true  # the simulator, left waiting
done
log "passed"
