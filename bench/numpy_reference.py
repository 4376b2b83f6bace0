#!/usr/bin/python3
"""Times the worksheet functions' computations in numpy/scipy on the same data sizes as
bench_worksheet_functions, for comparison (run with Debian's /usr/bin/python3).

    /usr/bin/python3 bench/numpy_reference.py [build/default/bin/bench_worksheet_functions]

Given the benchmark program (or finding it in build/default), it also runs KV.SKEW's two
Pearson forms at 10^6 cells and prints their time per cell beside numpy's median's, each the
best of five repetitions in the same run."""
import json
import os
import subprocess
import sys
import timeit

import numpy as np
from scipy import interpolate, stats


def best(stmt, number):
    return min(timeit.repeat(stmt, number=number, repeat=5)) / number


def ewv(x, lam=0.94):
    y = x[::-1]
    w = (1 - lam) * lam ** np.arange(y.size)
    mean = y.mean()
    return np.sqrt(np.sum(w * (y - mean) ** 2)), mean, lam ** y.size


HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_BENCH = os.path.join(HERE, "..", "build", "default", "bin", "bench_worksheet_functions")
PEARSON = (("KV.SKEW Tipo 1 (mode, 20 bins)", "SkewMode/1000000"),
           ("KV.SKEW Tipo 2 (median)", "SkewMedian/1000000"))


def pearson_side_by_side(bench):
    """ns per cell at 10^6 cells: KV.SKEW's Pearson forms (best real time of 5 repetitions)
    and numpy's median (best of 5) on normal data of the same size."""
    out = subprocess.run([bench, "--benchmark_filter=^Skew(Mode|Median)/1000000$",
                          "--benchmark_format=json", "--benchmark_repetitions=5",
                          "--benchmark_min_time=0.2"], capture_output=True, text=True, check=True)
    ours = {}
    for b in json.loads(out.stdout)["benchmarks"]:
        if b.get("run_type") != "iteration":
            continue
        ns = b["real_time"] * {"ns": 1.0, "us": 1e3, "ms": 1e6}[b["time_unit"]] / 1e6
        ours[b["run_name"]] = min(ours.get(b["run_name"], float("inf")), ns)
    x = np.random.default_rng(42).normal(0.0, 0.01, 10**6)
    numpy_median = best(lambda: np.median(x), 1) / 10**6 * 1e9
    print(f"\n{'Pearson forms at 10^6 cells':32} {'ns/cell':>9}")
    for label, name in PEARSON:
        print(f"{label:32} {ours[name]:>9.2f}")
    print(f"{'numpy median':32} {numpy_median:>9.2f}")


def main():
    rng = np.random.default_rng(42)
    print(f"{'computation':32} {'cells':>9} {'ns/cell':>9}")
    for n in (10**3, 10**5, 10**6):
        x = rng.normal(0.0, 0.01, n)
        number = max(1, 10**6 // n)
        for name, stmt in (("scipy.stats.skew (bias=False)", lambda: stats.skew(x, bias=False)),
                           ("scipy.stats.kurtosis (bias=False)", lambda: stats.kurtosis(x, bias=False)),
                           ("numpy EWV", lambda: ewv(x)),
                           ("numpy median (Pearson 2)", lambda: np.median(x))):
            print(f"{name:32} {n:>9} {best(stmt, number) / n * 1e9:>9.2f}")
    print(f"\n{'computation':32} {'vertices':>9} {'us/call':>9}")
    for m in (10, 100, 1000):
        days = 21.0 * np.arange(1, m + 1)
        rates = 0.10 + 0.02 * np.arange(m) / m
        d = days[m // 2] + 7

        def exponential():
            k = np.searchsorted(days, d)
            log_f = days / 252 * np.log1p(rates)
            t = (d - days[k - 1]) / (days[k] - days[k - 1])
            return np.expm1((log_f[k - 1] + t * (log_f[k] - log_f[k - 1])) * 252 / d)

        def spline():
            return interpolate.CubicSpline(np.arange(m), rates, bc_type=((1, 0.0), (2, 0.0)))(m / 2 + 0.3)

        print(f"{'numpy exponential interpolation':32} {m:>9} {best(exponential, 2000) * 1e6:>9.2f}")
        print(f"{'scipy CubicSpline (build + eval)':32} {m:>9} {best(spline, 200) * 1e6:>9.2f}")
    bench = sys.argv[1] if len(sys.argv) > 1 else DEFAULT_BENCH
    if os.path.exists(bench):
        pearson_side_by_side(bench)


if __name__ == "__main__":
    main()
