#!/usr/bin/env bash
# The desktop users have: a sensapi.dll planted beside the exe is never loaded; a logoff while a check waits
# for the dialer ends the tool at once and starts nothing; a save that cannot reach config.ini is logged as
# such.
source "$(dirname "$0")/../lib.sh"

# 1. A one-file tool in Downloads, where a web page dropped a sensapi.dll that says every network is down.
# Loaded, it would have the tool press the panel's connect control; the system's says the network is alive.
register_simulator --detect-for 1500
write_config 2
system=$(system_folder)
# Wine's own in the system folder, where another test may have left our stand-in.
[ ! -f "$system/sensapi.dll.wine" ] || mv "$system/sensapi.dll.wine" "$system/sensapi.dll" || fail "Wine's sensapi.dll not restored"
cp "$build/tools/fake-sensapi/sensapi.dll" "$work/sensapi.dll"
WINEDLLOVERRIDES="$WINEDLLOVERRIDES;sensapi=n,b" ZEMVAR_NETWORK=down start_zemvar
wait_for 30 tray_shown || fail "the tray icon did not appear"
wait_for 90 journal_has 'command 50002' || fail "the dialer got no connect command: $(tr -d '\r' <"$journal")"
! journal_has 'click connect-control' || fail "the planted sensapi.dll said the network was down"
! grep -qF "$work/sensapi.dll" "/proc/$zemvar_pid/maps" || fail "the planted sensapi.dll is mapped into the tool"
log "planted sensapi.dll: not loaded, the connect control left alone (the system's says alive)"
exit_zemvar
rm "$work/sensapi.dll"
"$WINESERVER" -k >/dev/null 2>&1 || true

# 2. Logoff while the check waits for a dialer that never shows its windows: Wine ends the session as
# Windows does, with WM_QUERYENDSESSION and WM_ENDSESSION to every window.
register_simulator --no-panel --no-main --no-detect
printf '[Setup]\r\nAutoRun=0\r\nSeconds=1\r\nLog=1\r\n' >"$work/config.ini"
start_zemvar
wait_for 30 tray_shown || fail "the tray icon did not appear"
wait_for 30 journal_has 'start .*' || fail "the check did not start the dialer"
sleep 2  # ticks meet a busy check: it waits in the dialer's pauses
before=$(now_ms)
"$wine" wineboot --end-session >"$work/wineboot.out" 2>&1 &
wait_for 20 zemvar_ended || fail "the session's end did not end the tool"
log "ended $(( $(now_ms) - before )) ms after the session's end began"
wait_for 10 tray_gone || fail "the icon stayed"
sleep 3
[ "$(tr -d '\r' <"$journal" | grep -c '^start')" = 1 ] || fail "the dialer was started again: $(tr -d '\r' <"$journal")"
events=$(log_events)
[ "$events" = "start AutoRun=0 Seconds=1|session ending|session end|exit|" ] || fail "the log tells: $events"
log "log: $events"

# 3. Another program (an editor, a backup) holds config.ini open, letting others read it but not write it.
# The new interval is used; the log says it was not saved, with the system's sharing violation.
printf '[Setup]\r\nAutoRun=0\r\nSeconds=30\r\nLog=1\r\n' >"$work/config.ini"
rm "$work/Zemvar.log"
(cd "$work" && exec "$wine" "$build/tests/e2e/hold-file.exe" config.ini >"$work/hold.out" 2>&1) &
wait_for 30 grep -q '^held' "$work/hold.out" || fail "config.ini was not held: $(cat "$work/hold.out")"
start_zemvar
wait_for 30 tray_shown || fail "the tray icon did not appear"
open_menu 1
choose settings
wait_for 10 settings_shown || fail "Settings showed no window"
settings_type_seconds 45
settings_keys Return
wait_for 10 settings_hidden || fail "Enter did not hide the window"
wait_for 10 logged 'settings AutoRun=0 Seconds=45 in use but not saved: config\.ini error 32' ||
  fail "the log tells: $(log_events)"
[ "$(ini_value Seconds)" = 30 ] || fail "config.ini was written after all: $(cat "$work/config.ini")"
log "config.ini held: $(log_events)"
exit_zemvar
log "passed"
