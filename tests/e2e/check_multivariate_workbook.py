#!/usr/bin/python3
"""Reads a PCA or ICA result workbook that `kvhost run` saved and checks it with openpyxl: every
block where the tools put it, its number formats, and its numbers recomputed from the data with
numpy, or checked by properties that hold whatever the sign and order conventions (a rotation
keeps the communalities, a demixing matrix inverts its mixing matrix on the whitened space).

    check_multivariate_workbook.py pca BOOK.xlsx DATA.csv COLUMNS LANG [bw] [kaiser|PCT] [options]
    check_multivariate_workbook.py ica BOOK.xlsx DATA.csv COLUMNS LANG [bw] [convergence]

COLUMNS is how many leading columns of DATA.csv were selected (every row of numbers). With
`options` the PCA run had scores, adequacy and parallel analysis ticked: the adequacy block
against numpy's KMO, MSA and Bartlett (scipy's chi-squared tail), the parallel analysis against
a numpy simulation of 4,000 data sets of the same shape, the scores sheet against Z V / sqrt(lambda)
and its rotation by the sheet's T, and the scree chart's three series.
Prints one line per failed check and exits 1 when any failed.
"""
import csv
import itertools
import os
import sys
import zipfile

import numpy as np
import openpyxl

# The FastICA rule reimplemented in numpy, shared with the reference values of the unit tests.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "reference"))
from generate_fastica_convergence import fastica  # noqa: E402

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def read_data(path, columns):
    with open(path) as f:
        rows = list(csv.reader(f))[1:]
    return np.array([[float(v) for v in r[:columns]] for r in rows])


def row_values(ws, row, first, count):
    return np.array([ws.cell(row, c).value for c in range(first, first + count)], dtype=float)


def block(ws, first_row, first_col, rows, cols):
    return np.array([[ws.cell(first_row + i, first_col + j).value for j in range(cols)]
                     for i in range(rows)], dtype=float)


def near(a, b, tol):
    a, b = np.asarray(a, dtype=float), np.asarray(b, dtype=float)
    return a.shape == b.shape and np.all(np.abs(a - b) <= tol * np.maximum(1.0, np.abs(b)))


def formats(ws, row, first, count):
    return {ws.cell(row, c).number_format for c in range(first, first + count)}


def chart_xml(path):
    with zipfile.ZipFile(path) as z:
        charts = sorted(n for n in z.namelist() if n.startswith("xl/charts/chart"))
        return [z.read(n).decode() for n in charts]


def check_data_block(ws, x, title, variables, label, means_label, bw, matrix, matrix_label):
    n, p = x.shape
    check(ws["A1"].value == title, f"title {ws['A1'].value!r}")
    check(ws["A1"].font.b, "the title is not bold")
    check((ws["A3"].value, ws["B3"].value) == (variables, p), f"row 3 {ws['A3'].value} {ws['B3'].value}")
    check(ws["B4"].value == n, f"sample {ws['B4'].value}, expected {n}")
    check(formats(ws, 3, 2, 1) == {"0"} and formats(ws, 4, 2, 1) == {"0"}, "counts' format")
    check([ws.cell(6, 2 + j).value for j in range(p)] == [f"{label}{j + 1}" for j in range(p)],
          "variable labels")
    check(ws["A7"].value == means_label, f"A7 {ws['A7'].value!r}")
    check(near(row_values(ws, 7, 2, p), x.mean(axis=0), 1e-12), "means")
    check(near(row_values(ws, 8, 2, p), x.std(axis=0, ddof=1), 1e-11), "standard deviations")
    check(ws["A10"].value == matrix_label, f"A10 {ws['A10'].value!r}")
    check(near(block(ws, 11, 2, p, p), matrix, 1e-10), "the correlation or covariance matrix")
    check(formats(ws, 11, 2, p) == {"#,##0.0000"}, "matrix format")
    fill = ws["B11"].fill.fgColor.rgb if ws["B11"].fill.fill_type else None
    check((fill is None) == bw, f"table shading {fill} in {'black and white' if bw else 'colour'}")


def eigenvalues_descending(matrix):
    return np.sort(np.linalg.eigvalsh(matrix))[::-1]


