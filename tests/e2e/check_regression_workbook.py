#!/usr/bin/python3
"""Reads a regression or best-decay result workbook that `kvhost run` saved and checks it with
openpyxl against numbers recomputed from the data with numpy and scipy: ordinary least squares
with its standard errors, t and p (Student's t, two tails), R, R², adjusted R², Durbin-Watson, the
ANOVA with F and its p; for the decay tool, the sample, the settings and the one-day-ahead
forecast criterion. With `rlm-options` (a run with robust errors, diagnostics and the residuals
sheet) the robust standard errors, the residual tests, the condition number, the VIFs and every
row of the residuals sheet, in the language given.

    check_regression_workbook.py rlm BOOK.xlsx DATA.csv COLUMNS
    check_regression_workbook.py rlm-exact BOOK.xlsx DATA.csv COLUMNS
    check_regression_workbook.py rlm-options BOOK.xlsx DATA.csv COLUMNS HC0|HC1|HC2|HC3|NW en|pt [ROWS]
    check_regression_workbook.py ewv BOOK.xlsx DATA.csv COLUMN

The regression is read with the English labels and every option on; the decay sheet in
Portuguese, on prices, with the mean not null. Prints one line per failed check and exits 1 when
any failed.
"""
import csv
import sys

import numpy as np
import openpyxl
from scipy import stats

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def near(got, want, tol):
    return got is not None and abs(got - want) <= tol * max(1.0, abs(want))


def read(path, columns, count=None):
    with open(path) as f:
        rows = list(csv.reader(f))[1:]
    rows = rows[:count] if count else rows
    return np.array([[float(v) for v in r[:columns]] for r in rows])


def row_of(ws, label):
    for r in range(1, ws.max_row + 1):
        if ws.cell(r, 1).value == label:
            return r
    failures.append(f"no row labelled {label!r}")
    return None


def check_rlm(book, data, columns):
    d = read(data, columns)
    y, x = d[:, 0], d[:, 1:]
    n, k = x.shape
    design = np.column_stack([np.ones(n), x])
    beta, *_ = np.linalg.lstsq(design, y, rcond=None)
    resid = y - design @ beta
    sse = resid @ resid
    sst = ((y - y.mean()) ** 2).sum()
    dof = n - k - 1
    cov = sse / dof * np.linalg.inv(design.T @ design)
    se = np.sqrt(np.diag(cov))
    t = beta / se
    p = 2 * stats.t.sf(np.abs(t), dof)
    r2 = 1 - sse / sst
    f = (sst - sse) / k / (sse / dof)

    wb = openpyxl.load_workbook(book)
    check(wb.sheetnames == ["RLM"], f"sheets {wb.sheetnames}")
    ws = wb["RLM"]
    check(ws["A1"].value == "MLR - Multiple Linear Regression", f"title {ws['A1'].value!r}")
    cr = row_of(ws, "CR")
    if cr is not None:
        for j in range(k + 1):
            got = [ws.cell(cr + 1 + j, c).value for c in (2, 3, 4, 5)]
            check(near(got[0], beta[j], 1e-8), f"coefficient {j}: {got[0]} != {beta[j]}")
            check(near(got[1], se[j], 1e-7), f"SE {j}: {got[1]} != {se[j]}")
            check(near(got[2], t[j], 1e-7), f"t {j}: {got[2]} != {t[j]}")
            check(got[3] is not None and abs(got[3] - p[j]) <= 1e-9 + 1e-6 * p[j],
                  f"p {j}: {got[3]} != {p[j]}")
    for label, want, tol in (("R", np.sqrt(r2), 1e-10), ("R2", r2, 1e-10),
                             ("R2A", 1 - (1 - r2) * (n - 1) / dof, 1e-10),
                             ("DW", (np.diff(resid) ** 2).sum() / sse, 1e-7)):
        r = row_of(ws, label)
        if r is not None:
            check(near(ws.cell(r, 2).value, want, tol), f"{label}: {ws.cell(r, 2).value} != {want}")
    anova = row_of(ws, "ANOVA")
    if anova is not None:
        check(near(ws.cell(anova + 1, 5).value, f, 1e-7), f"F {ws.cell(anova + 1, 5).value} != {f}")
        fp = stats.f.sf(f, k, dof)
        got = ws.cell(anova + 1, 6).value
        check(got is not None and abs(got - fp) <= 1e-12 + 1e-6 * fp, f"p of F {got} != {fp}")
        check(ws.cell(anova + 2, 2).value == dof, "error degrees of freedom")


