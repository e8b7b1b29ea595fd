#!/usr/bin/env bash
# With the simulator entered as the installed dialer, the tool starts it and has it connect.
source "$(dirname "$0")/../lib.sh"

register_simulator --detect-for 1500
start_zemvar
wait_for 30 tray_shown || fail "the tray icon did not appear"
wait_for 60 journal_has 'start .*' || fail "the tool did not start the dialer"
wait_for 90 journal_has connect || fail "the dialer never connected: $(tr -d '\r' <"$journal")"
journal_has 'click connect-control|command 50002' || fail "no connect press in the journal"
shot connected
log "journal:"; tr -d '\r' <"$journal" | sed 's/^/  /'
open_menu 1
choose exit
wait_for 10 zemvar_ended || fail "Exit did not end the process"
log "passed"
