# Checking the tools and building the program. Sourced by bench/run and
# bench/profile; expects repo, bench_dir, note and die.

check_tools() {
  local tool missing=()
  for tool in wrk nginx webdis redis-server Xvfb xdotool xdpyinfo curl \
      taskset cmake ninja "$@"; do
    command -v "$tool" >/dev/null || missing+=("$tool")
  done
  [[ ${#missing[@]} -eq 0 ]] ||
    die "missing ${missing[*]}; scripts/setup --bench installs them"
}

# Configures and builds the target message-board in the build directory
# with the given CMake options.
build_program() {  # build dir, cmake options...
  local dir=$1
  shift
  note "== building message-board in $dir"
  cmake -S "$repo" -B "$dir" -G Ninja "$@" >"$bench_dir/cmake.log" 2>&1 ||
    { cat "$bench_dir/cmake.log" >&2; die "cmake failed"; }
  cmake --build "$dir" --target message-board >"$bench_dir/build.log" 2>&1 ||
    { tail -n 40 "$bench_dir/build.log" >&2; die "build failed"; }
}

# Runs the calling script again inside a network namespace of its own with
# only loopback up, so its ports never meet a program or test elsewhere on
# the machine and no packet can leave 127.0.0.1. Call it with "$0" "$@".
enter_own_network() {  # script, arguments...
  [[ -n "${BENCH_OWN_NETWORK:-}" ]] && return 0
  exec env BENCH_OWN_NETWORK=1 unshare --net -- \
    bash -c 'ip link set lo up && exec "$0" "$@"' "$@"
}
