#!/usr/bin/env bash
# Times a full download of the sample set from a stand-in data server into an
# empty local file (target: under 2 s). Builds a release tree without Qt in
# build-bench-noqt, starts quorvane-dataserver on a free loopback port with a
# fresh sample database, runs bench_e2e against it and stops the server.
set -euo pipefail
cd "$(dirname "$0")/.."

source bench/bench_lib.sh
bench_build quorvane-dataserver bench_e2e
bench_workdir
port=$(bench_free_port)
"$build/server/quorvane-dataserver" --listen "127.0.0.1:$port" --db "$work/server.sqlite" --generate \
  2>"$work/server.log" &
server=$!
# The server's peak resident memory over the whole run, read just before it stops.
peak_then_cleanup() {
  if [[ -r "/proc/$server/status" ]]; then
    echo "server peak memory: $(awk '/^VmHWM/ {print $2, $3}' "/proc/$server/status")"
  fi
  bench_cleanup
}
trap peak_then_cleanup EXIT
bench_wait_server "$port"

# The peak memory printed at the end covers the downloads only, not the
# writing of the sample set (writing 5 to clear_refs resets the peak).
echo 5 >"/proc/$server/clear_refs" 2>/dev/null || true
QUORVANE_SERVER_HOST="127.0.0.1:$port" "$build/bench/bench_e2e" "$@"
