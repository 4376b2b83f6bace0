"""Checks the ARCH tool's workbook with an error distribution, standard errors, a forecast and a
backtest: read back with openpyxl, every number recomputed in Python from the sheet's own
parameters and the data (tests/reference/arch_likelihood.py for the likelihood and its numerical
Hessian and sandwich; scipy for the quantiles and the chi-square tails).

  check_arch_distribution_workbook.py BOOK.xlsx DATA.csv COLUMN --model M --q Q --p P
      --dist norm|std|ged --lang en|pt [--errors] [--horizon H] [--backtest] [--log-returns]
"""
import argparse
import csv
import math
import os
import sys

import numpy as np
import openpyxl
from scipy import stats

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "reference"))
import arch_likelihood as A  # noqa: E402

TEXTS = {
    "en": {"dist": "Distribution: ", "names": {"std": "Student's t", "ged": "GED"},
           "errors": ["Std. error", "z", "Robust SE", "Robust z"], "forecast": "Forecast",
           "backtest": "Backtest (in sample)", "llf": "LLF"},
    "pt": {"dist": "Distribuição: ", "names": {"std": "t de Student", "ged": "GED"},
           "errors": ["Erro-padrão", "z", "EP robusto", "z robusto"], "forecast": "Previsão",
           "backtest": "Backtest (na amostra)", "llf": "LLF"},
}


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def close(what, got, want, rel, absolute=0.0):
    if got is None or not math.isclose(got, want, rel_tol=rel, abs_tol=absolute):
        fail(f"{what}: sheet {got!r}, recomputed {want!r}")


def series(path, column):
    with open(path, newline="") as f:
        rows = list(csv.reader(f))[1:]
    prices = [float(r[column]) for r in rows if r and r[column].strip()]
    return np.diff(np.log(prices))


def quantile(dist, nu, alpha):
    if dist == "norm":
        return stats.norm.ppf(alpha)
    if dist == "std":
        return stats.t.ppf(alpha, nu) * math.sqrt((nu - 2) / nu)
    # GED of shape nu with unit variance: scipy's gennorm of beta nu, scale lambda 2^(1/nu).
    lam = math.sqrt(2 ** (-2 / nu) * math.gamma(1 / nu) / math.gamma(3 / nu))
    return stats.gennorm.ppf(alpha, nu, scale=lam * 2 ** (1 / nu))


def expected_abs(dist, nu):
    if dist == "norm":
        return math.sqrt(2 / math.pi)
    if dist == "std":
        return (2 * math.sqrt(nu - 2) * math.exp(math.lgamma((nu + 1) / 2) - math.lgamma(nu / 2))
                / ((nu - 1) * math.sqrt(math.pi)))
    lam = math.sqrt(2 ** (-2 / nu) * math.gamma(1 / nu) / math.gamma(3 / nu))
    return lam * 2 ** (1 / nu) * math.gamma(2 / nu) / math.gamma(1 / nu)


def forecast(model, q, r, p, dist, e, th, H):
    """h(T+1) .. h(T+H), each future shock replaced by its expectation."""
    nv = 1 + q + r + p
    nu = th[nv] if len(th) > nv else None
    h = list(A.variances(model, q, r, p, e, th[:nv]))
    T = len(e)
    alpha, gamma, beta = th[1:1 + q], th[1 + q:1 + q + r], th[1 + q + r:nv]
    # h(T) from the recursion with the observed shocks.
    both = list(A.variances(model, q, r, p, np.append(e, 0.0), th[:nv]))
    h.append(both[T])
    out = []
    for s in range(T + 1, T + H):
        if model == 3:
            v = th[0]
            for i in range(1, q + 1):
                t = s - i
                if t < T:
                    x = e[t] if t >= 0 else None
                    z = 1 + (gamma[i - 1] if i <= r else 0) if x is None else \
                        (abs(x) + (gamma[i - 1] if i <= r else 0) * x) / math.sqrt(h[t])
                    v += alpha[i - 1] * z
                else:
                    v += alpha[i - 1] * expected_abs(dist, nu)
            for j in range(1, p + 1):
                v += beta[j - 1] * math.log(h[s - j])
            h.append(math.exp(v))
        else:
            v = th[0]
            for i in range(1, q + 1):
                t = s - i
                x2 = e[t] ** 2 if t < T else h[t]
                v += alpha[i - 1] * x2
                if i <= r:
                    v += gamma[i - 1] * (x2 if (t < T and e[t] < 0) else 0) if t < T \
                        else gamma[i - 1] * h[t] / 2
            for j in range(1, p + 1):
                v += beta[j - 1] * h[s - j]
            h.append(v)
    return h[T:T + H], h[:T]


