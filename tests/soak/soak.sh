#!/usr/bin/env bash
# Chaos soak: the real Zemvar.exe checks every second against a simulated dialer that raises and
# withdraws its boxes, closes and reopens its windows and quits at random. Samples the process's
# threads and resident memory throughout. Fails on a crash (the process gone, or Wine's crash handler
# started), when the fewest threads seen over the last stretch exceed those of the first stretch after
# warm-up by more than --thread-margin (1), when the mean VmRSS of the last stretch exceeds the first's
# by more than --max-rss-growth percent (10), when a dialer that quit was not started again, or when the
# tool no longer ends through its tray menu.
# Usage: soak.sh ZEMVAR_EXE SIM_EXE BUILD_DIR [--seconds N] [--max-rss-growth PERCENT]
#        [--thread-margin N] [--chaos-every MS] [--chaos-exit N_IN_1000] [--seed N]
test_name=${ZEMVAR_SOAK_NAME:-soak}
args=("$@")
set -- "${args[@]:0:3}"
seconds=150 max_rss_growth=10 thread_margin=1 chaos_every=700 chaos_exit=4 seed=0
rest=("${args[@]:3}")
for ((i = 0; i < ${#rest[@]}; i += 2)); do
  case ${rest[i]} in
    --seconds) seconds=${rest[i + 1]} ;;
    --max-rss-growth) max_rss_growth=${rest[i + 1]} ;;
    --thread-margin) thread_margin=${rest[i + 1]} ;;
    --chaos-every) chaos_every=${rest[i + 1]} ;;
    --chaos-exit) chaos_exit=${rest[i + 1]} ;;
    --seed) seed=${rest[i + 1]} ;;
    *) echo "unknown option ${rest[i]}" >&2; exit 2 ;;
  esac
done
source "$(dirname "$0")/../lib.sh"

# Windows of comparison: the baseline once the first check (which starts the dialer) is long over,
# the end over the last stretch of the run.
warmup=30
window=$(( seconds / 5 < 30 ? seconds / 5 : 30 ))
[ "$seconds" -ge $((warmup + 2 * window)) ] || fail "--seconds must be at least $((warmup + 2 * window))"

register_simulator --chaos "$seed" --chaos-every "$chaos_every" --chaos-exit "$chaos_exit"
write_config 1
start_zemvar
wait_for 60 tray_shown || fail "the tray icon did not appear"
log "Zemvar.exe runs as Linux pid $zemvar_pid; soak of $seconds s, chaos every ~$chaos_every ms, quit chance $chaos_exit/1000"

# Every 200 ms: is the process there, which threads does it have. A thread seen in two samples or more
# lived 200 ms or longer: a worker that ran a check (a worker that finds a check running ends at once;
# a check's first pause alone is 500 ms).
declare -A samples_of
crashes=0 crash_why=
base_threads=999 end_threads=999 max_threads=0
base_rss_sum=0 base_rss_n=0 end_rss_sum=0 end_rss_n=0 max_rss=0
start=$(now_ms)
tick=0
while :; do
  elapsed=$(( $(now_ms) - start ))
  [ $elapsed -lt $((seconds * 1000)) ] || break
  if ! zemvar_running; then crashes=1; crash_why="the process vanished after $((elapsed / 1000)) s"; break; fi
  tids=(/proc/$zemvar_pid/task/*)
  n=${#tids[@]}
  for t in "${tids[@]}"; do
    t=${t##*/}
    samples_of[$t]=$(( ${samples_of[$t]:-0} + 1 ))
  done
  [ $n -gt $max_threads ] && max_threads=$n
  s=$((elapsed / 1000))
  if (( tick % 5 == 0 )); then
    rss=0
    while read -r key value _; do [ "$key" = VmRSS: ] && rss=$value; done <"/proc/$zemvar_pid/status" || true
    [ "$rss" -gt $max_rss ] && max_rss=$rss
    if [ $s -ge $warmup ] && [ $s -lt $((warmup + window)) ]; then
      base_rss_sum=$((base_rss_sum + rss)); base_rss_n=$((base_rss_n + 1))
      [ $n -lt $base_threads ] && base_threads=$n
    elif [ $s -ge $((seconds - window)) ]; then
      end_rss_sum=$((end_rss_sum + rss)); end_rss_n=$((end_rss_n + 1))
      [ $n -lt $end_threads ] && end_threads=$n
    fi
  fi
  if (( tick % 1500 == 0 )) && [ $tick -gt 0 ]; then
    so_far=0
    for t in "${!samples_of[@]}"; do [ "${samples_of[$t]}" -ge 2 ] && so_far=$((so_far + 1)); done
    log "at $s s: checks $((so_far - 1)), threads $n, RSS $rss kB, connect commands $(grep -c '^command 50002' "$journal" || true)"
  fi
  if (( tick % 10 == 0 )) && crash_handler_running; then
    crashes=1; crash_why="Wine's crash handler (winedbg) started after $s s"; break
  fi
  tick=$((tick + 1))
  sleep 0.2
