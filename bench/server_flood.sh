#!/usr/bin/env bash
# The stand-in data server under unauthenticated load (bench_server_flood):
# small-request latency and full-download time without load and under a flood
# of new-user requests from ten addresses, the bytes stored of oversized
# writes from one address, the sign-in after twelve wrong guesses, the rows
# one flooding address gets stored (and whether another address still is),
# small-request latency and a full download while thirty addresses hold
# sixteen trickling connections each; under sixty such addresses, how many
# slow uploads and late bodies of another address succeed; small requests
# and a full download beside 56 downloads read to 18 MB and then slowly; and
# whether requests are stored after a report flood filled the total and the
# operator deleted every stored row. Then what real users get (small
# requests, three slow uploads, two full downloads) beside 64 x 16 kept-alive
# connections (keepalive), 671 x 2 trickling connections (overflow), 354 x 1
# under a descriptor limit of 300 (overflow1), an address that reopens its 16
# connections every 0.5 s beside 17 x 14 trickling ones under that limit
# (hog), and 1,024 downloads read at 2 KB/s (slowread); keepalive and
# slowread run under a descriptor limit of 1,100, so that either server has
# about a thousand places. On a server of 40 places: newcomers beside 40
# addresses each holding a kept-alive connection (kept40); an office address
# reading six downloads beside 34 trickling addresses, its users, and then
# one of its downloads stalling (office); a kept-alive connection posting a
# report at 20 KB/s after 5 s idle while newcomers come (reuse). Last, folded
# header and trailer lines, a victim's password request, an address past its
# share asking, start dates out of range and the byte count after an INSERT OR
# REPLACE (small).
# With --before REV the server of that commit runs side by side: each round
# runs both servers in turn, each on a fresh copy of one sample database, and
# the after/before ratios are printed per round with their median last.
#
# Usage: bench/server_flood.sh [--before REV] [--rounds N] [--port P] [--flood-seconds S] [--slow-seconds S]
#                             [--slow-rounds N]   (rounds of slow, upload and halfread, default --rounds; 0: none)
#                             [--only MODES]      (comma-separated: speed,bytes,signin,shares,ledger,slow,upload,halfread,
#                                                  keepalive,overflow,overflow1,hog,slowread,kept40,office,reuse,
#                                                  small)
set -euo pipefail
cd "$(dirname "$0")/.."

before="" rounds=5 port=18221 flood=5 slow=10 slow_rounds="" only="speed,bytes,signin,shares,ledger,slow,upload,halfread,keepalive,overflow,overflow1,hog,slowread,kept40,office,reuse,small"
while [[ $# -gt 0 ]]; do
  case "$1" in
    --before) before=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --port) port=$2; shift 2 ;;
    --flood-seconds) flood=$2; shift 2 ;;
    --slow-seconds) slow=$2; shift 2 ;;
    --slow-rounds) slow_rounds=$2; shift 2 ;;
    --only) only=$2; shift 2 ;;
    *) echo "Unknown option $1" >&2; exit 2 ;;
  esac
done
if ss -ltn "( sport = :$port )" | grep -q LISTEN; then
  echo "Port $port is in use: choose another with --port" >&2
  exit 1
fi

source bench/bench_lib.sh
bench_build quorvane-dataserver bench_server_flood
flooder="$build/bench/bench_server_flood"
bench_workdir

declare -A binaries=([after]="$build/server/quorvane-dataserver")
names=(after)
if [[ -n "$before" ]]; then
  bench_build_before "$before" OFF -- quorvane-dataserver
  binaries[before]="$work/build/server/quorvane-dataserver"
  names=(before after)
fi

# Starts a server binary on a copy of the sample database (log dropped: one
# line per request would weigh on the flood).
# With $nofile set, the server runs under that descriptor limit (soft and hard);
# $server_args are further options of the server.
nofile=""
server_args=""
start_server() {
  # shellcheck disable=SC2086
  ${nofile:+prlimit --nofile="$nofile"} "$1" --listen "127.0.0.1:$port" --db "$work/run.sqlite" $server_args "${@:2}" \
    2>/dev/null &
  server=$!
  bench_wait_server "$port" && return 0
  echo "The server did not start" >&2
  exit 1
}
stop_server() {
  kill "$server"
  wait "$server" 2>/dev/null || true
  server=""
}
fresh_run() {
  rm -f "$work"/run.sqlite*
  cp "$work/sample.sqlite" "$work/run.sqlite"
  start_server "${binaries[$1]}"
}

# One sample database for every run.
start_server "${binaries[after]}" --generate
stop_server
mv "$work/run.sqlite" "$work/sample.sqlite"
rm -f "$work"/run.sqlite-*

url="http://127.0.0.1:$port/"
wanted() { [[ ",$only," == *",$1,"* ]]; }
# run_rounds MODE SECONDS ROUNDS FILE: each round runs the mode once per server, the lines kept in $work/FILE.
run_rounds() {
  wanted "$1" || return 0
  for round in $(seq 1 "$3"); do
    for name in "${names[@]}"; do
      fresh_run "$name"
      echo "round=$round server=$name $("$flooder" "$1" "$url" "$2")" | tee -a "$work/$4"
      stop_server
    done
  done
}
# run_once MODE [ARGS...]: the mode once per server on a fresh copy of the
# database, whose path is the first argument after the address.
run_once() {
  wanted "$1" || return 0
  for name in "${names[@]}"; do
    fresh_run "$name"
    echo "server=$name $("$flooder" "$1" "$url" "$work/run.sqlite" "${@:2}")"
    stop_server
  done
}
run_rounds speed "$flood" "$rounds" speed.txt
run_once bytes 3
wanted signin && for name in "${names[@]}"; do
  fresh_run "$name"
  echo "server=$name $("$flooder" signin "$url")"
  stop_server
