#!/usr/bin/python3
"""Reference values for the regression tool's sheet, from statsmodels OLS.

Run with Debian's Python (numpy, statsmodels):
    /usr/bin/python3 tests/reference/generate_rlm.py
It writes tests/reference/data/rlm.json, which tests/unit/rlm_test.cpp reads.

Each case holds the data block D (column 0 the dependent variable) and what the sheet shows:
column means and sample standard deviations, coefficients with standard errors, t statistics
and two-tailed p-values (Student's t, N - m degrees of freedom), R, R^2, adjusted R^2,
Durbin-Watson, the analysis of variance (sums of squares about the mean, F and its upper-tail
p-value) and the correlations of the explanatory variables. The p-values are what Excel's TDIST
and FDIST answer; the tests hand them to the tool as those answers.
"""
import csv
import json
import math
import os

import numpy as np
import statsmodels.api as sm
from statsmodels.stats.stattools import durbin_watson

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
DATA = os.path.join(ROOT, "data")
NIST = os.path.join(HERE, "data", "nist")


def read_columns(path):
    with open(path) as f:
        rows = list(csv.reader(f))[1:]
    return np.array([[float(v) for v in r] for r in rows])


def case(name, D):
    D = np.asarray(D, dtype=float)
    y, X = D[:, 0], D[:, 1:]
    fit = sm.OLS(y, sm.add_constant(X, has_constant="add")).fit()
    n, m = D.shape
    sst = float(np.sum((y - y.mean()) ** 2))
    return {
        "name": name,
        "data": D.tolist(),
        "means": D.mean(axis=0).tolist(),
        "deviations": D.std(axis=0, ddof=1).tolist(),
        "b": fit.params.tolist(),
        "se": fit.bse.tolist(),
        "t": fit.tvalues.tolist(),
        "p": fit.pvalues.tolist(),
        "r": math.sqrt(fit.rsquared),
        "r2": fit.rsquared,
        "r2_adj": fit.rsquared_adj,
        "dw": float(durbin_watson(fit.resid)),
        "ssr": float(fit.ess),
        "sse": float(fit.ssr),
        "sst": sst,
        "f": float(fit.fvalue),
        "f_p": float(fit.f_pvalue),
        "df_model": int(m - 1),
        "df_resid": int(n - m),
        "x_correlations": np.corrcoef(X, rowvar=False).reshape(m - 1, m - 1).tolist(),
    }


def main():
    prices = read_columns(os.path.join(DATA, "eu_stock_markets.csv"))
    returns = np.diff(np.log(prices), axis=0)
    yields = read_columns(os.path.join(DATA, "yield_curve.csv"))
    with open(os.path.join(DATA, "dem2gbp.csv")) as f:
        fx = np.array([float(r[0]) for r in list(csv.reader(f))[1:]])
    lags = np.column_stack([fx[2:], fx[1:-1], fx[:-2]])
    longley = read_columns(os.path.join(NIST, "Longley.csv"))
    cases = [
        case("DAX on SMI, CAC, FTSE", prices),
        case("DAX returns on SMI, CAC, FTSE returns", returns),
        case("rate on workdays", yields),
        case("dem2gbp on its two lags", lags),
        case("NIST Longley", longley),
    ]
    with open(os.path.join(HERE, "data", "rlm.json"), "w") as f:
        json.dump({"cases": cases}, f, separators=(",", ":"))
        f.write("\n")


if __name__ == "__main__":
    main()
