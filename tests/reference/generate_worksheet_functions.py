#!/usr/bin/python3
"""Reference values for the worksheet-function cores, from independent implementations.

Run with Debian's Python (numpy, scipy, mpmath):
    /usr/bin/python3 tests/reference/generate_worksheet_functions.py
It writes tests/reference/data/worksheet_functions.json, which the C++ tests read; the tests
themselves need no Python.

References:
  * skewness and kurtosis: exact arithmetic (mpmath, 60 digits) on the very doubles the tests
    pass, cross-checked against scipy.stats.skew / kurtosis on the well-conditioned sets;
  * Pearson's coefficients: numpy's median and histogram;
  * exponential interpolation: the closed form F^(252/D) - 1 in mpmath;
  * cubic spline: scipy.interpolate.CubicSpline over the vertex index with a zero first
    derivative at the first vertex and a zero second derivative at the last;
  * exponentially weighted volatility: its definition evaluated in mpmath.
"""
import csv
import json
import math
import os
import sys

import mpmath
import numpy as np
from scipy import interpolate, stats

mpmath.mp.dps = 60
HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
NIST = os.environ.get("KV_NIST_DIR", os.path.join(ROOT, "..", "shared", "data", "nist"))


def mp(values):
    return [mpmath.mpf(v) for v in values]


def central(values):
    x = mp(values)
    n = len(x)
    mean = sum(x) / n
    return n, mean, [sum((v - mean) ** k for v in x) for k in (2, 3, 4)]


def skew_moment(values, population):
    n, _, (m2, m3, _) = central(values)
    if population:
        s = mpmath.sqrt(m2 / n)
        return float(m3 / s**3 / n)
    s = mpmath.sqrt(m2 / (n - 1))
    return float(mpmath.mpf(n) / ((n - 1) * (n - 2)) * m3 / s**3)


def kurt(values, population):
    n, _, (m2, _, m4) = central(values)
    if population:
        return float(m4 / (m2 / n) ** 2 / n)
    s2 = m2 / (n - 1)
    return float(mpmath.mpf(n) * (n + 1) / ((n - 1) * (n - 2) * (n - 3)) * m4 / s2**2
                 - mpmath.mpf(3) * (n - 1) ** 2 / ((n - 2) * (n - 3)))


def sd(values, population):
    n, _, (m2, _, _) = central(values)
    return mpmath.sqrt(m2 / (n if population else n - 1))


def pearson_median(values, population):
    n, mean, _ = central(values)
    return float(3 * (mean - mpmath.mpf(np.median(values))) / sd(values, population))


def on_an_edge(values, bins):
    """True when a value sits on an inner bin edge that numpy places elsewhere than the add-in:
    there two ways of rounding the edge may disagree about the value's bin, and such a case is
    no reference. The add-in counts each upper edge down from the maximum, hi - (k - b) w;
    where numpy's edges are those very doubles, a value on an edge goes to the upper bin in
    both, and the case stays."""
    lo, hi = min(values), max(values)
    width = (hi - lo) / bins
    ours = [hi - (bins - b) * width for b in range(1, bins)]
    if list(np.histogram_bin_edges(values, bins=bins, range=(lo, hi))[1:-1]) == ours:
        return False
    edges = [lo + b * width for b in range(1, bins)]
    return any(abs(v - e) <= 1e-9 * max(1.0, abs(e)) for v in values for e in edges)


def pearson_mode(values, population, bins):
    counts, edges = np.histogram(values, bins=bins, range=(min(values), max(values)))
    top = counts.max()
    if (counts == top).sum() > 1:
        return None
    b = int(np.argmax(counts))
    mode = (edges[b] + edges[b + 1]) / 2
    _, mean, _ = central(values)
    return float(3 * (mean - mpmath.mpf(mode)) / sd(values, population))


def simple_returns(prices):
    return [prices[i + 1] / prices[i] - 1 for i in range(len(prices) - 1)]


def read_column(path, column=0, skip_header=True):
    with open(path, newline="") as f:
        rows = list(csv.reader(f))
    if skip_header:
        rows = rows[1:]
    return [float(r[column]) for r in rows]