def igarch_errors(q, p, dist, e, th):
    """IGARCH's sum of alphas and betas is 1: the largest term follows the others, and the
    Hessian and the scores are taken in the free parameters, the term's error by the delta
    method."""
    th = np.asarray(th, dtype=float)
    n = len(th)
    d = max(range(1, 1 + q + p), key=lambda i: th[i])
    free = [i for i in range(n) if i != d]

    def expand(phi):
        x = th.copy()
        x[free] = phi
        x[d] = 1 - sum(x[i] for i in range(1, 1 + q + p) if i != d)
        return x
    phi0 = th[free]
    steps = np.array([1e-4 * max(abs(v), 1e-3 if i else abs(v)) for i, v in zip(free, phi0)])
    f = lambda y: A.loglik(2, q, 0, p, dist, e, expand(y))
    k = len(free)
    H = np.empty((k, k))
    for i in range(k):
        ei = np.zeros(k)
        ei[i] = steps[i]
        for j in range(i + 1):
            ej = np.zeros(k)
            ej[j] = steps[j]
            H[i, j] = H[j, i] = (f(phi0 + ei + ej) - f(phi0 + ei - ej) - f(phi0 - ei + ej)
                                 + f(phi0 - ei - ej)) / (4 * steps[i] * steps[j])
    G = np.empty((len(e), k))
    for i in range(k):
        di = np.zeros(k)
        di[i] = steps[i] * 0.06
        G[:, i] = (A.loglik_obs(2, q, 0, p, dist, e, expand(phi0 + di))
                   - A.loglik_obs(2, q, 0, p, dist, e, expand(phi0 - di))) / (2 * di[i])
    D = np.diag(steps)
    Hinv = D @ np.linalg.inv(D @ H @ D) @ D
    J = np.zeros((n, k))
    for c, i in enumerate(free):
        J[i, c] = 1
        if 1 <= i <= q + p:
            J[d, c] = -1
    plain = J @ (-Hinv) @ J.T
    robust = J @ (Hinv @ (G.T @ G) @ Hinv) @ J.T
    return np.sqrt(np.diag(plain)).tolist(), np.sqrt(np.diag(robust)).tolist()


