#!/usr/bin/env bash
# Idle cost: Zemvar.exe at a 30 s interval beside a connected dialer that shows nothing, for 10 minutes.
# Prints the CPU time (user + system, from /proc/PID/stat) of the Zemvar process, of the simulator and
# of the wineserver over that time, the checks done, and how much of Zemvar's CPU time fell outside the
# seconds around its checks: that share is zero when nothing polls between ticks.
# Usage: bench/idle-cost.sh [SECONDS]   (BENCH_BUILD: build folder)
set -euo pipefail
bench_arch=x86_64
source "$(dirname "$0")/lib.sh"
windows_build "$build" "$bench_arch" Zemvar dialer-sim
span=${1:-600}
export ZEMVAR_SOAK_PREFIX=$PWD/$build/bench-idle/prefix-win64
test_name=idle-cost run_kind=soak
source tests/lib.sh "$build/src/app/Zemvar.exe" "$build/tools/dialer-sim/dialer-sim.exe" "$build"

hz=$(getconf CLK_TCK)
# cpu_ticks PID: user + system time in clock ticks (fields 14 and 15, after the command in brackets).
cpu_ticks() { local s; s=$(cat "/proc/$1/stat") && s=${s##*) } && set -- $s && echo $(( ${12} + ${13} )); }
seconds_of() { awk -v t="$1" -v hz="$hz" 'BEGIN { printf "%.2f", t / hz }'; }

# The dialer runs connected, with no boxes and no detection box; each check's connect command raises
# the already-connected box, which the check answers. It runs first alone, so that Wine's own idle cost
# can be told from Zemvar's.
register_simulator --connect-raises-connected --no-detect
(cd "$work/dialer" && exec "$wine" dialer-sim.exe >/dev/null 2>&1) &
wait_for 60 grep -q '^show main' "$journal" || fail "the simulator did not start"
sim_pid=$(in_prefix 'dialer-sim.exe')
server_pid=$(in_prefix 'wineserver')
[ -n "$sim_pid" ] && [ -n "$server_pid" ] || fail "the simulator or the wineserver was not found"
sleep 10
reference=$(( span / 10 > 60 ? span / 10 : 60 ))
log "Wine and the simulator alone for $reference s"
w0=$(cpu_ticks "$server_pid") d0=$(cpu_ticks "$sim_pid")
sleep "$reference"
w1=$(cpu_ticks "$server_pid") d1=$(cpu_ticks "$sim_pid")
alone_server=$(( (w1 - w0) * span / reference )) alone_sim=$(( (d1 - d0) * span / reference ))

write_config 30
start_zemvar
wait_for 60 tray_shown || fail "the tray icon did not appear"
sleep 40  # the first check is over

log "measuring for $span s (Zemvar pid $zemvar_pid, simulator $sim_pid, wineserver $server_pid)"
z0=$(cpu_ticks "$zemvar_pid") d0=$(cpu_ticks "$sim_pid") w0=$(cpu_ticks "$server_pid")
c0=$(grep -c '^command 50002' "$journal" || true)
# Each second: Zemvar's CPU ticks, and whether a worker thread (a check) is there or was a second ago.
outside=0 inside=0 busy_seconds=0 prev=$z0 recent=0
start=$(now_ms)
for ((s = 1; s <= span; s++)); do
  while [ $(( $(now_ms) - start )) -lt $((s * 1000)) ]; do sleep 0.05; done
  zemvar_running || fail "Zemvar ended during the measurement"
  tids=(/proc/$zemvar_pid/task/*)
  [ ${#tids[@]} -gt 1 ] && recent=3 || recent=$((recent > 0 ? recent - 1 : 0))
  now=$(cpu_ticks "$zemvar_pid")
  used=$((now - prev)); prev=$now
  if [ $recent -gt 0 ]; then inside=$((inside + used)); else outside=$((outside + used)); fi
  [ $used -gt 0 ] && busy_seconds=$((busy_seconds + 1))
done
z1=$(cpu_ticks "$zemvar_pid") d1=$(cpu_ticks "$sim_pid") w1=$(cpu_ticks "$server_pid")
c1=$(grep -c '^command 50002' "$journal" || true)
checks=$((c1 - c0))

echo "idle cost over $span s at a 30 s interval: checks done $checks"
echo "idle cost: Zemvar.exe CPU $(seconds_of $((z1 - z0))) s ($(seconds_of "$inside") s within 3 s of a check," \
     "$(seconds_of "$outside") s outside; CPU used in $busy_seconds of $span seconds)"
echo "idle cost: dialer simulator CPU $(seconds_of $((d1 - d0))) s, wineserver CPU $(seconds_of $((w1 - w0))) s"
echo "idle cost: without Zemvar (measured over $reference s, scaled to $span s): simulator $(seconds_of $alone_sim) s," \
     "wineserver $(seconds_of $alone_server) s"
echo "idle cost: Zemvar per check $(awk -v t=$((z1 - z0)) -v n=$checks -v hz=$hz 'BEGIN { printf "%.1f", n ? t * 1000 / hz / n : 0 }') ms of CPU"
