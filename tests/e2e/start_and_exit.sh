#!/usr/bin/env bash
# The icon appears, a second copy ends at once and silently, Exit removes the icon and ends the process.
source "$(dirname "$0")/../lib.sh"

start_zemvar
wait_for 30 tray_shown || fail "the tray icon did not appear"
# Running, not kept alive by Wine's crash dialog: a wait would pass at once either way.
zemvar_running || fail "Zemvar is not running"
! crash_handler_running || fail "Zemvar crashed after showing its icon"
shot tray-icon

# A window of the second copy is looked for while it runs: once it has ended, its windows are gone anyway.
before=$(date +%s%N)
(cd "$work" && exec "$wine" Zemvar.exe >"$work/second.out" 2>&1) &
second=$!
shown=
while kill -0 "$second" 2>/dev/null; do menu_open && shown=yes; sleep 0.05; done
wait "$second" || fail "the second copy failed"
took=$(( ($(date +%s%N) - before) / 1000000 ))
log "second copy ended after $took ms"
[ "$took" -lt 5000 ] || fail "the second copy took $took ms"
zemvar_running || fail "the first copy ended"
tray_shown || fail "the icon went with the second copy"
[ -z "$shown" ] || fail "the second copy showed a window"

open_menu 1
shot tray-menu
choose exit
wait_for 10 zemvar_ended || fail "Exit did not end the process"
wait_for 10 tray_gone || fail "the icon stayed after Exit"

# With the first copy gone the name is free again.
start_zemvar
wait_for 30 tray_shown || fail "a new start after exit showed no icon"
open_menu 3
choose exit
wait_for 10 zemvar_ended || fail "Exit (menu opened with the right button) did not end the process"
log "passed"
