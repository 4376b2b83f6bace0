#!/usr/bin/python3
"""Times the worksheet functions' computations in numpy/scipy on the same data sizes as
bench_worksheet_functions, for comparison (run with Debian's /usr/bin/python3)."""
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


if __name__ == "__main__":
    main()
