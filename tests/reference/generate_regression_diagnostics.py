#!/usr/bin/python3
"""Reference values for the regression's robust standard errors, residual tests, collinearity
measures and influence.

Run with Debian's Python (numpy, scipy, statsmodels, mpmath) and Rscript (sandwich, lmtest,
tseries) on the PATH:
    /usr/bin/python3 tests/reference/generate_regression_diagnostics.py
It writes tests/reference/data/regression_diagnostics.json, which the C++ tests read.

Data sets (y first, then the regressors; every fit has an intercept):
  * R's LifeCycleSavings, sr on pop15, pop75, dpi, ddpi (50 rows, heteroskedastic), exported by
    regression_diagnostics.R;
  * the DAX on SMI, CAC and FTSE, data/eu_stock_markets.csv as the tool reads A2:D1861 (1860
    rows, strongly autocorrelated residuals); the C++ test reads the file itself;
  * five rows on three regressors (n = k + 2: the RESET regression has no degree of freedom);
  * a regressor of mean 1e6 and spread 1 beside an ordinary one (cancellation).

Values, from statsmodels OLS:
  * coefficients; standard errors classical, HC0 .. HC3 and Newey-West (HAC with Bartlett
    weights, L = floor(4 (n/100)^(2/9)) lags, no small-sample correction);
  * Jarque-Bera; Breusch-Pagan in Koenker's form (het_breuschpagan robust=True); RESET F of yhat^2
    and yhat^3 (linear_reset, use_f=True; but see below) and its denominator degrees of freedom;
    the VIF of each regressor; the condition number of X (constant included) with unit-length
    columns;
  * OLSInfluence: fitted values, y - yhat, leverages, internally studentised residuals, Cook's
    distance (for the DAX a sample of rows, listed with the values);
  * Breusch-Godfrey of order 1 (e_0 = 0, n R^2) from R's lmtest::bgtest, fill = 0 (with n = k + 2
    its auxiliary fit passes through every point: R^2 = 1, the statistic is n).
Checks made before anything is written (the run stops on a failure):
  * HC0 .. HC3 against sandwich::vcovHC and Newey-West against sandwich::NeweyWest(prewhite =
    FALSE, adjust = FALSE), to 1e-10 relative; coefficients against lm; Breusch-Godfrey against
    an n R^2 of numpy's and statsmodels' acorr_breusch_godfrey (which has no answer when the
    auxiliary fit leaves no degree of freedom), Breusch-Pagan against
    lmtest::bptest(studentize = TRUE) and Jarque-Bera against tseries::jarque.bera.test, to 1e-9;
  * RESET once more with the powers of the standardised fitted values (the same column space,
    so the same F), which is what is stored: with the raw yhat^3 of the DAX (1e10 beside the
    constant) linear_reset's pseudo-inverse is off by 1.2e-8; lmtest::resettest must agree with
    the stored value to 1e-11, linear_reset to 1e-7;
  * for the sets of up to 100 rows, the coefficients, residuals and Breusch-Godfrey again from
    the normal equations in 50-digit arithmetic (mpmath), to 1e-12;
  * the condition number from the eigenvalues of the Gram matrix of the scaled columns in 60-digit
    arithmetic (mpmath), which is what is stored; numpy's value must agree to 1e-8;
  * the set far from zero is fitted again on x1 - 1e6 (exact in doubles): every value but the
    intercept is the same, the intercept and its standard errors follow from the covariances.
    Those values are stored (statsmodels and R agree on them to 1e-14). On the raw data both
    lose digits of the robust errors (statsmodels' HC2, HC3 and Newey-West by up to 1e-4
    relative, R's by up to 1e-3), which is printed and only bounded by 1e-2.
p-values are stored beside the statistics (chi-squared and F upper tails, scipy).
"""
import csv
import json
import math
import os
import subprocess
import tempfile

import mpmath
import numpy as np
import statsmodels.api as sm
from scipy import stats
from statsmodels.stats.diagnostic import (acorr_breusch_godfrey, het_breuschpagan,
                                          linear_reset)
from statsmodels.stats.outliers_influence import OLSInfluence, variance_inflation_factor
from statsmodels.stats.stattools import jarque_bera

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.join(HERE, "..", "..")
COVARIANCES = ["Classica", "HC0", "HC1", "HC2", "HC3", "NeweyWest"]


def lags(n):
    return math.floor(4 * (n / 100) ** (2 / 9))


def rel(a, b):
    a, b = np.asarray(a, dtype=float), np.asarray(b, dtype=float)
    return float(np.max(np.abs(a - b) / np.maximum(np.abs(b), 1e-300)))


def check(what, a, b, tol):
    err = rel(a, b)
    if err > tol:
        raise SystemExit(f"{what}: relative difference {err:.3g} above {tol:g}")
    return err


