#!/usr/bin/env bash
# Offline, the tool starts the dialer, waits for its device detection to come and go, and then presses the
# panel's connect control itself.
source "$(dirname "$0")/../lib.sh"

register_simulator --detect-for 1500
network_down
start_zemvar
wait_for 30 tray_shown || fail "the tray icon did not appear"
wait_for 90 journal_has 'click connect-control' || fail "the connect control was not pressed: $(tr -d '\r' <"$journal")"
journal_has connect || fail "the dialer did not connect"
# The press comes after the detection box has gone, never during it.
order=$(tr -d '\r' <"$journal" | grep -naxE 'close detect|click connect-control' | cut -d: -f2 | head -2 | tr '\n' ' ')
[ "$order" = "close detect click connect-control " ] || fail "pressed before the detection ended: $order"
shot offline-connected
log "journal:"; tr -d '\r' <"$journal" | sed 's/^/  /'
open_menu 1
choose exit
wait_for 10 zemvar_ended || fail "Exit did not end the process"
log "passed"
