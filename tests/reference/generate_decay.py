#!/usr/bin/python3
"""Reference values for the best-decay tool's sheet, from independent implementations.

Run with Debian's Python (numpy):
    /usr/bin/python3 tests/reference/generate_decay.py
It writes tests/reference/data/decay.json, which the C++ tests read.

Each case is a column of cells as the tool reads them (sheet order) with the dialog's settings,
and what the sheet must show:
  * the series prepared as the tool does (reversed for newest-first data; simple returns
    x(i+1)/x(i) - 1 or log returns ln(x(i+1)/x(i)) of prices), its length N;
  * the decay search written out literally: the grid by a running sum of 0.005, every variance
    summed in full over x(0..t) about the mean of x(0..t) with math.fsum (or run by the
    zero-mean recursion), and the stability of a decay as numpy's sample variance (ddof=1) of
    the changes of the variance;
  * the RiskMetrics forecast criterion, vectorised over the 200 decays 0.800 .. 0.999: the
    forecast started from the mean of the first 20 squared values about the mean of the whole
    series (numpy.mean) or about 0, scored from t = 20 on by the root mean squared error.
"""
import csv
import json
import math
import os

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
TOLERANCES = [0.01, 0.005, 0.001, 0.0005, 0.0001, 0.00005, 0.00001, 0.000005, 0.000001]


def column(name, count):
    with open(os.path.join(ROOT, "data", "eu_stock_markets.csv")) as f:
        rows = list(csv.DictReader(f))
    return [float(r[name]) for r in rows[:count]]


def prepare(cells, reverse, returns, log):
    x = list(reversed(cells)) if reverse else list(cells)
    if returns:
        if log:
            x = [math.log(x[i + 1] / x[i]) for i in range(len(x) - 1)]
        else:
            x = [x[i + 1] / x[i] - 1 for i in range(len(x) - 1)]
    return x


def window(ln_tol, lam):
    return math.floor(ln_tol / math.log(lam) + 0.5)


def stability(x, lam, m, zero_mean):
    """Sample variance of the changes of the exponentially weighted variance after the window."""
    n = len(x)
    xs = np.array(x)

    def full(t):
        head = xs[: t + 1]
        c = 0.0 if zero_mean else math.fsum(head) / (t + 1)
        powers = lam ** np.arange(t, -1, -1, dtype=float)
        return math.fsum((1 - lam) * (head - c) ** 2 * powers)

    v = full(m - 1)
    changes = []
    for t in range(m, n):
        nxt = lam * v + (1 - lam) * x[t] ** 2 if zero_mean else full(t)
        changes.append(nxt - v)
        v = nxt
    return float(np.var(np.array(changes), ddof=1))


def search(x, tol, zero_mean):
    n = len(x)
    ln_tol = math.log(tol)
    lam_hat = math.exp(ln_tol / (n - 29))
    lam_max = math.floor(100 * lam_hat) / 100
    if lam_hat - lam_max >= 0.005:
        lam_max += 0.005
    lam = 0.005
    while ln_tol / math.log(lam) < 10:
        lam += 0.005
    grid = []
    while lam <= lam_max:
        m = window(ln_tol, lam)
        assert m + 2 <= n
        grid.append((lam, m, stability(x, lam, m, zero_mean)))
        lam += 0.005
    best = min(range(len(grid)), key=lambda i: (grid[i][2], i))
    s2 = sorted(g[2] for g in grid)
    assert len(s2) < 2 or s2[1] - s2[0] > 1e-6 * s2[0], "two decays too close to call"
    return lam_max, grid, grid[best]


def forecast(x, zero_mean):
    xs = np.array(x)
    c = 0.0 if zero_mean else np.mean(xs)
    y2 = (xs - c) ** 2
    lams = np.arange(800, 1000) / 1000.0
    s = np.full(lams.shape, np.mean(y2[:20]))
    acc = np.zeros(lams.shape)
    for t in range(20, len(xs)):
        e = y2[t] - s
        acc += e * e
        s = lams * s + (1 - lams) * y2[t]
    rmse = np.sqrt(acc / (len(xs) - 20))
    j = int(np.argmin(rmse))
    second = np.partition(rmse, 1)[1]
    assert second - rmse[j] > 1e-9 * rmse[j], "two forecasts too close to call"
    return float(lams[j]), float(rmse[j])


def case(name, cells, item, returns=False, log=False, reverse=False, zero_mean=False):
    x = prepare(cells, reverse, returns, log)
    tol = TOLERANCES[item]
    lam_max, grid, (best, m, s2) = search(x, tol, zero_mean)
    f_lam, f_rmse = forecast(x, zero_mean)
    return {
        "name": name, "cells": cells, "tol_item": item, "returns": returns, "log": log,
        "reverse": reverse, "zero_mean": zero_mean, "n": len(x), "tol": tol,
        "lambda_max": lam_max, "best_lambda": best, "best_window": m, "min_sde": math.sqrt(s2),
        "grid_size": len(grid), "grid_first": grid[0][0], "grid_last": grid[-1][0],
        "forecast_lambda": f_lam, "forecast_rmse": f_rmse,
    }


def main():
    rng = np.random.default_rng(20261207)
    cases = []

    # 41 values at 1 %: the shortest series the tool accepts, its grid 0.635 .. 0.675.
    cases.append(case("forty_one_values", [float(v) for v in np.round(
        rng.normal(0.0, 0.01, 41), 6)], 0))

    # Log returns of 300 DAX closes at 0.1 %, newest first in the sheet.
    dax = column("DAX", 300)
    cases.append(case("dax_log_returns_newest_first", list(reversed(dax)), 2, returns=True,
                      log=True, reverse=True))

    # Prices near 10^6 moving by a few units, used as they are, at 1 %.
    walk = 1_000_000.0 + np.cumsum(np.round(rng.normal(0.0, 3.0, 160), 2))
    cases.append(case("prices_near_a_million", [float(v) for v in np.round(walk, 2)], 0))

    # Simple returns of 112 SMI closes with zero mean at 1 %: N = 111 puts 0.940 at the end
    # of the grid (the running sum passes 0.945 = lambda_max), and its window of 74.
    smi = column("SMI", 112)
    c = case("smi_returns_zero_mean", smi, 0, returns=True, zero_mean=True)
    assert c["n"] == 111 and abs(c["best_lambda"] - 0.94) < 1e-9 and c["best_window"] == 74, c
    x = prepare(smi, False, True, False)
    c["min_sde_window_75"] = math.sqrt(stability(x, c["best_lambda"], 75, True))
    cases.append(c)

    out = os.path.join(HERE, "data", "decay.json")
    with open(out, "w") as f:
        json.dump({"cases": cases}, f, indent=1)
    for c in cases:
        print(c["name"], c["n"], c["lambda_max"], c["grid_first"], c["grid_last"],
              c["best_lambda"], c["min_sde"], c["forecast_lambda"], c["forecast_rmse"])


if __name__ == "__main__":
    main()
