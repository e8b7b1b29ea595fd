#!/usr/bin/env bash
# The dialer's ends. One that stops answering: the tooltip and the log say so within two intervals of the
# system calling it hung. Without RestartHung it is left alone; with RestartHung=2 it is ended, started
# again, and all is well again. A link that carries nothing (Probe on a loopback port that stops
# listening): status 9, then 0 again; with RestartOffline=3 the dialer is ended and started again.
source "$(dirname "$0")/../lib.sh"

seconds=3

# start_with CONFIG SIMULATOR_OPTIONS...: a run of its own, with these lines in config.ini, until the
# simulator has connected.
start_with() {
  "$WINESERVER" -k >/dev/null 2>&1 || true  # the simulator of the run before
  printf '[Setup]\r\nAutoRun=0\r\nSeconds=%s\r\nLog=1\r\n%s' "$seconds" "$1" >"$work/config.ini"
  shift
  register_simulator --detect-for 1500 "$@"
  rm -f "$work/Zemvar.log"
  start_zemvar
  wait_for 30 tray_shown || fail "the tray icon did not appear"
  wait_for 60 journal_has connect || fail "the dialer never connected: $(tr -d '\r' <"$journal")"
}

# hang_once EXTRA_CONFIG: the tool keeps the simulator connected until it hangs and status 8 shows.
hang_once() {
  start_with "$1" --hang-after 60000
  wait_for 30 icon_shows 00FF00 || fail "no normal icon while the dialer answers"
  wait_for 60 journal_has hang || fail "the simulator did not hang"
  # The journal's last line is written as the hang begins.
  local hung_at
  hung_at=$(now_ms)
  # Wine calls a window hung once its thread has taken no message for 5 s.
  wait_for $((5 + 2 * seconds + 15)) logged 'status 8 .*' || fail "no status 8 for the hung dialer: $(log_events)"
  log "status 8 shown $(( $(now_ms) - hung_at )) ms after the simulator hung (5000 ms until it counts as hung, then checks every $seconds s)"
  wait_for 10 icon_shows FF0000 || fail "no alert icon for the hung dialer"
}

starts() { tr -d '\r' <"$journal" | grep -c '^start' || true; }
sim_gone() { ! kill -0 "$sim" 2>/dev/null; }

# 1. Without the key the hung dialer is never ended: Zemvar only tells.
hang_once ""
sim=$(in_prefix dialer-sim)
[ -n "$sim" ] || fail "no simulator process found"
sleep $((6 * seconds))
! sim_gone || fail "the hung simulator was ended without RestartHung"
[ "$(starts)" = 1 ] || fail "the dialer was started again"
! logged 'hung dialer.*' || fail "the log tells of an end: $(log_events)"
shot hung-status-8
exit_zemvar
log "without RestartHung: $(log_events)"

# 2. With RestartHung=2 it is ended after two hung checks; the next check starts it again. The new one
# answers: the simulator's options no longer ask it to hang.
hang_once $'RestartHung=2\r\n'
sim=$(in_prefix dialer-sim)
printf '%s\n' --detect-for 1500 >"$work/dialer/dialer-sim.args"
wait_for $((4 * seconds + 10)) logged 'hung dialer \(process [0-9]+\) ended after 2 hung checks' ||
  fail "the hung dialer was not ended: $(log_events)"
wait_for 10 sim_gone || fail "the hung simulator's process is still there"
wait_for 60 eval '[ "$(starts)" = 2 ]' || fail "the dialer was not started again"
wait_for 60 logged 'status 0 .*' || fail "the tooltip did not return to status 0: $(log_events)"
wait_for 30 icon_shows 00FF00 || fail "the icon did not return to normal"
events=$(log_events)
LC_ALL=C grep -aqxE "start AutoRun=0 Seconds=$seconds RestartHung=2\|status 8 [^|]*\|hung dialer \(process [0-9]+\) ended after 2 hung checks\|status 0 [^|]*\|" <<<"$events" ||
  fail "the log tells: $events"
exit_zemvar
log "with RestartHung=2: $events"

# listen [hold]: a listener on $port that takes every connection; with hold, one whose queue is full, so
# that a try waits until it gives up.
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
listen() {
  python3 -c 'import socket, sys, time
s = socket.create_server(("127.0.0.1", int(sys.argv[1])), backlog=0 if sys.argv[2:] else 8)
if sys.argv[2:]: held = socket.create_connection(s.getsockname()); time.sleep(3600)
while True: s.accept()[0].close()' "$port" "$@" &
  listener=$!
}
stop_listening() { [ -z "${listener:-}" ] || kill "$listener" 2>/dev/null || true; listener=; }
trap 'stop_listening; cleanup' EXIT
# A try in progress: our connection to the port waits for its answer (SYN_SENT, 02, in the kernel's table).
trying() { grep -q "0100007F:$(printf %04X "$port") 02 " /proc/net/tcp; }
probe=$(printf 'Probe=127.0.0.1:%s\r\n' "$port")

# 3. While the port listens all stays well; stopped, status 9 within four checks; listening again, 0.
listen
start_with "$probe"
sleep $((3 * seconds))
! logged '(probe.*|status 9 .*)' || fail "a listening port was not good enough: $(log_events)"
stop_listening
stopped_at=$(now_ms)
wait_for $((4 * seconds + 4)) logged 'status 9 .*' || fail "no status 9 within four checks: $(log_events)"
log "status 9 shown $(( $(now_ms) - stopped_at )) ms after the port stopped listening (checks every $seconds s)"
wait_for 10 icon_shows FF0000 || fail "no alert icon for a link that carries nothing"
listen
wait_for $((2 * seconds + 4)) logged 'status 0 .*' || fail "status 0 did not come back: $(log_events)"
events=$(log_events)
LC_ALL=C grep -aqxE "start AutoRun=0 Seconds=$seconds Probe=127.0.0.1:$port\|probe 127.0.0.1:$port failed: error 10061\|status 9 [^|]*\|probe 127.0.0.1:$port connected again after [3-9] failed tries\|status 0 [^|]*\|" <<<"$events" ||
  fail "the log tells: $events"
# Exit while a try waits for a port whose queue is full: the tool ends at once, the try with it.
stop_listening
listen hold
open_menu
wait_for 30 trying || fail "no try waited for the port"
tried_at=$(now_ms)
choose exit
wait_for 2 zemvar_ended || fail "Exit waited for the try"
log "Exit during a try: ended $(( $(now_ms) - tried_at )) ms after the try was seen waiting"
stop_listening

# 4. With RestartOffline=3 and nothing listening: ended after three failed tries, and started again.
start_with "$probe"$'RestartOffline=3\r\n'
wait_for $((4 * seconds + 10)) logged 'offline dialer \(process [0-9]+\) ended after 3 failed probes' ||
  fail "the offline dialer was not ended: $(log_events)"
wait_for 60 eval '[ "$(starts)" = 2 ]' || fail "the dialer was not started again"
exit_zemvar
log "with RestartOffline=3: $(log_events)"
log "passed"