def condition(X):
    """Condition number of X with unit-length columns, in 60-digit arithmetic."""
    mpmath.mp.dps = 60
    m = X.shape[1]
    cols = [[mpmath.mpf(float(v)) for v in X[:, j]] for j in range(m)]
    norms = [mpmath.sqrt(mpmath.fsum(v * v for v in c)) for c in cols]
    G = mpmath.matrix(m, m)
    for a in range(m):
        for b in range(m):
            G[a, b] = mpmath.fsum(u * v for u, v in zip(cols[a], cols[b])) / (norms[a] * norms[b])
    ev = mpmath.eigsy(G, eigvals_only=True)
    return float(mpmath.sqrt(max(ev) / min(ev)))


def reset_standardised(y, Xc, fitted):
    z = (fitted - fitted.mean()) / fitted.std()
    n, m = Xc.shape

    def sse(A):
        b = np.linalg.lstsq(A, y, rcond=None)[0]
        return float(np.sum((y - A @ b) ** 2))

    s0, s1 = sse(Xc), sse(np.column_stack([Xc, z ** 2, z ** 3]))
    return ((s0 - s1) / 2) / (s1 / (n - m - 2))


def exact(name, D, f, r):
    """The coefficients, residuals and Breusch-Godfrey statistic again in 50-digit arithmetic
    (normal equations on the doubles given): the double figures must agree to 1e-12."""
    mpmath.mp.dps = 50
    n = len(D)
    y = mpmath.matrix([mpmath.mpf(float(v)) for v in D[:, 0]])
    X = mpmath.matrix([[1] + [mpmath.mpf(float(v)) for v in row[1:]] for row in D])

    def fit(A, v):
        b = mpmath.lu_solve(A.T * A, A.T * v)
        return b, v - A * b

    b, e = fit(X, y)
    A = mpmath.matrix(n, X.cols + 1)
    for i in range(n):
        for j in range(X.cols):
            A[i, j] = X[i, j]
        A[i, X.cols] = e[i - 1] if i > 0 else 0
    u = fit(A, e)[1]
    bg = float(n * (1 - mpmath.fsum(v * v for v in u) / mpmath.fsum(v * v for v in e)))
    e = np.array([float(v) for v in e])
    check(f"{name} coefficients, 50 digits", f["params"], [float(v) for v in b], 1e-12)
    if np.max(np.abs(f["resid"] - e)) > 1e-12 * np.max(np.abs(e)):
        raise SystemExit(f"{name}: residuals off by more than 1e-12 of the largest")
    check(f"{name} Breusch-Godfrey, 50 digits", r["bg"], bg, 1e-12)


def breusch_godfrey(e, Xc):
    """n R^2 of e on X and e lagged once (e_0 = 0); e has mean 0, so R^2 needs no centring."""
    A = np.column_stack([Xc, np.concatenate([[0.0], e[:-1]])])
    b = np.linalg.lstsq(A, e, rcond=None)[0]
    return len(e) * (1 - float(np.sum((e - A @ b) ** 2)) / float(np.sum(e ** 2)))


def statsmodels_figures(y, X):
    Xc = sm.add_constant(X, has_constant="add")
    n, m = Xc.shape
    model = sm.OLS(y, Xc)
    res = model.fit()
    fits = {"Classica": res}
    for t in ["HC0", "HC1", "HC2", "HC3"]:
        fits[t] = model.fit(cov_type=t)
    fits["NeweyWest"] = model.fit(cov_type="HAC", use_t=True,
                                  cov_kwds={"maxlags": lags(n), "use_correction": False})
    infl = OLSInfluence(res)
    fitted = np.asarray(res.fittedvalues)
    f = {"params": np.asarray(res.params), "fitted": fitted, "resid": y - fitted,
         "hat": np.asarray(infl.hat_matrix_diag),
         "student": np.asarray(infl.resid_studentized_internal),
         "cook": np.asarray(infl.cooks_distance[0]),
         "cov": {t: np.asarray(r.cov_params()) for t, r in fits.items()},
         "jarque_bera": float(jarque_bera(res.resid)[0]),
         "breusch_pagan": float(het_breuschpagan(res.resid, Xc, robust=True)[0]),
         "bg_direct": breusch_godfrey(np.asarray(res.resid), Xc),
         "vif": [float(variance_inflation_factor(Xc, j)) for j in range(1, m)],
         "cond_numpy": float(np.linalg.cond(Xc / np.linalg.norm(Xc, axis=0)))}
    if n > m + 1:  # else its auxiliary fit has no degree of freedom for its F
        f["bg_statsmodels"] = float(acorr_breusch_godfrey(res, nlags=1)[0])
    if n - m - 2 >= 1:
        r = linear_reset(res, power=[2, 3], test_type="fitted", use_f=True)
        f["reset"] = float(np.squeeze(r.fvalue))
        f["reset_df_denom"] = float(r.df_denom)
        f["reset_standardised"] = reset_standardised(y, Xc, fitted)
    return f


