#!/usr/bin/python3
"""Reference values for the regression core (least squares and combined correlations).

Run with Debian's Python (numpy, statsmodels):
    /usr/bin/python3 tests/reference/generate_regression.py
It writes tests/reference/data/regression.json, which the C++ tests read.

References:
  * NIST StRD linear least squares (data/nist, see SOURCE.md there): the certified coefficients
    and standard errors; NoInt1 and NoInt2 are fitted with an intercept, which NIST does not
    certify, so their values come from the normal equations solved in exact rational arithmetic.
    For each set the number of correct digits that numpy.linalg.lstsq reaches (coefficients,
    and standard errors from the same SVD) is stored, the bar our fit must clear;
  * ordinary data sets: statsmodels OLS (coefficients, standard errors, t, R^2, adjusted R^2, F,
    Durbin-Watson);
  * combined correlations: sqrt(SSR/SST) of a least-squares refit of every subset
    (numpy.linalg.lstsq on the centred columns).
"""
import csv
import itertools
import json
import math
import os
from fractions import Fraction

import numpy as np
import statsmodels.api as sm
from statsmodels.stats.stattools import durbin_watson

HERE = os.path.dirname(os.path.abspath(__file__))
NIST = os.path.join(HERE, "data", "nist")
SETS = ["Norris", "Pontius", "NoInt1", "NoInt2", "Longley", "Wampler1", "Wampler2", "Wampler3",
        "Wampler4", "Wampler5", "Filip"]


def read_set(name):
    with open(os.path.join(NIST, name + ".csv")) as f:
        rows = list(csv.reader(f))[1:]
    with open(os.path.join(NIST, name + ".certified.json")) as f:
        cert = json.load(f)
    y = [r[0] for r in rows]
    xs = [r[1:] for r in rows]
    degree = cert["poly_degree"]
    if degree:  # powers by repeated products, as any caller forming the design would
        cols = []
        for r in xs:
            x, p, row = float(r[0]), 1.0, []
            for _ in range(degree):
                p = p * x
                row.append(p)
            cols.append(row)
        design = cols
    else:
        design = [[float(v) for v in r] for r in xs]
    return y, design, cert


def exact_fit(y, design):
    """Least squares with an intercept in rational arithmetic on the doubles given."""
    n, k = len(design), len(design[0])
    X = [[Fraction(1)] + [Fraction(v) for v in row] for row in design]
    Y = [Fraction(float(v)) for v in y]
    m = k + 1
    A = [[sum(X[i][a] * X[i][b] for i in range(n)) for b in range(m)] for a in range(m)]
    rhs = [sum(X[i][a] * Y[i] for i in range(n)) for a in range(m)]
    # Gauss-Jordan on [A | rhs | I].
    M = [A[a] + [rhs[a]] + [Fraction(int(a == b)) for b in range(m)] for a in range(m)]
    for c in range(m):
        piv = next(r for r in range(c, m) if M[r][c] != 0)
        M[c], M[piv] = M[piv], M[c]
        f = M[c][c]
        M[c] = [v / f for v in M[c]]
        for r in range(m):
            if r != c and M[r][c] != 0:
                g = M[r][c]
                M[r] = [a - g * b for a, b in zip(M[r], M[c])]
    b = [M[a][m] for a in range(m)]
    inv_diag = [M[a][m + 1 + a] for a in range(m)]
    sse = sum((Y[i] - sum(X[i][j] * b[j] for j in range(m))) ** 2 for i in range(n))
    s2 = sse / (n - m)
    se = [math.sqrt(float(d * s2)) for d in inv_diag]
    return [float(v) for v in b], se


def lre(computed, certified):
    """Log relative error (correct significant digits), capped at 15."""
    if certified == 0:
        err = abs(computed)
    else:
        err = abs(computed - certified) / abs(certified)
    return 15.0 if err == 0 else max(0.0, min(15.0, -math.log10(err)))


def numpy_fit(y, design):
    X = np.column_stack([np.ones(len(design)), np.array(design)])
    Y = np.array([float(v) for v in y])
    b, _, _, _ = np.linalg.lstsq(X, Y, rcond=None)
    n, m = X.shape
    sse = float(np.sum((Y - X @ b) ** 2))
    _, s, vt = np.linalg.svd(X, full_matrices=False)
    inv_diag = np.sum((vt.T / s) ** 2, axis=1)
    se = np.sqrt(inv_diag * sse / (n - m))
    return b, se


