#!/usr/bin/python3
"""Series statistics side by side with numpy on the same data.

Usage: stats_vs_numpy.py BENCH_STATISTICS DATA_DIR [ROUNDS [BASELINE_BENCH_STATISTICS]]

DATA_DIR holds the data set that bench_statistics writes with
QUORVANE_STATS_DUMP (40 countries of N business-day levels and their N-1
returns, for N = 1,000 and 20,000). Each round runs the bench_statistics cases
once and then their numpy equivalents over the same 40 series, and prints
numpy's time divided by ours per case (above 1: ours is faster); the last
table gives the median of the per-round ratios. With a baseline (another
build of bench_statistics, say from an earlier commit), every round runs both
builds against the same numpy timings, and the tables give "baseline -> ours".

The numpy forms produce what our functions produce (dated series where ours
return one, a figure where ours return one) the way a numpy user writes them:
vectorised, rolling windows from cumulative sums and products (O(n), not
window by window), without our guards for zero prices or constant series.
"""

import datetime
import json
import statistics
import subprocess
import sys
import time

import numpy as np

COUNTRIES = 40
SIZES = (1000, 20000)
PERIODS = 260.0  # daily: frequency code 2
EPOCH = datetime.date(1899, 12, 30)


def load(data_dir, kind, n):
    points = n if kind == "levels" else n - 1
    raw = np.fromfile(f"{data_dir}/{kind}_{n}.f64", dtype=np.float64)
    return raw.reshape(COUNTRIES, points, 2)


def other(c):
    return (c + 1) % COUNTRIES


def window_start(dates):
    """k of the trailing one-year windows: one less than the position of the
    first point dated after the first day of the first date's month a year later."""
    first = EPOCH + datetime.timedelta(days=int(dates[0]))
    boundary = (datetime.date(first.year + 1, first.month, 1) - EPOCH).days
    return int(np.searchsorted(dates, boundary, side="right")) - 1


def returns(levels, c):
    p = levels[c]
    out = np.empty((len(p) - 1, 2))
    out[:, 0] = p[1:, 0]
    np.divide(p[1:, 1], p[:-1, 1], out=out[:, 1])
    out[:, 1] -= 1.0
    return out


def align(levels, c):
    a, b = levels[c], levels[other(c)]
    first, last = max(a[0, 0], b[0, 0]), min(a[-1, 0], b[-1, 0])
    ia, ja = np.searchsorted(a[:, 0], first, "left"), np.searchsorted(a[:, 0], last, "right")
    ib, jb = np.searchsorted(b[:, 0], first, "left"), np.searchsorted(b[:, 0], last, "right")
    out = np.empty((ja - ia, 2))
    out[:, 0] = a[ia:ja, 0]
    out[:, 1] = b[ib:jb, 1]
    return out


def drawdown_values(r):
    index = np.cumprod(1.0 + r[:, 1])
    peak = np.maximum.accumulate(np.maximum(index, 1.0))
    return index / peak - 1.0


def drawdown(rets, c):
    r = rets[c]
    out = np.empty((len(r) + 1, 2))
    out[0] = (r[0, 0] - 1.0, 0.0)  # one period before the first return
    out[1:, 0] = r[:, 0]
    out[1:, 1] = drawdown_values(r)
    return out


def rolling_returns(rets, c):
    r = rets[c]
    k = window_start(r[:, 0])
    growth = np.concatenate(([1.0], np.cumprod(1.0 + r[:, 1])))
    out = np.empty((len(r) - k, 2))
    out[:, 0] = r[k:, 0]
    out[:, 1] = growth[k + 1:] / growth[: len(r) - k] - 1.0
    return out


def rolling_volatility(rets, c):
    r = rets[c]
    k = window_start(r[:, 0])
    v = r[:, 1]
    s1 = np.concatenate(([0.0], np.cumsum(v)))
    s2 = np.concatenate(([0.0], np.cumsum(v * v)))
    w = k + 1
    mean = (s1[w:] - s1[: len(v) - k]) / w
    var = (s2[w:] - s2[: len(v) - k]) / w - mean * mean
    out = np.empty((len(v) - k, 2))
    out[:, 0] = r[k:, 0]
    out[:, 1] = np.sqrt(np.maximum(var, 0.0)) * np.sqrt(PERIODS)
    return out