def backtest(e, h, q_alpha, alpha):
    hit = [1 if e[t] < q_alpha * math.sqrt(h[t]) else 0 for t in range(len(e))]
    T, x = len(hit), sum(hit)

    def xlogy(a, b):
        return 0.0 if a == 0 else a * math.log(b)
    kupiec = -2 * (xlogy(T - x, 1 - alpha) + xlogy(x, alpha) - xlogy(T - x, 1 - x / T)
                   - xlogy(x, x / T))
    n = [[0, 0], [0, 0]]
    for a, b in zip(hit, hit[1:]):
        n[a][b] += 1
    if n[1][0] + n[1][1] == 0:
        christoffersen = 0.0
    else:
        p0 = n[0][1] / (n[0][0] + n[0][1])
        p1 = n[1][1] / (n[1][0] + n[1][1])
        pi = (n[0][1] + n[1][1]) / sum(map(sum, n))
        christoffersen = -2 * (xlogy(n[0][0] + n[1][0], 1 - pi) + xlogy(n[0][1] + n[1][1], pi)
                               - xlogy(n[0][0], 1 - p0) - xlogy(n[0][1], p0)
                               - xlogy(n[1][0], 1 - p1) - xlogy(n[1][1], p1))
    return x, alpha * T, max(kupiec, 0.0), max(christoffersen, 0.0)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("book")
    ap.add_argument("data")
    ap.add_argument("column", type=int)
    ap.add_argument("--model", type=int, required=True)
    ap.add_argument("--q", type=int, required=True)
    ap.add_argument("--p", type=int, default=0)
    ap.add_argument("--dist", default="norm")
    ap.add_argument("--lang", default="en")
    ap.add_argument("--errors", action="store_true")
    ap.add_argument("--horizon", type=int, default=0)
    ap.add_argument("--backtest", action="store_true")
    ap.add_argument("--log-returns", action="store_true")
    a = ap.parse_args()
    texts = TEXTS[a.lang]
    model, q, p = a.model, a.q, a.p
    r = q if model in (3, 4) else 0
    e = series(a.data, a.column)
    ws = next(s for s in openpyxl.load_workbook(a.book).worksheets if s.sheet_state == "visible")
    cells = {(c.row, c.column): c.value for row in ws.iter_rows() for c in row
             if c.value is not None}
    col_a = {row: v for (row, col), v in cells.items() if col == 1}

    def row_of(text):
        found = [row for row, v in col_a.items() if v == text]
        if not found:
            fail(f"no row {text!r}")
        return found[0]

    if a.dist != "norm":
        row_of(texts["dist"] + texts["names"][a.dist])
    params_row = row_of("A0") - 1
    nv = 1 + q + r + p
    th = [cells[(params_row + 1 + i, 2)] for i in range(nv)]
    if a.dist != "norm":
        nu_row = row_of("Nu")
        th.append(cells[(nu_row, 2)])
        if (nu_row, 3) in cells:
            fail("Nu has a likelihood-ratio cell")
    llf = cells[(row_of(texts["llf"]), 2)]
    close("LLF", llf, A.loglik(model, q, r, p, a.dist, e, th), 1e-9)

    if a.errors:
        header = [cells.get((params_row, c)) for c in range(5, 9)]
        if header != texts["errors"]:
            fail(f"error headers {header}")
        se, robust = igarch_errors(q, p, a.dist, e, th) if model == 2 else \
            A.standard_errors(model, q, r, p, a.dist, e, th)
        for i in range(len(th)):
            row = params_row + 1 + i if i < nv else row_of("Nu")
            got_se, got_z = cells.get((row, 5)), cells.get((row, 6))
            got_r, got_rz = cells.get((row, 7)), cells.get((row, 8))
            if got_se is None:
                continue  # held on a bound: checked by the unit tests
            close(f"SE {i}", got_se, se[i], 0.03)
            close(f"robust SE {i}", got_r, robust[i], 0.05)
            close(f"z {i}", got_z, th[i] / got_se, 1e-12)
            close(f"robust z {i}", got_rz, th[i] / got_r, 1e-12)

    shown = (lambda v: math.expm1(v)) if a.log_returns else (lambda v: v)
    nu = th[nv] if a.dist != "norm" else None
    qs = [quantile(a.dist, nu, 0.05), quantile(a.dist, nu, 0.01)]
    ahead, h = forecast(model, q, r, p, a.dist, e, th, a.horizon) if a.horizon else \
        (None, list(A.variances(model, q, r, p, e, th[:nv])))
    if a.horizon:
        top = row_of(texts["forecast"])
        total = 0.0
        for k in range(a.horizon):
            row = top + 1 + k
            total += ahead[k]
            close(f"h {k + 1}", cells.get((row, 1)), k + 1, 0)
            close(f"variance {k + 1}", cells.get((row, 2)), ahead[k], 1e-9)
            close(f"volatility {k + 1}", cells.get((row, 3)), shown(math.sqrt(ahead[k])), 1e-9)
            close(f"cumulative {k + 1}", cells.get((row, 4)), shown(math.sqrt(total)), 1e-9)
            for c, qa in zip((5, 6), qs):
                var = -math.expm1(qa * math.sqrt(total)) if a.log_returns else \
                    -qa * math.sqrt(total)
                close(f"VaR col {c} h {k + 1}", cells.get((row, c)), var, 1e-8)
    if a.backtest:
        top = row_of(texts["backtest"])
        for k, (qa, alpha) in enumerate(zip(qs, (0.05, 0.01))):
            row = top + 1 + k
            x, expected, kupiec, chris = backtest(e, h, qa, alpha)
            close(f"exceptions {alpha}", cells.get((row, 2)), x, 0)
            close(f"expected {alpha}", cells.get((row, 3)), expected, 1e-12)
            close(f"Kupiec {alpha}", cells.get((row, 4)), kupiec, 1e-7, 1e-9)
            close(f"Kupiec p {alpha}", cells.get((row, 5)), stats.chi2.sf(kupiec, 1), 1e-6, 1e-12)
            close(f"Christoffersen {alpha}", cells.get((row, 6)), chris, 1e-7, 1e-9)
            close(f"Christoffersen p {alpha}", cells.get((row, 7)), stats.chi2.sf(chris, 1), 1e-6,
                  1e-12)
    print("ok")


if __name__ == "__main__":
    main()