def nist_cases():
    out = []
    for name in SETS:
        y, design, cert = read_set(name)
        if cert["intercept"]:
            beta, sd = cert["beta"], cert["sd_beta"]
        else:
            beta, sd = exact_fit(y, design)
        nb, nse = numpy_fit(y, design)
        digits = min([lre(c, e) for c, e in zip(nb, beta)] + [lre(c, e) for c, e in zip(nse, sd)])
        out.append({"name": name, "y": [float(v) for v in y], "x": design, "beta": beta,
                    "sd_beta": sd, "certified": cert["intercept"], "numpy_digits": digits})
        print(f"{name:9s} numpy.linalg.lstsq digits {digits:5.2f}")
    return out


def ols_case(name, y, X):
    fit = sm.OLS(y, sm.add_constant(X)).fit()
    return {"name": name, "data": np.column_stack([y, X]).tolist(), "b": fit.params.tolist(),
            "se": fit.bse.tolist(), "t": fit.tvalues.tolist(), "r2": float(fit.rsquared),
            "r2_adj": float(fit.rsquared_adj), "f": float(fit.fvalue),
            "dw": float(durbin_watson(fit.resid))}


def ordinary_cases(rng):
    cases = []
    n = 60
    X = rng.normal(size=(n, 3))
    y = 2 + X @ [1.5, -0.7, 0.2] + rng.normal(scale=0.8, size=n)
    cases.append(ols_case("random k=3", y, X))
    z = rng.normal(size=n)
    X = np.column_stack([z + 0.05 * rng.normal(size=n), z + 0.05 * rng.normal(size=n),
                         rng.normal(size=n)])
    y = 1 + X @ [1, 1, -2] + rng.normal(size=n)
    cases.append(ols_case("nearly collinear", y, X))
    with open(os.path.join(HERE, "..", "..", "data", "eu_stock_markets.csv")) as f:
        prices = np.array([[float(v) for v in r] for r in list(csv.reader(f))[1:]])
    cases.append(ols_case("DAX on SMI, CAC, FTSE", prices[::5, 0], prices[::5, 1:]))
    return cases


def subset_r(A, ycol, cols):
    y = A[:, ycol] - A[:, ycol].mean()
    X = A[:, cols] - A[:, cols].mean(axis=0)
    b, _, _, _ = np.linalg.lstsq(X, y, rcond=None)
    fit = X @ b
    return math.sqrt(float(np.sum(fit ** 2) / np.sum(y ** 2)))


def combined_case(name, A, ycol):
    others = [j for j in range(A.shape[1]) if j != ycol]
    refs = {}
    for size in range(1, len(others) + 1):
        for cols in itertools.combinations(others, size):
            refs[":".join(f"X{j + 1}" for j in cols)] = subset_r(A, ycol, list(cols))
    return {"name": name, "data": A.tolist(), "ycol": ycol, "R": refs}


def combined_cases(rng):
    cases = []
    A = rng.normal(size=(40, 4))
    A[:, 2] += 0.8 * A[:, 0]
    cases.append(combined_case("k=4 mixed", A, 0))
    cases.append(combined_case("k=4 mixed, ycol 2", A, 2))
    A = 1e6 + rng.normal(size=(200, 5)).cumsum(axis=0)  # price levels
    cases.append(combined_case("k=5 levels", A, 3))
    base = rng.normal(size=(300, 4))
    A = np.column_stack([base @ rng.normal(size=4) + 0.3 * rng.normal(size=300)
                         for _ in range(12)])
    cases.append(combined_case("k=12 factor data", A, 5))
    return cases


def main():
    rng = np.random.default_rng(20261206)
    out = {"nist": nist_cases(), "ols": ordinary_cases(rng), "combined": combined_cases(rng)}
    path = os.path.join(HERE, "data", "regression.json")
    with open(path, "w") as f:
        json.dump(out, f, separators=(",", ":"))
    print("wrote", path)


if __name__ == "__main__":
    main()