def check_pca(book, data, columns, lang, bw, criterion, options):
    pt = lang == "pt"
    x = read_data(data, columns)
    n, p = x.shape
    wb = openpyxl.load_workbook(book)
    sheets = ["PCA", "Scree Test"] + ([("Escores" if pt else "Scores")] if options else [])
    check(wb.sheetnames == sheets, f"sheets {wb.sheetnames}")
    ws = wb["PCA"]
    check(ws.sheet_view.showGridLines is False, "gridlines shown")
    r = np.corrcoef(x, rowvar=False)
    check_data_block(ws, x, "PCA - Análise de Componentes Principais" if pt else
                     "PCA - Principal Component Analysis", "Variáveis" if pt else "Variables",
                     "V", "Médias" if pt else "Mean", bw, r, "Correlações" if pt else "Correlation")

    # Eigenvalue table.
    e = p + 11
    lam = eigenvalues_descending(r)
    check([ws.cell(e, 2 + j).value for j in range(p)] == list(range(1, p + 1)), "factor numbers")
    check(near(row_values(ws, e + 1, 2, p), lam, 1e-10), "eigenvalues")
    check(near(row_values(ws, e + 2, 2, p - 1), lam[:-1] - lam[1:], 1e-9), "differences")
    check(ws.cell(e + 2, p + 1).value is None, "the last difference cell is not empty")
    check(near(row_values(ws, e + 3, 2, p), lam / lam.sum(), 1e-10), "proportions")
    cumulative = np.cumsum(lam) / lam.sum()
    check(near(row_values(ws, e + 4, 2, p), cumulative, 1e-10), "cumulative proportions")
    check(formats(ws, e + 3, 2, p) == {"0.00%"} and formats(ws, e + 4, 2, p) == {"0.00%"},
          "proportions' format")
    check(formats(ws, e + 1, 2, p) == {"#,##0.0000"}, "eigenvalues' format")

    # Retained factors and their loadings, up to each column's sign.
    if criterion == "kaiser":
        k = int(np.argmax(lam <= 1.0)) if np.any(lam <= 1.0) else p
        name = "Kaiser"
    else:
        k = int(np.argmax(cumulative >= 0.01 * float(criterion))) + 1
        name = "Proporção" if pt else "Proportion"
    f = e + 6
    check(ws.cell(f, 2).value == name, f"criterion {ws.cell(f, 2).value!r}")
    check([ws.cell(f + 2, 2 + j).value for j in range(k)] == [f"F{j + 1}" for j in range(k)],
          f"factor labels for K = {k}")
    w, v = np.linalg.eigh(r)
    v = v[:, ::-1][:, :k]
    v = v * np.where(v.sum(axis=0) > 0, 1.0, -1.0)  # each eigenvector with a positive sum
    loadings = block(ws, f + 3, 2, p, k)
    check(near(loadings, v * np.sqrt(lam[:k]), 1e-8), "loadings")
    check(near(block(ws, f + 3, k + 4, p, k), v, 1e-8), "principal-component coefficients")
    communality = (loadings ** 2).sum(axis=1)
    q = f + p + 5
    check(near(block(ws, q + 1, 2, p, 1)[:, 0], communality, 1e-10), "communalities")
    check(near(ws.cell(q + p + 2, 2).value, lam[:k].sum(), 1e-10), "total variance")

    # Varimax: T orthogonal, rotated = L T, and the communalities unchanged by the rotation.
    wv = q + p + 5
    check(ws.cell(wv, 1).value == "VARIMAX", f"varimax title {ws.cell(wv, 1).value!r}")
    t = block(ws, wv + 2, 2, k, k)
    check(near(t @ t.T, np.eye(k), 1e-9), "the varimax rotation is not orthogonal")
    rotated = block(ws, wv + k + 5, 2, p, k)
    check(near(rotated, loadings @ t, 1e-9), "rotated loadings")
    x_row = wv + k + p + 7
    check(near(block(ws, x_row + 2, 2, p, 1)[:, 0], communality, 1e-9),
          "rotated communalities differ from the unrotated ones")

    # Scree chart: the eigenvalues as markers over the factor numbers, an XY series.
    xml = chart_xml(book)
    check(len(xml) == 1 and "<c:scatterChart>" in xml[0], "the scree chart is not an XY chart")
    if options:
        check_options(wb, ws, x, r, lam, v, t, x_row + p + 6, pt)
        check(xml and xml[0].count("<c:ser>") == 3, "the scree chart has not three series")
    if xml:
        check(f"PCA!$B${e}:${openpyxl.utils.get_column_letter(p + 1)}${e}" in xml[0],
              "categories reference")
        check(f"PCA!$B${e + 1}:${openpyxl.utils.get_column_letter(p + 1)}${e + 1}" in xml[0],
              "values reference")
        check("<c:marker>" in xml[0], "no markers")