def hat_and_fit(y, x):
    """Least squares with an intercept: the design, b, residuals y - yhat and leverages."""
    n = len(y)
    design = np.column_stack([np.ones(n), x])
    q, _ = np.linalg.qr(design)
    beta, *_ = np.linalg.lstsq(design, y, rcond=None)
    return design, beta, y - design @ beta, (q * q).sum(axis=1)


def r2_of(target, regressors):
    design = np.column_stack([np.ones(len(target)), regressors])
    beta, *_ = np.linalg.lstsq(design, target, rcond=None)
    e = target - design @ beta
    return 1 - (e @ e) / ((target - target.mean()) ** 2).sum(), e @ e


def robust_se(design, resid, lev, cov):
    n, m = design.shape
    bread = np.linalg.inv(design.T @ design)
    if cov == "NW":
        lags = int(np.floor(4 * (n / 100) ** (2 / 9)))
        u = design * resid[:, None]
        meat = u.T @ u
        for lag in range(1, lags + 1):
            g = u[lag:].T @ u[:-lag]
            meat += (1 - lag / (lags + 1)) * (g + g.T)
    else:
        w = {"HC0": np.ones(n), "HC1": np.full(n, n / (n - m)), "HC2": 1 / (1 - lev),
             "HC3": 1 / (1 - lev) ** 2}[cov]
        meat = (design * (w * resid ** 2)[:, None]).T @ design
    return np.sqrt(np.diag(bread @ meat @ bread))


# The labels of the options' cells, by language.
LABELS = {
    "en": {"diagnostics": "Diagnostics", "condition": "Condition number", "sheet": "Residuals",
           "chart": "Residual plot", "se": "SE", "header": ["Obs.", "Y", "Fitted", "Residual",
           "Standardized residual", "Leverage", "Cook's distance"]},
    "pt": {"diagnostics": "Diagnósticos", "condition": "Nº de condição", "sheet": "Resíduos",
           "chart": "Gráfico de resíduos", "se": "EP", "header": ["Obs.", "Y", "Ajustado",
           "Resíduo", "Resíduo padronizado", "Alavancagem", "Distância de Cook"]},
}