def statistics_cases():
    rng = np.random.default_rng(20261206)
    sets = {
        "small": [1.0, 2.0, 3.0, 4.0, 10.0],
        "four": [1.0, 2.0, 3.0, 4.0],
        # Values exactly on inner bin edges (edges that are whole numbers either way): with
        # 2 bins 0, 1, 1, 2, 3, 4 count 3 and 3, no mode; with 4 bins the 4s skip an empty bin.
        "edge_tie": [0.0, 1.0, 1.0, 2.0, 3.0, 4.0],
        "edge_skip": [0.0, 4.0, 4.0, 4.0, 5.0, 6.0, 7.0, 8.0],
        "normal50": rng.normal(0.0, 1.0, 50).tolist(),
        "lognormal200": rng.lognormal(0.0, 0.6, 200).tolist(),
        "student1000": rng.standard_t(5, 1000).tolist(),
        "dax_returns": simple_returns(read_column(os.path.join(ROOT, "data", "eu_stock_markets.csv"))[:400]),
    }
    for name in ("NumAcc1", "NumAcc2", "NumAcc3", "NumAcc4", "Michelso", "Mavro", "Lew"):
        with open(os.path.join(NIST, name + ".txt")) as f:
            sets[name] = [float(line) for line in f if line.strip()]

    cases = []
    for name, values in sets.items():
        well_conditioned = not name.startswith("NumAcc") and name != "Mavro"
        for population in (False, True):
            case = {
                "name": name,
                "population": population,
                "data": values,
                "skew_moment": skew_moment(values, population),
                "kurt": kurt(values, population) if len(values) >= 4 else None,
                "skew_median": pearson_median(values, population),
                "skew_mode": {},
            }
            if well_conditioned:  # scipy, in double precision, must agree on these
                assert math.isclose(case["skew_moment"], stats.skew(values, bias=population), rel_tol=1e-9)
                assert math.isclose(case["kurt"], stats.kurtosis(values, fisher=not population, bias=population),
                                    rel_tol=1e-9)
            for bins in sorted({2, 3, 5, 7, len(values) // 2}):
                if 2 <= bins <= len(values) // 2 and not on_an_edge(values, bins):
                    case["skew_mode"][str(bins)] = pearson_mode(values, population, bins)
            cases.append(case)
    return cases


def exponential(days, rates, d, years_flat):
    """The worksheet function's value (None where it gives #N/A)."""
    m = len(days)
    if d <= days[0]:
        return rates[0] if d < days[0] else float((1 + mpmath.mpf(rates[0])) - 1)
    if d <= days[-1]:
        k = next(i for i in range(m) if days[i] >= d)
        f0 = (1 + mpmath.mpf(rates[k - 1])) ** (mpmath.mpf(days[k - 1]) / 252)
        f1 = (1 + mpmath.mpf(rates[k])) ** (mpmath.mpf(days[k]) / 252)
        t = mpmath.mpf(d - days[k - 1]) / (days[k] - days[k - 1])
        f = f0 * (f1 / f0) ** t
        return float(f ** (mpmath.mpf(252) / d) - 1)
    if m < 3 or years_flat < 0:
        return None
    r = mp(rates)
    s1 = (r[-1] - r[-2]) / (days[-1] - days[-2])
    s2 = (r[-2] - r[-3]) / (days[-2] - days[-3])
    if s1 == 0:
        s = mpmath.mpf(0)
    else:
        a = abs(s1) if s2 == 0 else min(abs(s1), abs(abs(s1 / s2) * s1))
        s = a if s1 > 0 else -a
    n_days = math.trunc(years_flat * 252)
    m_days = math.trunc(2 * years_flat * 252)
    if days[-1] + n_days < d:
        rate = r[-1] + n_days * (s / 2)
    else:
        delta = d - days[-1]
        rate = r[-1] + (1 - mpmath.mpf(delta) / m_days) * (delta * s)
    return float(-rate)


def spline(days, rates, d):
    if d > days[-1]:
        return -rates[-1]
    if d < days[0]:
        return rates[0]
    index = np.arange(len(days), dtype=float)
    curve = interpolate.CubicSpline(index, rates, bc_type=((1, 0.0), (2, 0.0)))
    k = next((i for i in range(len(days)) if days[i] > d), len(days) - 1)
    t = (d - days[k - 1]) / (days[k] - days[k - 1])
    return float(curve((k - 1) + t))


def curve_cases():
    treasury = [(float(r[0]), int(r[1])) for r in csv.reader(open(os.path.join(ROOT, "data", "yield_curve.csv")))
                if r[0] != "rate"]
    curves = {
        "two": [(0.10, 21), (0.12, 63)],
        "three": [(0.10, 21), (0.11, 42), (0.12, 63)],
        "flattening": [(0.10, 21), (0.13, 42), (0.14, 84), (0.145, 126)],
        "steepening": [(0.15, 21), (0.145, 63), (0.14, 126), (0.12, 252)],
        "treasury": treasury,
    }
    cases = []
    for name, rows in curves.items():
        rates = [r for r, _ in rows]
        days = [d for _, d in rows]
        targets = sorted({1, 5, days[0], days[0] + 1, days[-1], days[-1] + 1, days[-1] + 21, 400, 2000, 9000}
                         | set(days) | {(a + b) // 2 for a, b in zip(days, days[1:])}
                         | {a + (b - a) // 3 for a, b in zip(days, days[1:])})
        targets = [d for d in targets if 1 <= d <= 32767]
        for years_flat in (0.0, 0.3, 1.0, 2.5):
            cases.append({
                "name": name, "rates": rates, "days": days, "years_flat": years_flat,
                "targets": targets,
                "exponential": [exponential(days, rates, d, years_flat) for d in targets],
                "spline": [spline(days, rates, d) for d in targets],
            })
    return cases


def ewv(values, lam, newest_first, kind, null_mean):
    x = mp(values if newest_first else list(reversed(values)))
    lam = mpmath.mpf(lam)
    if kind == "log":
        x = [mpmath.log(x[i] / x[i + 1]) for i in range(len(x) - 1)]
    elif kind == "simple":
        x = [x[i] / x[i + 1] - 1 for i in range(len(x) - 1)]
    n = len(x)
    mean = sum(x) / n
    c = 0 if null_mean else mean
    vol = mpmath.sqrt(sum((1 - lam) * lam**i * (x[i] - c) ** 2 for i in range(n)))
    if kind == "log":
        return [float(mpmath.expm1(vol)), float(mpmath.expm1(mean)), float(lam**n)]
    return [float(vol), float(mean), float(lam**n)]


def ewv_cases():
    prices = read_column(os.path.join(ROOT, "data", "eu_stock_markets.csv"), column=3)[:600]
    rng = np.random.default_rng(7)
    sets = {"three": [1.0, 2.0, 3.0], "ftse": prices, "noise": rng.normal(0.0, 0.01, 300).tolist()}
    cases = []
    for name, values in sets.items():
        for lam in (0.94, 0.5, 0.999999):
            for newest_first in (False, True):
                for kind, code in (("values", 0), ("log", 1), ("simple", -1)):
                    if kind != "values" and name == "noise":
                        continue  # returns of prices only
                    for null_mean in (False, True):
                        cases.append({"name": name, "data": values, "lambda": lam, "order": int(newest_first),
                                      "returns": code, "null_mean": int(null_mean),
                                      "expected": ewv(values, lam, newest_first, kind, null_mean)})
    return cases


def write_reference(name, out):
    """Writes `out` as tests/reference/data/`name`, the layout every generator's file has."""
    path = os.path.join(HERE, "data", name)
    with open(path, "w") as f:
        json.dump(out, f, indent=1)
        f.write("\n")
    print("wrote", path, file=sys.stderr)


def main():
    write_reference("worksheet_functions.json",
                    {"statistics": statistics_cases(), "curves": curve_cases(), "ewv": ewv_cases()})


if __name__ == "__main__":
    main()
