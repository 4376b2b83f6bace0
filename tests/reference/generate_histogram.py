#!/usr/bin/python3
"""Reference values for the histogram tool's numbers, from independent implementations.

Run with Debian's Python (numpy, scipy, mpmath):
    /usr/bin/python3 tests/reference/generate_histogram.py
It writes tests/reference/data/histogram.json, which the C++ tests read.

References:
  * mean, standard deviation, skewness and excess kurtosis: exact arithmetic (mpmath, 60
    digits) on the very doubles the tests pass, cross-checked with scipy.stats (bias=True for
    the population forms, bias=False for the sample forms) on the well-conditioned sets;
  * median: numpy.median;
  * bin counts: numpy.histogram with the bin edges passed explicitly (its bins are half-open
    but for the last, closed one, as the tool's);
  * per-bin mean and sample standard deviation: numpy on the values numpy.digitize puts in
    each bin.
"""
import csv
import json
import os

import mpmath
import numpy as np
from scipy import stats

mpmath.mp.dps = 60
HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))


def column(name):
    with open(os.path.join(ROOT, "data", "eu_stock_markets.csv")) as f:
        rows = list(csv.DictReader(f))
    return [float(r[name]) for r in rows]


def simple_returns(prices):
    return [prices[i + 1] / prices[i] - 1 for i in range(len(prices) - 1)]


def moments(x, population):
    v = [mpmath.mpf(a) for a in x]
    n = len(v)
    mean = sum(v) / n
    m2, m3, m4 = (sum((a - mean) ** k for a in v) for k in (2, 3, 4))
    s = mpmath.sqrt(m2 / n) if population else mpmath.sqrt(m2 / (n - 1))
    if population:
        skew = m3 / (s**3 * n)
        kurt = m4 / (s**4 * n) - 3
    else:
        skew = m3 / s**3 * n / ((n - 1) * (n - 2))
        kurt = (n * (n + 1) / ((n - 1) * (n - 2) * (n - 3)) * m4 / s**4
                - mpmath.mpf(3) * (n - 1) ** 2 / ((n - 2) * (n - 3)))
    return float(mean), float(s), float(skew), float(kurt)


def edges(x, k):
    lo, hi = min(x), max(x)
    w = (hi - lo) / k
    inner = [hi - (k - b) * w for b in range(1, k)]
    return [lo] + inner + [hi], w


def case(name, x, k, population, check_scipy=True):
    mean, s, skew, kurt = moments(x, population)
    if check_scipy:
        a = np.array(x)
        assert abs(stats.skew(a, bias=population) - skew) <= 1e-9 * max(1, abs(skew)), name
        assert abs(stats.kurtosis(a, bias=population) - kurt) <= 1e-9 * max(1, abs(kurt)), name
        assert abs(np.std(a, ddof=0 if population else 1) - s) <= 1e-12 * s, name
    e, w = edges(x, k)
    counts, _ = np.histogram(np.array(x), bins=np.array(e))
    # numpy.digitize gives bin numbers with the same half-open rule; the maximum goes to the
    # last bin.
    index = np.clip(np.digitize(np.array(x), np.array(e[1:-1]), right=False), 0, k - 1)
    bin_mean, bin_sd = [], []
    for b in range(k):
        values = np.array(x)[index == b]
        assert len(values) == counts[b], name
        bin_mean.append(float(values.mean()) if len(values) else 0.0)
        bin_sd.append(float(values.std(ddof=1)) if len(values) > 1 else 0.0)
    return {
        "name": name, "x": x, "k": k, "population": population,
        "mean": mean, "std_dev": s, "skewness": skew, "excess_kurtosis": kurt,
        "median": float(np.median(np.array(x))), "width": w, "edges": e,
        "counts": [int(c) for c in counts], "bin_mean": bin_mean, "bin_std_dev": bin_sd,
    }


def main():
    dax = column("DAX")
    ftse_returns = simple_returns(column("FTSE"))
    rng = np.random.default_rng(20261206)
    offset = list(1e7 + rng.normal(0, 0.01, 500))  # prices near 10^7 moving by cents
    cases = [
        case("DAX prices, 20 bins, sample", dax, 20, False),
        case("DAX prices, 7 bins, population", dax, 7, True),
        case("FTSE returns, 30 bins, sample", ftse_returns, 30, False),
        case("FTSE returns, 99 bins, population", ftse_returns, 99, True),
        case("offset data, 10 bins, sample", offset, 10, False, check_scipy=False),
        case("skewed gamma, 15 bins, sample", list(rng.gamma(2.0, 3.0, 2000)), 15, False),
    ]
    out = os.path.join(HERE, "data", "histogram.json")
    with open(out, "w") as f:
        json.dump({"cases": cases}, f, indent=1)
    print("wrote", out)


main()
