#!/usr/bin/env bash
# Right on the shapes of Windows users have beyond code page 936 with ASCII folders: a folder whose name
# the code page cannot spell.
source "$(dirname "$0")/../lib.sh"

# start_in FOLDER: the exe copied there and started from there, its output in the run folder.
start_in() {
  cp "$zemvar_exe" "$1/Zemvar.exe"
  (cd "$1" && exec "$wine" Zemvar.exe >>"$work/zemvar.out" 2>&1) &
  zemvar_pid=$!
}

# The Run value's data to the letter: reg query prints it in the console's code page, reg export in UTF-16,
# as a .reg file writes it (backslashes and quotes escaped).
run_value_exact() {
  "$wine" reg export 'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run' "$(windows_path "$work/run.reg")" /y \
    >/dev/null 2>&1 || fail "reg export of the Run key failed"
  iconv -f UTF-16 -t UTF-8 "$work/run.reg" | tr -d '\r' | sed -n 's/^"Zemvar"="\(.*\)"$/\1/p'
}

# Korean letters under code page 936 (zh_CN.UTF-8: 936, with the Linux names read right): config.ini is
# read and written there, and the Run value holds the real path.
export ZEMVAR_WINE_LOCALE=zh_CN.UTF-8
korean="$WINEPREFIX/drive_c/Tools 한국"
[ ! -e "$korean" ] || fail "$korean is not ours; it is left as it is"
mkdir "$korean"
trap 'rm -rf "$korean"; cleanup' EXIT
printf '[Setup]\r\nAutoRun=0\r\nSeconds=12\r\nLog=1\r\n' >"$korean/config.ini"
start_in "$korean"
wait_for 30 tray_shown || fail "no tray icon from C:\\Tools 한국"
wait_for 10 grep -aq 'start AutoRun=0 Seconds=12' "$korean/Zemvar.log" 2>/dev/null ||
  fail "config.ini or the log beside the exe was not found: $(ls "$korean")"
open_menu 1
choose settings
wait_for 10 settings_shown || fail "Settings showed no window"
settings_click autorun
settings_keys Return
wait_for 10 settings_hidden || fail "Enter did not hide the window"
grep -aq '^AutoRun=1' "$korean/config.ini" || fail "the save did not reach config.ini: $(cat "$korean/config.ini")"
expected='\"C:\\Tools 한국\\Zemvar.exe\"'
[ "$(run_value_exact)" = "$expected" ] || fail "the Run value is '$(run_value_exact)', not '$expected'"
log "C:\\Tools 한국 under 936: config.ini read (Seconds=12) and saved, Run value $expected"
# A press right after the window hid is sometimes lost as the focus moves: one more is a person's answer.
menu_opened 1 || menu_opened 1 || fail "the tray menu did not open"
choose exit
wait_for 10 zemvar_ended || fail "Exit did not end the process"
log "passed"
