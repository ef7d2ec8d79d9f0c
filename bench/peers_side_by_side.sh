#!/usr/bin/env bash
# The download and the work-data load side by side with the peers and floors
# of ../shared/peers (or $PEERS_DIR): a stand-in data server with the sample
# set on a free loopback port, then per round, in turn,
#   our full download into an empty file (bench_e2e download: steps 4 and 5),
#   py_download.py, the transport floor (curl_floor.sh) and the storage floor
#   (sqlite_floor on the rows of the round's replies),
#   our work-data load (bench_e2e load: step 6) and py_load.py on the file our
#   download wrote (median of three runs each).
# Printed per round: python/ours for both paths and ours/(curl + insert) for
# the download, then the medians of the per-round ratios. With --before REV,
# that commit is built with this bench_e2e.cpp and runs in each round too.
#
# Usage: bench/peers_side_by_side.sh [--before REV] [--rounds N (7)]
set -euo pipefail
cd "$(dirname "$0")/.."

before="" rounds=7
while [[ $# -gt 0 ]]; do
  case "$1" in
    --before) before=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    *) echo "Unknown option $1" >&2; exit 2 ;;
  esac
done
peers=${PEERS_DIR:-$(cd .. && pwd)/shared/peers}
if [[ ! -f "$peers/py_download.py" ]]; then
  echo "No peers in $peers (py_download.py missing): they are taken from ../shared/peers beside the" >&2
  echo "project, or from the folder that PEERS_DIR names." >&2
  exit 1
fi

source bench/bench_lib.sh
bench_build quorvane-dataserver bench_e2e
bench_workdir

g++ -O2 -std=c++20 "$peers/sqlite_floor.cpp" -lsqlite3 -o "$work/sqlite_floor"
declare -A e2e=([after]="$build/bench/bench_e2e")
names=(after)
if [[ -n "$before" ]]; then
  bench_build_before "$before" ON bench/bench_e2e.cpp -- bench_e2e
  e2e[before]="$work/build/bench/bench_e2e"
  names=(before after)
fi

port=$(bench_free_port)
"$build/server/quorvane-dataserver" --listen "127.0.0.1:$port" --db "$work/server.sqlite" --generate \
  2>"$work/server.log" &
server=$!
bench_wait_server "$port"
host="127.0.0.1:$port"
export QUORVANE_SERVER_HOST=$host
mkdir "$work/replies"
bash "$peers/curl_floor.sh" "$host" "$work/replies" >/dev/null

# The median of the first field after "key" on the lines printed by a command.
median_of() {
  python3 -c '
import statistics, sys
key = sys.argv[1]
values = [float(line.split()[line.split().index(key) + 1]) for line in sys.stdin if key in line.split()]
print(statistics.median(values))' "$1"
}

: >"$work/rounds.txt"
for round in $(seq 1 "$rounds"); do
  line="round=$round"
  for name in "${names[@]}"; do
    t=$("${e2e[$name]}" download "$work/$name" | median_of download_s)
    line+=" ${name}_download=$t"
  done
  line+=" py_download=$(python3 "$peers/py_download.py" "$host" "$work/py" | median_of python_steps_s)"
  line+=" curl=$(bash "$peers/curl_floor.sh" "$host" | awk '{s += $1} END {print s}')"
  line+=" insert=$("$work/sqlite_floor" "$work/replies/reply6.json" "$work/replies/reply7.json" "$work/floor.sqlite" 1 |
    median_of sqlite_floor_insert_commit_s)"
  for name in "${names[@]}"; do
    file="$work/$name/QVDBV4.sqlite"
    line+=" ${name}_load=$("${e2e[$name]}" load "$work/$name" 3 | median_of load_s)"
    line+=" py_load_${name}=$(python3 "$peers/py_load.py" "$file" 3 | median_of py_load_s)"
  done
  echo "$line" | tee -a "$work/rounds.txt"
done

python3 - "$work/rounds.txt" "${names[@]}" <<'EOF'
import statistics, sys
rounds = [dict((k, float(v)) for k, v in (item.split("=") for item in line.split()[1:])) for line in open(sys.argv[1])]
names = sys.argv[2:]
print("per round (download: python/ours, ours/floor; load: python/ours):")
for i, r in enumerate(rounds, 1):
    floor = r["curl"] + r["insert"]
    print(f"  round {i}: floor {floor:.3f} s (curl {r['curl']:.3f} + insert {r['insert']:.3f}); " + "; ".join(
        f"{n}: download {r[n + '_download']:.3f} s python/ours {r['py_download'] / r[n + '_download']:.2f}x "
        f"ours/floor {r[n + '_download'] / floor:.2f}x, load {r[n + '_load']:.4f} s "
        f"python/ours {r['py_load_' + n] / r[n + '_load']:.2f}x" for n in names))
for n in names:
    print(f"median {n}: download python/ours {statistics.median(r['py_download'] / r[n + '_download'] for r in rounds):.2f}x, "
          f"ours/floor {statistics.median(r[n + '_download'] / (r['curl'] + r['insert']) for r in rounds):.2f}x; "
          f"load python/ours {statistics.median(r['py_load_' + n] / r[n + '_load'] for r in rounds):.2f}x")
if "before" in names:
    print(f"median after/before: download {statistics.median(r['after_download'] / r['before_download'] for r in rounds):.3f}, "
          f"load {statistics.median(r['after_load'] / r['before_load'] for r in rounds):.3f}")
EOF
