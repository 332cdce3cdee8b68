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
