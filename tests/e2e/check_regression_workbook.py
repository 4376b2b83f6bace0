#!/usr/bin/python3
"""Reads a regression or best-decay result workbook that `kvhost run` saved and checks it with
openpyxl against numbers recomputed from the data with numpy and scipy: ordinary least squares
with its standard errors, t and p (Student's t, two tails), R, R², adjusted R², Durbin-Watson, the
ANOVA with F and its p; for the decay tool, the sample, the settings and the one-day-ahead
forecast criterion.

    check_regression_workbook.py rlm BOOK.xlsx DATA.csv COLUMNS
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


def read(path, columns):
    with open(path) as f:
        rows = list(csv.reader(f))[1:]
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
    else:
        check_ewv(book, data, number)
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
