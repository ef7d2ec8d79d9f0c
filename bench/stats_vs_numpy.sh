#!/usr/bin/env bash
# Series statistics against numpy on the same data: builds bench_statistics
# (Release, in build-bench), has it write its data set (40 countries x 1,000
# and 20,000 points), then runs its cases and their numpy equivalents in turn
# for ROUNDS rounds (default 5) and prints, per round and as the median over
# the rounds, numpy's time divided by ours (above 1: ours is faster).
# BASELINE=path/to/bench_statistics (another build, say of an earlier commit)
# runs that build too in every round, against the same numpy timings.
# numpy: Debian's python3-numpy under /usr/bin/python3.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build-bench}
rounds=${1:-5}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUORVANE_BUILD_BENCH=ON -DQUORVANE_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j 4 --target bench_statistics >/dev/null

data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
QUORVANE_STATS_DUMP="$data" "$build/bench/bench_statistics"
/usr/bin/python3 bench/stats_vs_numpy.py "$build/bench/bench_statistics" "$data" "$rounds" ${BASELINE:+"$BASELINE"}
