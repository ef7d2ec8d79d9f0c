#!/usr/bin/env bash
# Times a full download of the sample set from a stand-in data server into an
# empty local file (target: under 2 s). Builds a release tree without Qt in build-bench-noqt,
# starts quorvane-dataserver on a free loopback port with a fresh sample
# database, runs bench_e2e against it and stops the server.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build-bench-noqt}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUORVANE_BUILD_BENCH=ON -DQUORVANE_BUILD_TESTS=OFF \
  -DQUORVANE_BUILD_QT=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target quorvane-dataserver bench_e2e >/dev/null

work=$(mktemp -d)
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()')
"$build/server/quorvane-dataserver" --listen "127.0.0.1:$port" --db "$work/server.sqlite" --generate \
  2>"$work/server.log" &
server=$!
cleanup() {
  # The server's peak resident memory over the whole run, read just before it stops.
  if [[ -r "/proc/$server/status" ]]; then
    echo "server peak memory: $(awk '/^VmHWM/ {print $2, $3}' "/proc/$server/status")"
  fi
  kill "$server" 2>/dev/null || true
  wait "$server" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

for _ in $(seq 1 300); do
  if curl -sf "http://127.0.0.1:$port/Default" >/dev/null 2>&1; then break; fi
  sleep 0.1
done

# The peak memory printed at the end covers the downloads only, not the
# writing of the sample set (writing 5 to clear_refs resets the peak).
echo 5 >"/proc/$server/clear_refs" 2>/dev/null || true
QUORVANE_SERVER_HOST="127.0.0.1:$port" "$build/bench/bench_e2e" "$@"
