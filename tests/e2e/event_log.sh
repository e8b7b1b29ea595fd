#!/usr/bin/env bash
# The log a user turns on with Log=1. Against the simulator, first missing from the registry and then entered
# as the installed dialer, it tells the start, status 1, status 0 and Exit, in that order, in the tooltips'
# code page. The same run without Log=1 leaves no file and changes none.
source "$(dirname "$0")/../lib.sh"

config=$'[Setup]\r\nAutoRun=0\r\nSeconds=2\r\n'


# run_once EXTRA_CONFIG: the tool from a missing dialer to a connected one, then Exit.
run_once() {
  "$WINESERVER" -k >/dev/null 2>&1 || true  # the simulator of the run before
  reg delete 'HKLM\SOFTWARE\China Mobile\eWalk' /reg:32
  printf '%s%s' "$config" "$1" >"$work/config.ini"
  start_zemvar
  wait_for 30 tray_shown || fail "the tray icon did not appear"
  wait_for 30 icon_shows FF0000 || fail "no alert icon for the missing dialer"
  [ -z "$1" ] || wait_for 10 logged 'status 1 .*' || fail "status 1 shown but not logged"
  register_simulator --detect-for 1500
  wait_for 90 journal_has connect || fail "the dialer never connected: $(tr -d '\r' <"$journal")"
  wait_for 30 icon_shows 00FF00 || fail "the icon did not return to normal once connected"
  [ -z "$1" ] || wait_for 10 logged 'status 0 .*' || fail "status 0 shown but not logged"
  open_menu 1
  choose exit
  wait_for 10 zemvar_ended || fail "Exit did not end the process"
}

run_once $'Log=1\r\n'
[ -f "$work/Zemvar.log" ] || fail "Log=1 wrote no Zemvar.log"
cp "$work/Zemvar.log" "$build/e2e/event_log-Zemvar.log"
[ "$(head -c 3 "$work/Zemvar.log" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "the log has no UTF-8 mark"
iconv -f UTF-8 -t UTF-8 <"$work/Zemvar.log" >/dev/null || fail "the log is not UTF-8"
text=$(log_lines)
log "Zemvar.log (kept as written in $build/e2e/event_log-Zemvar.log):"
sed 's/^/  /' <<<"$text"
lines=$(LC_ALL=C grep -c '' "$work/Zemvar.log")
[ "$(LC_ALL=C grep -c $'\r$' "$work/Zemvar.log")" = "$lines" ] || fail "a line does not end in CRLF"
stamps=$(tr -d '\r' <<<"$text" | LC_ALL=C grep -cE '^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} ')
[ "$stamps" = "$lines" ] || fail "a line does not start with the local time"
events=$(cut -b21- <<<"$text")
expected='start AutoRun=0 Seconds=2
status 1 未安装“G3随e行”
status 0 G3随e行 Tessaline
exit'
[ "$events" = "$expected" ] || fail "the log tells: $(tr '\n' '|' <<<"$events")"

rm "$work/Zemvar.log"
run_once ''
[ ! -e "$work/Zemvar.log" ] || fail "without Log=1 the tool wrote Zemvar.log"
files=$(LC_ALL=C ls -A "$work" | tr '\n' ' ')
[ "$files" = "Zemvar.exe config.ini dialer zemvar.out " ] || fail "without Log=1 the folder holds: $files"
cmp -s "$work/config.ini" <(printf '%s' "$config") || fail "config.ini changed"
log "without Log=1: no log file, the folder holds $files"
log "passed"
