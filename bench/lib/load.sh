# Running the client: Debian's wrk, one thread, 50 connections, loopback only,
# every request asking "Connection: close". Sourced by bench/run and
# bench/profile; expects bench_dir, on_client_cpus and note.

connections=50

# Runs wrk for a duration; its report goes to the named file.
run_wrk() {  # url, seconds, report file
  on_client_cpus wrk -t1 -c"$connections" -d"$2s" --latency \
    -H 'Connection: close' "$1" >"$3" 2>&1
}

# Like run_wrk, and prints three shares: of all CPUs, what other work on the
# machine took meanwhile (neither the servers this script started nor wrk);
# of one CPU, what wrk took, and what the servers took.
run_wrk_watched() {  # url, seconds, report file
  local busy0 own0 busy1 own1 wrk_cpu hz TIMEFORMAT='%3U %3S'
  hz=$(getconf CLK_TCK)
  busy0=$(machine_busy_jiffies) own0=$(own_jiffies)
  wrk_cpu=$({ time run_wrk "$@" 2>/dev/null; } 2>&1)
  busy1=$(machine_busy_jiffies) own1=$(own_jiffies)
  awk -v busy=$((busy1 - busy0)) -v own=$((own1 - own0)) -v hz="$hz" \
    -v wrk="$wrk_cpu" -v seconds="$2" -v cpus="$(nproc)" 'BEGIN {
      split(wrk, t, " ")
      client = (t[1] + t[2]) * hz
      other = busy - own - client
      if (other < 0) other = 0
      printf "%.3f %.3f %.3f\n", other / (seconds * hz * cpus),
        client / (seconds * hz), own / (seconds * hz)
    }'
}

# Runs wrk until `count` responses have arrived (or `seconds` have passed);
# its report goes to the named file.
run_wrk_count() {  # url, count, seconds, report file
  local done_file="$4.done" wrk_pid
  rm -f "$done_file"
  BENCH_RESPONSES=$2 BENCH_DONE_FILE=$done_file \
    taskset -c "$client_cpus" wrk -t1 -c"$connections" -d"$3s" \
    -s "$bench_lib/count.lua" "$1" >"$4" 2>&1 &
  wrk_pid=$!
  while kill -0 "$wrk_pid" 2>/dev/null && [[ ! -e "$done_file" ]]; do
    sleep 0.2
  done
  kill -INT "$wrk_pid" 2>/dev/null || true
  wait "$wrk_pid" || true
}

# Prints the HTTP status code of one plain request to url.
status_of() {  # url
  curl -s -o /dev/null -w '%{http_code}' --max-time 5 -H 'Connection: close' "$1"
}

body_of() {  # url
  curl -s --max-time 5 -H 'Connection: close' "$1"
}

# User and system CPU time (jiffies) of the whole machine so far.
machine_busy_jiffies() {
  awk '/^cpu / { print $2 + $3 + $4 }' /proc/stat
}

# CPU time (jiffies) used so far by the processes this script started and
# their children (nginx' worker), from /proc/PID/stat.
own_jiffies() {
  local pid pids=() total=0 fields
  for pid in "${started_pids[@]}"; do
    pids+=("$pid" $(pgrep -P "$pid" || true))
  done
  for pid in "${pids[@]}"; do
    [[ -r /proc/$pid/stat ]] || continue
    fields=$(sed 's/^.*) //' "/proc/$pid/stat")
    read -r -a fields <<<"$fields"
    total=$((total + fields[11] + fields[12]))
  done
  echo "$total"
}

# Waits until the servers are quiet (together under 5% of one CPU over half
# a second), so that none still working off the last load slows the next
# one; at most the given number of seconds. Other work on the machine is not
# waited for.
wait_until_idle() {  # seconds
  local deadline=$((SECONDS + $1)) before after hz
  hz=$(getconf CLK_TCK)
  while ((SECONDS < deadline)); do
    before=$(own_jiffies)
    sleep 0.5
    after=$(own_jiffies)
    (((after - before) * 40 <= hz)) && return 0
  done
  note "   (the servers were still busy after $1 s)"
}

# Waits until the whole machine is quiet (under 10% of all CPUs busy over a
# second), at most the given number of seconds and at most what is left of
# quiet_budget (seconds, shared by all calls), so that runs start between
# other people's builds where there are such gaps. Prints nothing.
wait_for_quiet_machine() {  # seconds
  local deadline=$((SECONDS + $1)) busy0 busy1 hz started=$SECONDS
  hz=$(getconf CLK_TCK)
  while ((SECONDS < deadline && quiet_budget > 0)); do
    busy0=$(machine_busy_jiffies)
    sleep 1
    busy1=$(machine_busy_jiffies)
    (((busy1 - busy0) * 10 < hz * $(nproc))) && break
  done
  quiet_budget=$((quiet_budget - (SECONDS - started)))
}
