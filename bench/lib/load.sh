# Running the client: Debian's wrk, one thread, 50 connections, loopback only,
# every request asking "Connection: close". Sourced by bench/run and
# bench/profile; expects bench_dir, on_client_cpus and note.

connections=50

# Runs wrk for a duration; its report goes to the named file.
run_wrk() {  # url, seconds, report file
  on_client_cpus wrk -t1 -c"$connections" -d"$2s" --latency \
    -H 'Connection: close' "$1" >"$3" 2>&1
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
