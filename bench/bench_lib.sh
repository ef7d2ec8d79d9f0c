# Shared steps of the benchmark scripts (sourced): a release tree without Qt,
# a scratch folder removed on exit with the server it started, a free
# loopback port, the wait for a server's banner, and an earlier commit built
# beside the current one.

build=${BUILD_DIR:-build-bench-noqt}
server=""

# Configures the tree and builds the given targets.
bench_build() {
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUORVANE_BUILD_BENCH=ON -DQUORVANE_BUILD_TESTS=OFF \
    -DQUORVANE_BUILD_QT=OFF >/dev/null
  cmake --build "$build" -j4 --target "$@" >/dev/null
}

# The scratch folder $work; on exit the running server ($server) stops and the folder goes.
bench_workdir() {
  work=$(mktemp -d)
  trap bench_cleanup EXIT
}
bench_cleanup() {
  if [[ -n "$server" ]]; then kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; fi
  rm -rf "$work"
}

bench_free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()'
}

# Waits up to a minute until the server on the port answers its banner; false if it never does.
bench_wait_server() {
  for _ in $(seq 1 600); do
    if curl -sf "http://127.0.0.1:$1/Default" >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  return 1
}

# Builds commit REV in $work/build with the given targets (after --, files of
# this tree copied into it first, so both sides run the same benchmark code).
bench_build_before() {
  local rev=$1 bench=$2
  shift 2
  local copies=()
  while [[ $# -gt 0 && $1 != -- ]]; do copies+=("$1"); shift; done
  [[ $# -gt 0 ]] && shift
  mkdir "$work/src"
  git archive "$rev" | tar -x -C "$work/src"
  for file in "${copies[@]}"; do cp "$file" "$work/src/$file"; done
  cmake -S "$work/src" -B "$work/build" -DCMAKE_BUILD_TYPE=Release -DQUORVANE_BUILD_TESTS=OFF \
    -DQUORVANE_BUILD_BENCH="$bench" -DQUORVANE_BUILD_QT=OFF >/dev/null
  cmake --build "$work/build" -j4 --target "$@" >/dev/null
}