done
duration=$(( ($(now_ms) - start) / 1000 ))

checks=0 threads_seen=0
for t in "${!samples_of[@]}"; do
  [ "$t" = "$zemvar_pid" ] && continue
  threads_seen=$((threads_seen + 1))
  [ "${samples_of[$t]}" -ge 2 ] && checks=$((checks + 1))
done
count() { grep -c "$1" "$journal" || true; }
commands=$(count '^command 50002')
clicks=$(count '^click ')
starts=$(count '^start ')
chaos_exits=$(count '^chaos-exit')
sims=$(prefix_pids 'dialer-sim.exe' | wc -l)

# After all that, the tool still answers its menu and ends cleanly.
exit_ok=no
code=
if [ $crashes = 0 ] && choose_exit && wait_for 10 zemvar_ended && wait_for 10 tray_gone; then
  code=0
  wait "$zemvar_pid" 2>/dev/null || code=$?
  [ $code = 0 ] && exit_ok=yes
fi

base_rss=$(( base_rss_n ? base_rss_sum / base_rss_n : 0 ))
end_rss=$(( end_rss_n ? end_rss_sum / end_rss_n : 0 ))
growth=$(awk -v a=$base_rss -v b=$end_rss 'BEGIN { printf "%.2f", a ? (b - a) * 100 / a : 0 }')
echo "soak: $duration s at a 1 s interval, chaos every ~$chaos_every ms, quit chance $chaos_exit/1000"
echo "soak: checks done $checks (worker threads seen $threads_seen), connect commands $commands, box and control clicks $clicks"
echo "soak: dialer starts $starts (chaos quits $chaos_exits), simulators left running $sims"
echo "soak: crashes $crashes${crash_why:+ ($crash_why)}"
echo "soak: threads baseline $base_threads, end $end_threads, most $max_threads"
echo "soak: RSS baseline $base_rss kB, end $end_rss kB, most $max_rss kB, growth $growth %"
echo "soak: Exit from the tray menu afterwards ended the process${code:+ (code $code)} and removed the icon: $exit_ok"
cp "$journal" "$(dirname "$WINEPREFIX")/$test_name-journal.txt"

[ $crashes = 0 ] || fail "crash: $crash_why"
[ "$end_threads" -le $((base_threads + thread_margin)) ] ||
  fail "threads grew from $base_threads to $end_threads (margin $thread_margin)"
awk -v g="$growth" -v m="$max_rss_growth" 'BEGIN { exit !(g <= m) }' ||
  fail "RSS grew $growth % (bound $max_rss_growth %)"
[ "$checks" -ge $((seconds / 4)) ] || fail "only $checks checks in $duration s"
[ "$starts" -ge "$chaos_exits" ] || fail "the dialer quit $chaos_exits times but was started only $starts times"
[ "$sims" -le 1 ] || fail "$sims simulators running: a check started the dialer while one ran"
[ $exit_ok = yes ] || fail "Exit from the tray menu did not end the process and remove the icon"
log "passed"