def to_original(f, c):
    """Figures of a fit on X - c as those of the fit on X: only the intercept changes."""
    a = np.concatenate([[1.0], -np.asarray(c)])
    g = dict(f)
    g["params"] = f["params"].copy()
    g["params"][0] = a @ f["params"]
    g["cov"] = {}
    for t, V in f["cov"].items():
        # Only the diagonal is used: the intercept's variance is a' V a.
        W = V.copy()
        W[0, 0] = a @ V @ a
        g["cov"][t] = W
    return g


def run_r(sets, tmp):
    """R's figures for each set, keyed as the set: coefficients and covariances as in
    statsmodels_figures, and the statistics of the residual tests."""
    args = []
    for s in sets:
        path = os.path.join(tmp, s["key"] + ".txt")
        np.savetxt(path, s["D"], fmt="%.17g")
        args.append(f"{s['key']}={path}:{lags(len(s['D']))}")
    out = subprocess.run(["Rscript", os.path.join(HERE, "regression_diagnostics.R")] + args,
                         capture_output=True, text=True, check=True).stdout
    raw = {}
    for line in out.splitlines():
        w = line.split()
        raw.setdefault(w[0], {})[w[1]] = np.array([float(v) for v in w[2:]])
    r = {}
    for key, v in raw.items():
        m = len(v["coef"])
        r[key] = {"params": v["coef"], "bg": v["bg"][0], "bp": v["bp"][0], "jb": v["jb"][0],
                  "cov": {t: v[t].reshape(m, m) for t in COVARIANCES[1:]}}
        if "reset" in v:
            r[key]["reset"] = v["reset"]
    return r


def se(V):
    return np.sqrt(np.diag(V))


def compare_with_r(name, f, r, tol):
    """The largest relative difference of statsmodels' figures from R's; fails above tol."""
    worst = check(f"{name} coefficients, lm", f["params"], r["params"], tol)
    for t in COVARIANCES[1:]:
        worst = max(worst, check(f"{name} {t}, sandwich", se(f["cov"][t]), se(r["cov"][t]), tol))
    return worst


def tests_against_others(name, f, r):
    check(f"{name} Breusch-Godfrey, n R^2", f["bg_direct"], r["bg"], 1e-9)
    if "bg_statsmodels" in f:
        check(f"{name} Breusch-Godfrey, statsmodels", f["bg_statsmodels"], r["bg"], 1e-9)
    check(f"{name} Breusch-Pagan, lmtest", f["breusch_pagan"], r["bp"], 1e-9)
    check(f"{name} Jarque-Bera, tseries", f["jarque_bera"], r["jb"], 1e-9)
    if "reset" in f:
        # linear_reset's raw powers lose digits on the DAX (1.2e-8): the standardised powers
        # are what is stored, and lmtest (a QR) agrees with them.
        check(f"{name} RESET, lmtest", f["reset_standardised"], r["reset"][0], 1e-11)
        check(f"{name} RESET, linear_reset", f["reset"], f["reset_standardised"], 1e-7)
        check(f"{name} RESET degrees of freedom", f["reset_df_denom"], r["reset"][2], 0)
    elif "reset" in r:
        raise SystemExit(f"{name}: lmtest has a RESET statistic where none is defined")


def record(s, f, r, cond):
    D = s["D"]
    n, m = D.shape
    k = m - 1
    L = lags(n)
    rows = s.get("rows", list(range(n)))
    out = {"name": s["name"], "n": n, "k": k, "lags": L, "b": f["params"].tolist(),
           "se": {t: se(f["cov"][t]).tolist() for t in COVARIANCES}}
    if "csv" in s:
        out["csv"] = s["csv"]
    else:
        out["data"] = D.tolist()
    jb, bp, bg = f["jarque_bera"], f["breusch_pagan"], float(r["bg"])
    out["jarque_bera"] = {"stat": jb, "df": 2, "p": float(stats.chi2.sf(jb, 2))}
    out["breusch_pagan"] = {"stat": bp, "df": k, "p": float(stats.chi2.sf(bp, k))}
    out["breusch_godfrey"] = {"stat": bg, "df": 1, "p": float(stats.chi2.sf(bg, 1))}
    if "reset" in f:
        F, d2 = f["reset_standardised"], f["reset_df_denom"]
        out["reset"] = {"stat": F, "df": 2, "df_denom": d2, "p": float(stats.f.sf(F, 2, d2))}
    else:
        out["reset"] = None
    out["condition"] = cond
    out["vif"] = f["vif"]
    out["influence"] = {"rows": rows, **{key: f[key][rows].tolist() for key in
                                         ["fitted", "resid", "hat", "student", "cook"]}}
    return out


