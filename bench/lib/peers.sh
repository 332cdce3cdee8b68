# Starting and stopping the servers under test, each on a loopback port, all
# inside one temporary directory. Sourced by bench/run and bench/profile;
# expects bench_dir (the temporary directory) to be set.

program_port=19730
nginx_port=18080
redis_port=16379
webdis_port=17379
display_number=73
message=abcd

server_cpus=${BENCH_SERVER_CPUS:-0}
client_cpus=${BENCH_CLIENT_CPUS:-1}

started_pids=()

note() { printf '%s\n' "$*" >&2; }
die() { note "bench: $*"; exit 1; }

remember_pid() { started_pids+=("$1"); }

# Ends every process this script started, newest first, each by its id.
stop_started() {
  local i pid
  for ((i = ${#started_pids[@]} - 1; i >= 0; i--)); do
    pid=${started_pids[i]}
    kill "$pid" 2>/dev/null || continue
    for _ in $(seq 50); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
  done
  started_pids=()
}

on_client_cpus() { taskset -c "$client_cpus" "$@"; }

# Starts a server in the background on the servers' CPUs; its output goes to
# the named file and its process id is kept for stop_started.
spawn_server() {  # output file, command...
  local output=$1
  shift
  taskset -c "$server_cpus" "$@" >"$output" 2>&1 &
  remember_pid $!
}

port_is_listening() {  # port
  ss -Hltn "sport = :$1" | grep -q LISTEN
}

wait_for_port() {  # port, name
  for _ in $(seq 300); do
    port_is_listening "$1" && return 0
    sleep 0.1
  done
  die "$2 does not listen on port $1"
}

require_free_port() {  # port, name
  port_is_listening "$1" && die "port $1 for $2 is already taken"
  return 0
}

# --- the program, from a temporary copy, under Xvfb -------------------------

start_display() {
  spawn_server "$bench_dir/xvfb.log" \
    Xvfb ":$display_number" -screen 0 1024x768x24 -nolisten tcp
  export DISPLAY=":$display_number"
  for _ in $(seq 100); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  die "Xvfb did not start"
}

# Copies the executable to bench_dir/bin, so its store file lands in bench_dir.
install_program_copy() {  # built executable
  mkdir -p "$bench_dir/bin"
  cp "$1" "$bench_dir/bin/message-board"
  program_store="$bench_dir/bin存储文本.txt"
}

start_program() {  # [command prefix, e.g. valgrind...]
  require_free_port "$program_port" message-board
  spawn_server "$bench_dir/program.log" "$@" "$bench_dir/bin/message-board"
  program_pid=${started_pids[-1]}
  wait_for_port "$program_port" message-board
}

program_window() {
  local window
  for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --pid "$program_pid" 2>/dev/null |
      head -n 1)
    [[ -n "$window" ]] && { echo "$window"; return 0; }
    sleep 0.1
  done
  die "no visible window of message-board"
}

# Clicks the log page header so the log box is the page that draws.
show_log_page() {
  local window
  window=$(program_window)
  xdotool mousemove --window "$window" 239 90 click 1
  sleep 0.5
  screenshot log-page
}

# A picture of the whole display in bench_dir, for a look with BENCH_KEEP=1.
screenshot() {  # name
  if command -v import >/dev/null; then
    import -window root "$bench_dir/$1.png" 2>/dev/null || true
  fi
}

stop_program() {
  kill "$program_pid" 2>/dev/null || true
  wait "$program_pid" 2>/dev/null || true
  for _ in $(seq 50); do
    port_is_listening "$program_port" || return 0
    sleep 0.1
  done
}

program_rss_kib() {
  awk '/^VmRSS:/ { print $2 }' "/proc/$program_pid/status"
}

# The program with its log page current, pinned like the other servers.
start_program_on_display() {
  start_program
  show_log_page
}

# Publishes the message to each named server once, so queries find it.
publish_message() {  # server...
  local server
  for server; do
    [[ $(status_of "$(publish_url "$server")") == 200 ]] ||
      die "publishing to $server failed"
  done
}

# --- nginx: one worker, the message as a static file ------------------------

start_nginx() {
  require_free_port "$nginx_port" nginx
  mkdir -p "$bench_dir/nginx/www"
  printf '%s' "$message" >"$bench_dir/nginx/www/message"
  cat >"$bench_dir/nginx/nginx.conf" <<CONF
daemon off;
master_process on;
worker_processes 1;
user root;
pid $bench_dir/nginx/nginx.pid;
error_log $bench_dir/nginx/error.log;
events { worker_connections 1024; }
http {
  sendfile on;
  tcp_nopush on;
  types_hash_max_size 2048;
  include /etc/nginx/mime.types;
  default_type application/octet-stream;
  access_log $bench_dir/nginx/access.log;
  client_body_temp_path $bench_dir/nginx/body;
  proxy_temp_path $bench_dir/nginx/proxy;
  fastcgi_temp_path $bench_dir/nginx/fastcgi;
  uwsgi_temp_path $bench_dir/nginx/uwsgi;
  scgi_temp_path $bench_dir/nginx/scgi;
  server {
    listen 127.0.0.1:$nginx_port;
    root $bench_dir/nginx/www;
  }
}
CONF
  spawn_server "$bench_dir/nginx/stdout.log" \
    nginx -e "$bench_dir/nginx/error.log" -c "$bench_dir/nginx/nginx.conf"
  wait_for_port "$nginx_port" nginx
}

# --- Webdis with redis-server: one thread ------------------------------------

start_webdis() {
  require_free_port "$redis_port" redis-server
  require_free_port "$webdis_port" webdis
  mkdir -p "$bench_dir/redis"
  spawn_server "$bench_dir/redis/stdout.log" \
    redis-server --bind 127.0.0.1 --port "$redis_port" --save '' \
    --appendonly no --daemonize no --dir "$bench_dir/redis" \
    --logfile "$bench_dir/redis/redis.log"
  wait_for_port "$redis_port" redis-server
  cat >"$bench_dir/webdis.json" <<CONF
{
  "redis_host": "127.0.0.1",
  "redis_port": $redis_port,
  "http_host": "127.0.0.1",
  "http_port": $webdis_port,
  "threads": 1,
  "daemonize": false,
  "database": 0,
  "verbosity": 3,
  "logfile": "$bench_dir/webdis.log"
}
CONF
  spawn_server "$bench_dir/webdis.stdout" webdis "$bench_dir/webdis.json"
  wait_for_port "$webdis_port" webdis
}

# --- the URLs each measurement asks for --------------------------------------

query_url() {  # server
  case $1 in
    program) echo "http://127.0.0.1:$program_port/chaxun" ;;
    nginx) echo "http://127.0.0.1:$nginx_port/message" ;;
    webdis) echo "http://127.0.0.1:$webdis_port/GET/key" ;;
  esac
}

publish_url() {  # server
  case $1 in
    program) echo "http://127.0.0.1:$program_port/fabu=$message" ;;
    webdis) echo "http://127.0.0.1:$webdis_port/SET/key/$message" ;;
  esac
}