def max_drawdown(rets, c):
    return min(float(drawdown_values(rets[c]).min()), 0.0)


def volatility(rets, c):
    return float(np.std(rets[c][:, 1])) * np.sqrt(PERIODS)


def centred(rets, c):
    a, b = rets[other(c)][:, 1], rets[c][:, 1]
    return a - a.mean(), b - b.mean()


def correlation(rets, c):
    da, db = centred(rets, c)
    return float(da @ db) / np.sqrt(float(da @ da) * float(db @ db))


def beta(rets, c):
    da, db = centred(rets, c)
    return float(da @ db) / float(da @ da)


# Our case name -> (numpy form, input kind).
CASES = {
    "ComputeReturns": (returns, "levels"),
    "AlignSeriesOnCommonRange": (align, "levels"),
    "DrawdownSeries": (drawdown, "returns"),
    "RollingOneYearReturns": (rolling_returns, "returns"),
    "RollingOneYearVolatility": (rolling_volatility, "returns"),
    "MaxDrawdown": (max_drawdown, "returns"),
    "AnnualizedVolatility": (volatility, "returns"),
    "Correlation": (correlation, "returns"),
    "Beta": (beta, "returns"),
}


def numpy_us(fn, data, min_seconds=0.2):
    """Mean microseconds of one pass over the 40 countries."""
    passes = 0
    start = time.perf_counter()
    while True:
        for c in range(COUNTRIES):
            fn(data, c)
        passes += 1
        elapsed = time.perf_counter() - start
        if elapsed >= min_seconds and passes >= 3:
            return elapsed / passes * 1e6


def ours_us(bench):
    names = "|".join(CASES)
    sizes = "|".join(str(n) for n in SIZES)
    result = subprocess.run(
        [bench, f"--benchmark_filter=BM_({names})/({sizes})$", "--benchmark_format=json",
         "--benchmark_min_time=0.2"],
        check=True, capture_output=True, text=True)
    times = {}
    for b in json.loads(result.stdout)["benchmarks"]:
        if b.get("run_type") == "aggregate" or "/" not in b["name"]:
            continue  # the complexity fits
        name, size = b["name"][3:].split("/")
        scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3}[b["time_unit"]]
        times[(name, int(size))] = b["real_time"] * scale
    return times


def table(title, rows):
    print(title)
    print(f"  {'case':<26}" + "".join(f"{n:>14,}" for n in SIZES))
    for name in CASES:
        print(f"  {name:<26}" + "".join(rows[(name, n)] for n in SIZES))


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    bench, data_dir = sys.argv[1], sys.argv[2]
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 5
    baseline = sys.argv[4] if len(sys.argv) > 4 else None
    data = {(kind, n): load(data_dir, kind, n) for kind in ("levels", "returns") for n in SIZES}
    keys = [(name, n) for name in CASES for n in SIZES]
    ratios = {key: [] for key in keys}
    base_ratios = {key: [] for key in keys}
    for r in range(1, rounds + 1):
        base = ours_us(baseline) if baseline else None
        ours = ours_us(bench)
        cells = {}
        for name, (fn, kind) in CASES.items():
            for n in SIZES:
                theirs = numpy_us(fn, data[(kind, n)])
                ratio = theirs / ours[(name, n)]
                ratios[(name, n)].append(ratio)
                cells[(name, n)] = f"{ours[(name, n)]:>8.0f} {ratio:>4.1f}x"
                if base:
                    base_ratios[(name, n)].append(theirs / base[(name, n)])
                    cells[(name, n)] = f"{base_ratios[(name, n)][-1]:>5.1f} ->{ratio:>5.1f}x"
        table(f"round {r}: " + ("numpy time / baseline -> numpy time / ours" if base
                                else "our us per 40 series, numpy time / ours"), cells)
    medians = {key: f"{statistics.median(values):>13.2f}x" for key, values in ratios.items()}
    if baseline:
        medians = {key: f"{statistics.median(base_ratios[key]):>6.2f} ->{statistics.median(ratios[key]):>5.2f}x"
                   for key in keys}
    table(f"median of {rounds} rounds, numpy time / ours (above 1: ours faster)"
          + (", baseline -> ours" if baseline else ""), medians)


if __name__ == "__main__":
    main()