def check_convergence(ws, row, xc, w_sheet, pt):
    """The convergence report at `row` against a numpy run of the FastICA rule on the data
    whitened as the tool whitens them. An eigenvector's sign is a convention: of the 2^p sign
    choices, the run is the one whose demixing matrix is the sheet's."""
    p = xc.shape[1]
    k = w_sheet.shape[0]
    check(ws.cell(row - 1, 1).value is None, "no empty row above the convergence report")
    check([ws.cell(row, c).value for c in range(1, 5)] ==
          (["Convergência", "Iterações", "Convergiu", "Variação final"] if pt else
           ["Convergence", "Iterations", "Converged", "Final change"]),
          f"convergence heading {[ws.cell(row, c).value for c in range(1, 5)]}")
    check([ws.cell(row + 1 + q, 1).value for q in range(k)] == [f"IC{q + 1}" for q in range(k)],
          "component labels")
    check(ws.cell(row + k + 1, 1).value is None, "a row below the convergence report")
    check(formats(ws, row + 1, 2, 1) == {"0"} and formats(ws, row + 1, 4, 1) == {"0.000E+00"},
          "convergence formats")
    lam, e = np.linalg.eigh(np.cov(xc, rowvar=False))
    order = np.argsort(lam)[::-1]
    lam, e = lam[order], e[:, order]
    run = None
    for signs in itertools.product((1.0, -1.0), repeat=p):
        wh = np.diag(lam ** -0.5) @ (e * np.array(signs)).T
        components = fastica(wh @ xc.T, k)
        b = np.zeros((p, k))
        for q, c in enumerate(components):
            b[:, q] = c["w"] if c["accepted"] else 0.0
        if near(b.T @ wh, w_sheet, 1e-6):
            run = components
            break
    check(run is not None, "no sign choice of the whitening gives the sheet's demixing matrix")
    if run is None:
        return
    yes, no = ("Sim", "Não") if pt else ("Yes", "No")
    for q, c in enumerate(run):
        got = [ws.cell(row + 1 + q, col).value for col in (2, 3, 4)]
        check(got[0] == c["iterations"], f"IC{q + 1}: {got[0]} iterations, numpy {c['iterations']}")
        check(got[1] == (yes if c["accepted"] else no), f"IC{q + 1}: converged {got[1]!r}")
        check(abs(got[2] - c["change"]) <= 1e-6 * c["change"] + 1e-14,
              f"IC{q + 1}: final change {got[2]}, numpy {c['change']}")


def check_options(wb, ws, x, r, lam, v, t, top, pt):
    """The adequacy block from row `top`, the parallel analysis below it, the scores sheet."""
    n, p = x.shape
    k = v.shape[1]
    q = np.linalg.inv(r)
    a = q / np.sqrt(np.outer(np.diag(q), np.diag(q)))
    r0, a0 = r - np.diag(np.diag(r)), a - np.diag(np.diag(a))
    kmo = (r0**2).sum() / ((r0**2).sum() + (a0**2).sum())
    msa = (r0**2).sum(0) / ((r0**2).sum(0) + (a0**2).sum(0))
    chi2 = -(n - 1 - (2 * p + 5) / 6) * np.log(np.linalg.det(r))
    df = p * (p - 1) // 2
    labels = [ws.cell(top + i, 1).value for i in range(p + 5)]
    check(labels == ["Adequação" if pt else "Adequacy", "KMO"] + [f"MSA V{j + 1}" for j in range(p)]
          + ["Bartlett qui-2" if pt else "Bartlett chi-2", "gl" if pt else "df", "p"],
          f"adequacy labels {labels}")
    check(near(ws.cell(top + 1, 2).value, kmo, 1e-10), "KMO")
    check(near(block(ws, top + 2, 2, p, 1)[:, 0], msa, 1e-10), "MSA")
    check(near(ws.cell(top + p + 2, 2).value, chi2, 1e-10), "Bartlett's chi-squared")
    check(ws.cell(top + p + 3, 2).value == df, "Bartlett's df")
    from scipy import stats
    check(near(ws.cell(top + p + 4, 2).value, stats.chi2.sf(chi2, df), 1e-9), "Bartlett's p")

    # Parallel analysis: the sheet's 500 draws against 4,000 data sets simulated here.
    pa = top + p + 6
    header = [ws.cell(pa, c).value for c in range(1, 5)]
    check(header == (["Análise paralela", "Autovalor", "Média aleatória", "Percentil 95"] if pt else
                     ["Parallel analysis", "Eigenvalue", "Random mean", "95th percentile"]),
          f"parallel header {header}")
    rows = block(ws, pa + 1, 1, p, 4)
    check(list(rows[:, 0]) == list(range(1, p + 1)), "parallel factor numbers")
    check(near(rows[:, 1], lam, 1e-10), "parallel eigenvalues")
    rng = np.random.default_rng(7)
    sims = np.array([np.sort(np.linalg.eigvalsh(np.corrcoef(rng.standard_normal((n, p)),
                                                            rowvar=False)))[::-1]
                     for _ in range(4000)])
    se = sims.std(0, ddof=1) / np.sqrt(500)
    check(np.all(np.abs(rows[:, 2] - sims.mean(0)) <= 5 * se + 3 * sims.std(0) / np.sqrt(4000)),
          "random means far from the simulation's")
    low, high = np.quantile(sims, [0.90, 0.99], axis=0)
    check(np.all((rows[:, 3] >= low) & (rows[:, 3] <= high)), "95th percentiles out of band")
    above = rows[:, 1] > rows[:, 3]
    kpa = int(np.argmin(above)) if not above.all() else p
    check(ws.cell(pa + p + 1, 1).value == ("K (análise paralela)" if pt else "K (parallel analysis)")
          and ws.cell(pa + p + 1, 2).value == kpa, f"K of the parallel analysis, expected {kpa}")

    # Scores: unit variance, Z V / sqrt(lambda), and rotated by T.
    sc = wb["Escores" if pt else "Scores"]
    head = [sc.cell(1, c).value for c in range(1, 2 * k + 2)]
    check(head == ["Obs."] + [f"F{j + 1}" for j in range(k)] + [f"FRot{j + 1}" for j in range(k)],
          f"scores header {head}")
    z = (x - x.mean(0)) / x.std(0, ddof=1)
    f = z @ v / np.sqrt(lam[:k])
    got = block(sc, 2, 2, n, k)
    check(near(got, f, 1e-9), "scores")
    check(near(block(sc, 2, k + 2, n, k), f @ t, 1e-9), "rotated scores")
    check(near(np.atleast_2d(np.cov(got, rowvar=False)), np.eye(k), 1e-9),
          "scores without unit variance")
    check(sc.cell(n + 1, 1).value == n and sc.cell(n + 2, 1).value is None, "score rows")