def check_rlm_options(book, data, columns, cov, lang, count):
    """The coefficient table under `cov` (HC0 .. HC3, NW), the diagnostics block and the
    residuals sheet with its chart, every value recomputed here with numpy and scipy."""
    words = LABELS[lang]
    d = read(data, columns, count)
    y, x = d[:, 0], d[:, 1:]
    n, k = x.shape
    design, beta, resid, lev = hat_and_fit(y, x)
    dof = n - k - 1
    wb = openpyxl.load_workbook(book)
    check(wb.sheetnames == ["RLM", words["sheet"], words["chart"]], f"sheets {wb.sheetnames}")
    ws = wb["RLM"]
    se = robust_se(design, resid, lev, cov)
    name = "Newey-West" if cov == "NW" else cov
    cr = row_of(ws, "CR")
    if cr is not None:
        check(ws.cell(cr, 3).value == f"{words['se']} ({name})", f"SE header {ws.cell(cr, 3).value!r}")
        for j in range(k + 1):
            got = [ws.cell(cr + 1 + j, c).value for c in (3, 4, 5)]
            t = beta[j] / se[j]
            p = 2 * stats.t.sf(abs(t), dof)
            check(near(got[0], se[j], 1e-8), f"{cov} SE {j}: {got[0]} != {se[j]}")
            check(near(got[1], t, 1e-8), f"{cov} t {j}: {got[1]} != {t}")
            check(got[2] is not None and abs(got[2] - p) <= 1e-12 + 1e-6 * p, f"p {j}: {got[2]} != {p}")

    # The residual tests.
    e = resid
    c = e - e.mean()
    s2, s3, s4 = (c ** 2).mean(), (c ** 3).mean(), (c ** 4).mean()
    jb = n / 6 * (s3 ** 2 / s2 ** 3 + (s4 / s2 ** 2 - 3) ** 2 / 4)
    bp = n * r2_of(e ** 2, x)[0]
    bg = n * r2_of(e, np.column_stack([x, np.concatenate([[0.0], e[:-1]])]))[0]
    yhat = y - e
    # yhat's powers about its mean span, with X, what yhat^2 and yhat^3 do; the raw powers of
    # values far from zero are too nearly collinear for lstsq to keep RESET's digits.
    v = (yhat - yhat.mean()) / yhat.std()
    sse_u = r2_of(y, np.column_stack([x, v ** 2, v ** 3]))[1]
    reset = ((e @ e - sse_u) / 2) / (sse_u / (n - k - 3)) if n - k - 3 >= 1 else None
    scaled = design / np.linalg.norm(design, axis=0)
    cond = np.linalg.cond(scaled)
    vif = [1 / (1 - r2_of(x[:, j], np.delete(x, j, axis=1))[0]) if k > 1 else 1.0
           for j in range(k)]
    top = row_of(ws, words["diagnostics"])
    if top is not None:
        rows = [[ws.cell(top + i, col).value for col in range(1, 5)] for i in range(6 + k)]
        want = [("Jarque-Bera", jb, 2, stats.chi2.sf(jb, 2), 1e-8),
                ("Breusch-Pagan (Koenker)", bp, k, stats.chi2.sf(bp, k), 1e-8),
                ("Breusch-Godfrey (1)", bg, 1, stats.chi2.sf(bg, 1), 1e-8),
                ("RESET (2,3)", reset, 2, reset and stats.f.sf(reset, 2, n - k - 3), 1e-8)]
        for i, (label, stat, df, p, tol) in enumerate(want):
            got = rows[i + 1]
            check(got[0] == label, f"row {label!r}: {got[0]!r}")
            if label.startswith("RESET") and n - k - 3 < 1:  # no degrees of freedom left
                check(got[1:] == [None, None, None], f"RESET without degrees of freedom: {got}")
                continue
            check(near(got[1], stat, tol), f"{label}: {got[1]} != {stat}")
            check(got[2] == df, f"{label} df {got[2]} != {df}")
            check(got[3] is not None and abs(got[3] - p) <= 1e-12 + 1e-6 * p,
                  f"{label} p {got[3]} != {p}")
        check(rows[5][0] == words["condition"] and near(rows[5][1], cond, 1e-8),
              f"condition number {rows[5]} != {cond}")
        for j in range(k):
            got = rows[6 + j]
            check(got[0] == f"VIF X{j + 1}" and near(got[1], vif[j], 1e-8), f"VIF {got} != {vif[j]}")
        check(ws.cell(top + 6 + k, 1).value is None, "a row after the last VIF")

    # The residuals sheet, one row per observation, and the chart over it.
    if words["sheet"] not in wb.sheetnames:
        return
    rs = wb[words["sheet"]]
    check([rs.cell(1, c).value for c in range(1, 8)] == words["header"],
          f"residuals header {[rs.cell(1, c).value for c in range(1, 8)]}")
    check(rs.max_row == n + 1, f"residual rows {rs.max_row} != {n + 1}")
    s = np.sqrt(e @ e / dof)
    std = e / (s * np.sqrt(1 - lev))
    cook = std ** 2 * lev / ((k + 1) * (1 - lev))
    got = np.array([[rs.cell(r, c).value for c in range(1, 8)] for r in range(2, n + 2)], dtype=float)
    for col, want, what in ((0, np.arange(1, n + 1), "Obs."), (1, y, "Y"), (2, yhat, "fitted"),
                            (3, e, "residual"), (4, std, "standardized"), (5, lev, "leverage"),
                            (6, cook, "Cook")):
        err = np.max(np.abs(got[:, col] - want) / np.maximum(1, np.abs(want)))
        check(err <= 1e-7, f"residuals sheet {what}: worst difference {err}")
    chart = wb[words["chart"]]
    check(len(chart._charts) == 1, "one chart on the residual plot")
    if chart._charts:
        series = chart._charts[0].series
        check(len(series) == 1, f"{len(series)} series on the residual plot")