def read_sets(rng, tmp):
    sets = []
    life = os.path.join(tmp, "lifecycle.txt")
    subprocess.run(["Rscript", os.path.join(HERE, "regression_diagnostics.R"), f"lifecycle={life}"],
                   check=True)
    sets.append({"name": "LifeCycleSavings", "key": "life", "D": np.loadtxt(life)})
    with open(os.path.join(ROOT, "data", "eu_stock_markets.csv")) as fh:
        prices = np.array([[float(v) for v in r] for r in list(csv.reader(fh))[1:]])
    n = len(prices)
    sets.append({"name": "DAX on SMI, CAC, FTSE", "key": "dax", "D": prices,
                 "csv": "eu_stock_markets.csv",
                 "rows": sorted(set(range(0, n, 97)) | {n - 1})})
    X = np.round(rng.normal(size=(5, 3)), 2)
    y = np.round(1 + X @ [2.0, -1.0, 0.5] + rng.normal(scale=0.5, size=5), 2)
    sets.append({"name": "five rows, three regressors", "key": "five",
                 "D": np.column_stack([y, X])})
    n = 40
    x1 = np.round(1e6 + rng.normal(size=n), 3)
    x2 = rng.normal(size=n)
    y = 3 + 2 * (x1 - 1e6) - x2 + rng.normal(scale=0.3, size=n)
    sets.append({"name": "regressor of mean 1e6", "key": "far", "D": np.column_stack([y, x1, x2]),
                 "shift": np.array([1e6, 0.0])})
    return sets


def main():
    rng = np.random.default_rng(20260428)
    with tempfile.TemporaryDirectory() as tmp:
        sets = read_sets(rng, tmp)
        runs = list(sets)
        for s in sets:
            if "shift" in s:
                D = s["D"].copy()
                D[:, 1:] -= s["shift"]
                runs.append({"key": s["key"] + "_shifted", "D": D})
        r = run_r(runs, tmp)
    out_sets = []
    for s in sets:
        D = s["D"]
        y, X = D[:, 0], D[:, 1:]
        f = statsmodels_figures(y, X)
        cond = condition(sm.add_constant(X, has_constant="add"))
        print(f"{s['name']}: condition number {cond:.17g}, numpy's off by "
              f"{rel(f['cond_numpy'], cond):.2g}")
        check(f"{s['name']} condition number, numpy", f["cond_numpy"], cond, 1e-8)
        key = s["key"]
        if "shift" in s:
            key = s["key"] + "_shifted"
            g = to_original(statsmodels_figures(y, X - s["shift"]), s["shift"])
            worst = compare_with_r(s["name"] + " (x1 - 1e6)", g, to_original(r[key], s["shift"]),
                                   1e-10)
            print(f"  on x1 - 1e6: statsmodels and R agree to {worst:.2g}")
            tests_against_others(s["name"] + " (x1 - 1e6)", g, r[key])
            # The libraries on the raw data, for the record (and against a gross slip in the
            # shift): they lose some five digits of the robust errors.
            rr = r[s["key"]]
            raw = max(rel(f["params"], g["params"]),
                      max(rel(se(f["cov"][t]), se(g["cov"][t])) for t in COVARIANCES),
                      rel(f["hat"], g["hat"]), rel(f["vif"], g["vif"]))
            raw_r = max(rel(rr["params"], g["params"]),
                        max(rel(se(rr["cov"][t]), se(g["cov"][t])) for t in COVARIANCES[1:]))
            print(f"  on the raw data: statsmodels off by {raw:.2g}, R by {raw_r:.2g}")
            if max(raw, raw_r) > 1e-2:
                raise SystemExit(f"{s['name']}: the raw and shifted fits differ by "
                                 f"{max(raw, raw_r):.3g}")
            f = g
        else:
            worst = compare_with_r(s["name"], f, r[s["key"]], 1e-10)
            print(f"  statsmodels and R agree to {worst:.2g}")
            tests_against_others(s["name"], f, r[s["key"]])
        if len(D) <= 100:
            exact(s["name"], D, f, r[key])
        out_sets.append(record(s, f, r[key], cond))
    ns = [3, 5, 50, 100, 1860, 10000]
    out = {"newey_west_lags": [{"n": n, "lags": lags(n)} for n in ns], "sets": out_sets}
    path = os.path.join(HERE, "data", "regression_diagnostics.json")
    with open(path, "w") as fh:
        json.dump(out, fh, separators=(",", ":"))
    print("wrote", path)


if __name__ == "__main__":
    main()