done
run_once shares "$flood"
run_once ledger
run_rounds slow "$slow" "${slow_rounds:-$rounds}" slow.txt
run_rounds upload "$slow" "${slow_rounds:-$rounds}" upload.txt
run_rounds halfread "$slow" "${slow_rounds:-$rounds}" halfread.txt
places_rounds=${slow_rounds:-$rounds}
nofile=1100 run_rounds keepalive 15 "$places_rounds" keepalive.txt
run_rounds overflow 15 "$places_rounds" overflow.txt
nofile=300 run_rounds overflow1 15 "$places_rounds" overflow1.txt
nofile=300 run_rounds hog 15 "$places_rounds" hog.txt
nofile=1100 run_rounds slowread 15 "$places_rounds" slowread.txt
server_args="--max-connections 40" run_rounds kept40 0 "$places_rounds" kept40.txt
server_args="--max-connections 40" run_rounds office 10 "$places_rounds" office.txt
server_args="--max-connections 40" run_rounds reuse 0 "$places_rounds" reuse.txt
run_once small

[[ -s "$work/speed.txt" ]] && python3 - "$work/speed.txt" <<'EOF'
import statistics, sys
rows = {}
for line in open(sys.argv[1]):
    fields = dict(item.split("=", 1) for item in line.split())
    rows.setdefault(fields["round"], {})[fields["server"]] = {k: float(v) for k, v in fields.items()
                                                              if k not in ("round", "server")}
keys = ["quiet_small_ms_p50", "flood_small_ms_p50", "flood_small_ms_p99", "flood_small_ms_max", "quiet_download_s",
        "flood_download_s"]
def slowdown(r):  # the full download under the flood over the same server's unloaded download
    return r["flood_download_s"] / r["quiet_download_s"]
for name in ("before", "after"):
    runs = [r[name] for r in rows.values() if name in r]
    if runs:
        print(f"{name}: median " + " ".join(f"{k}={statistics.median(r[k] for r in runs):.3f}" for k in keys) +
              f" download_slowdown={statistics.median(slowdown(r) for r in runs):.2f}"
              f" failed_small_requests={sum(r['flood_small_failed'] for r in runs):.0f}"
              f" failed_downloads={sum(1 - r['flood_download_ok'] for r in runs):.0f} of {len(runs)}")
pairs = [r for r in rows.values() if "before" in r and "after" in r]
if pairs:
    # A failed request counts with the time it took to fail: its ratio is an upper bound.
    print("after/before, median of per-round ratios: " +
          " ".join(f"{k}={statistics.median(r['after'][k] / r['before'][k] for r in pairs):.4f}" for k in keys))
EOF
if [[ -s "$work/slow.txt" ]]; then
python3 - "$work/slow.txt" <<'EOF'
import statistics, sys
rows = {}
for line in open(sys.argv[1]):
    fields = dict(item.split("=", 1) for item in line.split())
    rows.setdefault(fields["server"], []).append({k: float(v) for k, v in fields.items() if k not in ("round", "server")})
keys = ["quiet_small_ms_p50", "slow_small_ms_p50", "slow_small_ms_p99", "slow_small_ms_max", "quiet_download_s",
        "slow_download_s"]
for name in ("before", "after"):
    if name in rows:
        runs = rows[name]
        print(f"slow connections, {name}: median " + " ".join(f"{k}={statistics.median(r[k] for r in runs):.3f}"
                                                             for k in keys) +
              f" failed_small_requests={sum(r['slow_small_failed'] for r in runs):.0f}"
              f" failed_downloads={sum(1 - r['slow_download_ok'] for r in runs):.0f} of {len(runs)}")
EOF
fi
# Medians per server of the figures of a mode run in rounds ("3/7" counts as 3).
summarise() {
  [[ -s "$work/$1" ]] || return 0
  python3 - "$work/$1" "$2" <<'EOF'
import statistics, sys
rows = {}
for line in open(sys.argv[1]):
    fields = dict(item.split("=", 1) for item in line.split())
    fields.pop("round")
    rows.setdefault(fields.pop("server"), []).append(fields)
for name in ("before", "after"):
    if name in rows:
        runs = rows[name]
        print(f"{sys.argv[2]}, {name} ({len(runs)} rounds): median " +
              " ".join(f"{k}={statistics.median(float(r[k].split('/')[0]) for r in runs):g}" for k in runs[0]))
EOF
}
summarise upload.txt "slow uploads beside sixty trickling addresses"
summarise halfread.txt "beside 56 downloads read in part"
summarise keepalive.txt "beside 64 x 16 kept-alive connections"
summarise overflow.txt "beside 671 x 2 trickling connections"
summarise overflow1.txt "beside 354 x 1 trickling connections, descriptor limit 300"
summarise hog.txt "beside an address reopening 16 connections every 0.5 s and 17 x 14 trickling ones, descriptor limit 300"
summarise slowread.txt "beside 1,024 downloads read at 2 KB/s"
summarise kept40.txt "40 places: newcomers beside 40 kept-alive connections of 40 addresses"
summarise office.txt "40 places: an office of six downloads beside 34 trickling addresses, then a stall"
summarise reuse.txt "40 places: a report at 20 KB/s on a connection idle 5 s, newcomers every 100 ms"