def check_rlm_exact(book, data, columns):
    """An exact fit: the sheet takes every residual as zero, so each test divides by zero."""
    d = read(data, columns)
    n, k = len(d), columns - 1
    wb = openpyxl.load_workbook(book)
    ws = wb["RLM"]
    cr = row_of(ws, "CR")
    if cr is not None:
        for j in range(k + 1):
            got = [ws.cell(cr + 1 + j, c).value for c in (3, 4, 5)]
            check(got == [0, "#DIV/0!", None], f"exact fit's SE, t and p {j}: {got}")
    top = row_of(ws, "Diagnostics")
    if top is not None:
        for i in range(1, 5):
            got = [ws.cell(top + i, c).value for c in (2, 4)]
            check(got == ["#DIV/0!", None], f"exact fit's test {ws.cell(top + i, 1).value}: {got}")
    rs = wb["Residuals"]
    for r in range(2, n + 2):
        got = [rs.cell(r, c).value for c in (2, 3, 4, 5, 7)]
        check(got[0] == got[1] and got[2] == 0 and got[3] == "#DIV/0!" and got[4] == "#DIV/0!",
              f"exact fit's residual row {r}: {got}")


def check_ewv(book, data, column):
    with open(data) as f:
        prices = np.array([float(r[column]) for r in list(csv.reader(f))[1:]])
    wb = openpyxl.load_workbook(book)
    check(wb.sheetnames == ["Decay EWV"], f"sheets {wb.sheetnames}")
    ws = wb["Decay EWV"]
    check(ws["B7"].value == len(prices), f"sample {ws['B7'].value}")
    check(ws["B9"].value == 0.01 and ws["B10"].value == 0.995, "tolerance and maximum decay")
    # The forecast criterion: sigma2(t+1|t) = l sigma2(t|t-1) + (1 - l) x(t)^2 about the mean,
    # started from the mean of the first 20 squares and scored from t = 20 on.
    x2 = (prices - prices.mean()) ** 2
    best = None
    for j in range(200):
        lam = (800 + j) / 1000
        s = np.empty(len(x2))
        s[20] = x2[:20].mean()
        for i in range(20, len(x2) - 1):
            s[i + 1] = lam * s[i] + (1 - lam) * x2[i]
        rmse = np.sqrt(np.mean((x2[20:] - s[20:]) ** 2))
        if best is None or rmse < best[1]:
            best = (lam, rmse)
    r = row_of(ws, "Decay RMSE")
    if r is not None:
        check(near(ws.cell(r, 2).value, best[0], 1e-12), f"forecast decay {ws.cell(r, 2).value}")
        check(near(ws.cell(r + 1, 2).value, best[1], 1e-9), f"forecast RMSE {ws.cell(r + 1, 2).value}")


def main(argv):
    kind, book, data, number = argv[1], argv[2], argv[3], int(argv[4])
    if kind == "rlm":
        check_rlm(book, data, number)
    elif kind == "rlm-exact":
        check_rlm_exact(book, data, number)
    elif kind == "rlm-options":
        check_rlm_options(book, data, number, argv[5], argv[6], int(argv[7]) if len(argv) > 7 else None)
    else:
        check_ewv(book, data, number)
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