def check_ica(book, data, columns, lang, bw, convergence=False):
    pt = lang == "pt"
    x = read_data(data, columns)
    n, p = x.shape
    wb = openpyxl.load_workbook(book)
    check(wb.sheetnames == ["ICA"], f"sheets {wb.sheetnames}")
    ws = wb["ICA"]
    cv = np.cov(x, rowvar=False)
    check_data_block(ws, x, "ICA - Análise de Componentes Independentes" if pt else
                     "ICA - Independent Component Analysis", "Sinais" if pt else "Signals", "S",
                     "Médias" if pt else "Means", bw, cv,
                     "Covariâncias" if pt else "Covariances")
    lam = eigenvalues_descending(cv)
    check([ws.cell(p + 12, 2 + j).value for j in range(p)] == list(range(1, p + 1)),
          "eigenvalue numbers")
    check(near(row_values(ws, p + 13, 2, p), lam, 1e-9), "eigenvalues")

    # Mixing A (p x k) and demixing W (k x p): W A = I, and the sources W (x - mean) are
    # uncorrelated with unit variance.
    m = p + 15
    k = p
    check(ws.cell(m, 1).value == "Mixing", f"M {ws.cell(m, 1).value!r}")
    a = block(ws, m + 1, 2, p, k)
    w = block(ws, m + 1, k + 4, k, p)
    check(near(w @ a, np.eye(k), 1e-8), "demixing times mixing is not the identity")
    f = 2 * p + 17
    check(ws.cell(f, 1).value == ("Fontes" if pt else "Sources"), f"F {ws.cell(f, 1).value!r}")
    check([ws.cell(f + t, 1).value for t in (1, 2, n)] == [1, 2, n], "observation numbers")
    sources = block(ws, f + 1, 2, n, k)
    check(near(sources, (x - x.mean(axis=0)) @ w.T, 1e-8), "sources are not W (x - mean)")
    check(near(np.cov(sources, rowvar=False), np.eye(k), 1e-8), "sources are not white")
    check(formats(ws, f + 1, 2, k) == {"#,##0.0000"}, "sources' format")
    if convergence:
        check_convergence(ws, f + n + 2, x - x.mean(axis=0), w, pt)
    else:
        check(ws.cell(f + n + 2, 1).value is None, "a block below the sources")


def main(argv):
    kind, book, data, columns, lang = argv[1], argv[2], argv[3], int(argv[4]), argv[5]
    rest = argv[6:]
    bw = "bw" in rest
    if kind == "pca":
        criterion = next((a for a in rest if a not in ("bw", "options")), "kaiser")
        check_pca(book, data, columns, lang, bw, criterion, "options" in rest)
    else:
        check_ica(book, data, columns, lang, bw, "convergence" in rest)
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
