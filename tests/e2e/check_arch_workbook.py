#!/usr/bin/python3
"""Reads a result workbook of the conditional-volatility (ARCH family) tool that `kvhost run arch
... --out BOOK.xlsx` saved and checks it with openpyxl against numbers recomputed from the data:
the series prepared as the options say, the Gaussian likelihood of the written parameters, the
likelihood-ratio tests (scipy's chi-square), the volatilities, the criteria, the hidden chart data
and the chart's series; on the DAX log returns also against the maxima scipy found and the likelihood at
R fGarch's GARCH(1,1) estimates (tests/reference/data/arch.json).

    check_arch_workbook.py BOOK.xlsx DATA.csv COLUMN [options]

    --rows N              the selection held the first N numbers of the column (default: all)
    --lang en|pt          the language of the texts (default en)
    --treatment log|simple|none   log returns, simple returns or the data as it is (default log)
    --log-box on|off      the state of the log-returns box (default: on for log and none, which
                          is the dialog's default, off for simple)
    --reversed            the data were in reverse order
    --model CODE --q Q --p P      one model (0 ARCH, 1 GARCH, 2 IGARCH, 3 EGARCH, 4 GJR)
    --best aic|aicc|bic --models CODES --qmax Q --pmax P   best-model mode (CODES e.g. 0,1,4)
    --chart               the chart was asked for (hidden "Auxiliar" sheet and a chart sheet)
    --not-converged       the single model's search hit its iteration limit, and its polish
                          reached no maximum

Before reading the workbook the checker tests its own likelihood against the values stored in
arch.json (an independent implementation's), so that a fault of its own cannot pass a workbook.
Prints one line per failed check and exits 1 when any failed.
"""
import argparse
import csv
import html
import json
import math
import os
import re
import sys
import zipfile

import numpy as np
import openpyxl
from scipy import stats

HERE = os.path.dirname(os.path.abspath(__file__))
REFERENCE = os.path.join(HERE, "..", "reference", "data", "arch.json")
DELTA = 1e-5
SENTINEL = -1.7e308
NAMES = {0: "ARCH", 1: "GARCH", 2: "IGARCH", 3: "EGARCH", 4: "GJR"}
CRITERIA = ["aic", "aicc", "bic"]

TEXTS = {
    "pt": {
        "title": "Volatilidade Condicional - Família ARCH",
        "title_best": "Volatilidade Condicional - Família ARCH - Melhor modelo (Critérios AIC, "
                      "AICc e BIC)",
        "best_sheet": "Melhor ARCH",
        "log": "Utilizados os retornos logarítmicos dos dados",
        "simple": "Utilizados os retornos dos dados",
        "none": "Dados históricos diretamente utilizados",
        "reversed": "Ordem inversa - dados mais recentes primeiro",
        "by_age": "Ordem por antiguidade - dados mais antigos primeiro",
        "sample": "Amostra", "parameters": "Parâmetros", "parameter": "Parâmetro",
        "not_converged": "NÃO CONVERGENTE", "current": "Vol. Atual", "unconditional": "Vol. Inc.",
        "aux_title": "Dados para gráfico de volatilidades da família ARCH",
        "aux_header": ["Ponto", "Retornos", "Condicional", "Incondicional", "Projetada"],
        "chart": "Gráfico", "chart_title": "Volatilidade - Modelo",
    },
    "en": {
        "title": "Conditional Volatility - ARCH Family",
        "title_best": "Conditional Volatility - ARCH Family - Best model (AIC,AICc e BIC criteria)",
        "best_sheet": "Best ARCH",
        "log": "Using log-returns for asset prices",
        "simple": "Using asset return from asset prices",
        "none": "No treatment for historic data",
        "reversed": "Reverse order - recent data appears first",
        "by_age": "Order by age - older data appears first",
        "sample": "Sample", "parameters": "Parameters", "parameter": "Parameter",
        "not_converged": "NO CONVERGENCE", "current": "Cond. Vol.", "unconditional": "Unc. Vol.",
        "aux_title": "Source data for ARCH family volatility chart",
        "aux_header": ["Point", "Returns", "Conditional", "Inconditional", "Projected"],
        "chart": "Chart", "chart_title": "Volatility - Model",
    },
}

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
    return bool(condition)


def near(got, want, rel, absolute=0.0):
    return isinstance(got, (int, float)) and not isinstance(got, bool) and \
        abs(got - want) <= absolute + rel * abs(want)


def empty(value):
    return value is None or value == ""


# --- The models, written from their definitions: one plain loop per variance.

def split(q, r, p, theta):
    return theta[0], theta[1:1 + q], theta[1 + q:1 + q + r], theta[1 + q + r:1 + q + r + p]


def stationary(q, r, p, theta):
    _, alpha, _, beta = split(q, r, p, theta)
    return r == 0 and 1 - 2 * DELTA * (q + p) > sum(alpha) + sum(beta)


def egarch_log_variances(q, r, p, e, theta, count):
    """ln h(0) .. ln h(count - 1) of EGARCH, kept as logarithms: a restricted point may take ln h
    far past what exp can give. None when some h is 0."""
    omega, alpha, gamma, beta = split(q, r, p, theta)
    ln_h0 = math.log(math.fsum(v * v for v in e) / len(e))
    log_h = []
    for t in range(count):
        v = omega
        for i in range(1, q + 1):
            g = gamma[i - 1] if i <= r else 0.0
            if t - i < 0:
                v += alpha[i - 1] * (1 + g)
            else:
                x = e[t - i]
                v += alpha[i - 1] * (abs(x) + g * x) * math.exp(-0.5 * log_h[t - i])
        for j in range(1, p + 1):
            v += beta[j - 1] * (log_h[t - j] if t - j >= 0 else ln_h0)
        if v < -745:  # exp(v) is 0
            return None
        log_h.append(v)
    return log_h


def variances(model, q, r, p, e, theta, ahead=0):
    """h(0) .. h(T - 1 + ahead). Past the series a squared shock is replaced by its variance
    (only asked for the symmetric models; EGARCH and GJR only up to h(T)). None when an EGARCH
    variance is 0."""
    T = len(e)
    omega, alpha, gamma, beta = split(q, r, p, theta)
    mean_square = math.fsum(v * v for v in e) / T
    if model == 3:
        assert ahead <= 1
        log_h = egarch_log_variances(q, r, p, e, theta, T + ahead)
        if log_h is None:
            return None
        return [math.exp(v) if v < 709 else math.inf for v in log_h]
    assert r == 0 or ahead <= 1
    S = sum(alpha) + sum(beta)
    if model != 4 and 1 - 2 * DELTA * (q + p) > S:
        h0 = omega / (1 - S)
    else:
        h0 = mean_square
    h = []
    for t in range(T + ahead):
        v = omega
        for i in range(1, q + 1):
            if t - i < 0:
                shock, negative = h0, True
            elif t - i < T:
                shock, negative = e[t - i] ** 2, e[t - i] < 0
            else:
                shock, negative = h[t - i], False
            v += alpha[i - 1] * shock
            if i <= r and negative:
                v += gamma[i - 1] * shock
        for j in range(1, p + 1):
            v += beta[j - 1] * (h[t - j] if t - j >= 0 else h0)
        h.append(v)
    return h


def loglik(model, q, r, p, e, theta):
    if model == 3:
        log_h = egarch_log_variances(q, r, p, e, theta, len(e))
        if log_h is None:
            return SENTINEL
        try:
            return -0.5 * len(e) * math.log(2 * math.pi) - 0.5 * math.fsum(
                (x * math.exp(-0.5 * v)) ** 2 + v for x, v in zip(e, log_h))
        except OverflowError:  # a restricted fit whose variances fall far below the shocks
            return -math.inf
    h = variances(model, q, r, p, e, theta)
    if h is None:
        return SENTINEL
    if min(h) <= 0:
        return float("nan")
    return -0.5 * len(e) * math.log(2 * math.pi) - 0.5 * math.fsum(
        x * x / v + math.log(v) for x, v in zip(e, h))


def decimal_scale(e):
    """k such that e 10^k has a mean square near 1, rounded half away from zero."""
    x = -math.log10(math.fsum(v * v for v in e) / len(e)) / 2
    return int(math.copysign(math.floor(abs(x) + 0.5), x))


def on_scale(model, q, r, p, e, theta, k):
    """The series e 10^k and the point theta carried there: omega times 10^2k (EGARCH: plus
    2k ln 10 (1 - sum beta))."""
    scaled = [v * 10.0 ** k for v in e]
    th = list(theta)
    if model == 3:
        th[0] = theta[0] + 2 * k * math.log(10) * (1 - sum(split(q, r, p, theta)[3]))
    else:
        th[0] = theta[0] * 10.0 ** (2 * k)
    return scaled, th


def restricted(model, q, r, p, theta, index):
    """theta (on the scale of the search) with parameter index at its restriction: omega at
    1e-7 (EGARCH 0), the others 0; a GJR alpha with a negative gamma takes its gamma to 0 too."""
    th = list(theta)
    if index == 0:
        th[0] = 0.0 if model == 3 else 1e-7
    else:
        th[index] = 0.0
        if model == 4 and index <= q and index <= r and th[q + index] < 0:
            th[q + index] = 0.0
    return th


def likelihood_ratio(model, q, r, p, e, theta, index, k):
    """2 (L - L0) taken on the scale of the search, e 10^k, so that every test asks the same
    question of returns in units and in percent."""
    scaled, th = on_scale(model, q, r, p, e, theta, k)
    L = loglik(model, q, r, p, scaled, th)
    L0 = loglik(model, q, r, p, scaled, restricted(model, q, r, p, th, index))
    return 0.0 if L0 == SENTINEL else 2 * (L - L0)


def criteria(L, k, T):
    aic = (-2 * L + 2 * k) / T
    aicc = aic + 2 * k * (k + 1) / ((T - k - 1) * T) if T - k - 1 > 0 else None
    bic = (k * math.log(T) - 2 * L) / T
    return [aic, aicc, bic]


def model_name(model, q, p):
    return f"ARCH ({q})" if model == 0 else f"{NAMES[model]} ({q},{p})"


def parse_model_name(text):
    m = re.fullmatch(r"(ARCH|GARCH|IGARCH|EGARCH|GJR) \((\d+)(?:,(\d+))?\)", str(text))
    if not m:
        return None
    model = [c for c, n in NAMES.items() if n == m.group(1)][0]
    if (model == 0) != (m.group(3) is None):
        return None
    q, p = int(m.group(2)), int(m.group(3) or 0)
    return model, q, q if model in (3, 4) else 0, p


def simple(v):
    return math.exp(v) - 1


# --- Self-test against the reference data.

def self_test(ref):
    e = ref["series"]
    for c in ref["likelihoods"]:
        got = loglik(c["model"], c["q"], c["r"], c["p"], e, c["theta"])
        check(near(got, c["ll"], 1e-10), f"self-test: likelihood of model {c['model']} at "
              f"{c['theta']}: {got} != {c['ll']}")
    units = ref["dax_log_returns"]
    percent = [100 * v for v in units]
    for c in ref["maxima"] + ref.get("tool_maxima", []):
        series = units if c["scale"] == "units" else percent
        got = loglik(c["model"], c["q"], c["r"], c["p"], series, c["theta"])
        check(near(got, c["ll"], 1e-10), f"self-test: likelihood at the maximum of {c['name']} "
              f"{c['scale']}: {got} != {c['ll']}")
    check(decimal_scale(units) == 2 and decimal_scale(percent) == 0, "self-test: decimal scale")
    # The tests are the same on the series in units and in percent: the point carried from one
    # scale to the other keeps every likelihood ratio.
    for c in ref["maxima"]:
        if c["scale"] != "units":
            continue
        model, q, r, p, th = c["model"], c["q"], c["r"], c["p"], c["theta"]
        _, moved = on_scale(model, q, r, p, units, th, 2)
        Lu, Lp = loglik(model, q, r, p, units, th), loglik(model, q, r, p, percent, moved)
        check(near(Lu - Lp, len(units) * math.log(100), 1e-10), f"self-test: {c['name']} "
              "likelihood in units and in percent")
        for index in range(len(th)):
            a = likelihood_ratio(model, q, r, p, units, th, index, 2)
            b = likelihood_ratio(model, q, r, p, percent, moved, index, 0)
            check(abs(a - b) <= 1e-6 + 1e-8 * abs(a), f"self-test: {c['name']} LR {index} "
                  f"{a} in units, {b} in percent")
    # GARCH(1,1) forecasts: s2 + (a + b)^j (h(T) - s2).
    c = [c for c in ref["maxima"] if c["name"] == "GARCH(1,1)" and c["scale"] == "units"][0]
    w, a, b = c["theta"]
    h = variances(1, 1, 0, 1, units, c["theta"], ahead=25)
    T = len(units)
    s2 = w / (1 - a - b)
    for j in range(25):
        want = s2 + (a + b) ** j * (h[T] - s2)
        check(near(h[T + j], want, 1e-12), f"self-test: GARCH(1,1) projection {j}: {h[T + j]}")


# --- The workbook.

def prepare(values, options):
    x = np.array(values, dtype=float)
    if options.reversed:
        x = x[::-1]
    if options.treatment != "none":
        ratio = x[1:] / x[:-1]
        if options.treatment == "log":
            if np.any(ratio <= 0):
                failures.append("a price ratio is not positive: the tool shows the logarithm "
                                "message and writes no workbook")
                return None
            x = np.log(ratio)
        else:
            x = ratio - 1
    if not np.all(np.isfinite(x)):
        failures.append("the prepared series is not finite: the tool shows its general error")
        return None
    return [float(v) for v in x]


def reference_maximum(ref, model, q, r, p):
    for c in ref["maxima"] + ref.get("tool_maxima", []):
        if c["scale"] == "units" and (c["model"], c["q"], c["r"], c["p"]) == (model, q, r, p):
            return c
    return None


def candidates(models, qmax, pmax):
    out = []
    for model in sorted(models):
        for p in [0] if model == 0 else range(pmax):
            for q in range(qmax):
                if q == 0 and p == 0:
                    continue
                out.append((model, q, q if model in (3, 4) else 0, p))
    return out


def chart_parts(path):
    with zipfile.ZipFile(path) as z:
        names = sorted(n for n in z.namelist() if re.fullmatch(r"xl/charts/chart\d+\.xml", n))
        return [z.read(n).decode() for n in names]


def chart_title(xml):
    """The text of the chart's own title (the first title of the part, before the plot area)."""
    m = re.search(r"<(?:\w+:)?title>(.*?)</(?:\w+:)?title>", xml, re.S)
    if not m:
        return None
    return html.unescape("".join(re.findall(r"<(?:\w+:)?t>([^<]*)</(?:\w+:)?t>", m.group(1))))


def unquoted(ref):
    """A reference with its sheet name unquoted where quotes are not needed: 'Auxiliar'!A1."""
    return re.sub(r"^'([A-Za-z_][A-Za-z0-9_.]*)'!", r"\1!", ref) if ref else ref


def series_refs(chart):
    refs = []
    for s in chart.series:
        cat = s.cat.numRef.f if s.cat is not None and s.cat.numRef is not None else None
        if cat is None and s.xVal is not None and s.xVal.numRef is not None:
            cat = s.xVal.numRef.f
        val = None
        if s.val is not None and s.val.numRef is not None:
            val = s.val.numRef.f
        elif s.yVal is not None and s.yVal.numRef is not None:
            val = s.yVal.numRef.f
        name = s.tx.strRef.f if s.tx is not None and s.tx.strRef is not None else None
        refs.append(tuple(unquoted(f) for f in (name, cat, val)))
    return refs


def check_book(book, e, options, ref):
    txt = TEXTS[options.lang]
    T = len(e)
    best = options.best is not None
    try:
        wb = openpyxl.load_workbook(book)
    except Exception as exc:  # a missing or broken file is one failure, not a traceback
        failures.append(f"cannot read {book}: {exc}")
        return
    # The result sheet: "Auxiliar", when there is one, went in on its left.
    results = [w for w in wb.worksheets if w.title != "Auxiliar"]
    if not check(results, "no result sheet"):
        return
    ws = results[0]

    # Which model the sheet is about.
    if best:
        sheet_name = txt["best_sheet"]
        found = parse_model_name(ws["A3"].value)
        if not check(found is not None, f"model name {ws['A3'].value!r}"):
            return
        model, q, r, p = found
        check((model, q, r, p) in candidates(options.models, options.qmax, options.pmax),
              f"{ws['A3'].value} is not one of the candidates")
    else:
        model, q, p = options.model, options.q, 0 if options.model == 0 else options.p
        r = q if model in (3, 4) else 0
        sheet_name = model_name(model, q, p)
    name = model_name(model, q, p)
    npar = 1 + q + r + p
    expected_sheets = (["Auxiliar", sheet_name, txt["chart"]] if options.chart else [sheet_name])
    check(wb.sheetnames == expected_sheets, f"sheets {wb.sheetnames}, expected {expected_sheets}")

    # Heading block.
    check(ws["A1"].value == (txt["title_best"] if best else txt["title"]), f"A1 {ws['A1'].value!r}")
    check(ws["A1"].font.b, "A1 not bold")
    check(ws["A3"].value == name, f"A3 {ws['A3'].value!r}, expected {name!r}")
    check(ws["A5"].value == txt[options.treatment], f"A5 {ws['A5'].value!r}")
    check(ws["A6"].value == txt["reversed" if options.reversed else "by_age"], f"A6 {ws['A6'].value!r}")
    check(ws["A8"].value == txt["sample"] and ws["B8"].value == T,
          f"sample row {ws['A8'].value!r} {ws['B8'].value!r}, expected T = {T}")
    check(ws["A10"].value == txt["parameters"] and ws["B10"].value == npar,
          f"parameters row {ws['A10'].value!r} {ws['B10'].value!r}, expected {npar}")
    check(ws["B8"].number_format == "0" and ws["B10"].number_format == "0",
          f"sample and parameters formats {ws['B8'].number_format!r} {ws['B10'].number_format!r}")
    for row in (2, 4, 7, 9, 11):
        check(all(empty(ws.cell(row, c).value) for c in range(1, 5)), f"row {row} not empty")

    # Parameter table.
    header = [ws.cell(12, c).value for c in range(1, 5)]
    check(header == [name, txt["parameter"], "LR", "p(qui-2)"], f"table header {header}")
    labels = ["A0"] + [f"A{i}" for i in range(1, q + 1)] + [f"L{i}" for i in range(1, r + 1)] + \
        [f"B{j}" for j in range(1, p + 1)]
    got_labels = [ws.cell(13 + i, 1).value for i in range(npar)]
    check(got_labels == labels, f"parameter labels {got_labels}, expected {labels}")
    theta = [ws.cell(13 + i, 2).value for i in range(npar)]
    if not check(all(isinstance(v, (int, float)) for v in theta), f"parameters {theta}"):
        return
    theta = [float(v) for v in theta]
    for i in range(npar):
        fmt = ws.cell(13 + i, 2).number_format
        check(fmt == "0.00000", f"{labels[i]} format {fmt!r}")
    rows = {"status": 13 + npar, "current": 14 + npar, "gap1": 15 + npar,
            "unconditional": 16 + npar, "gap2": 17 + npar, "llf": 18 + npar}

    L = ws.cell(rows["llf"], 2).value
    check(ws.cell(rows["llf"], 1).value == "LLF", f"LLF label {ws.cell(rows['llf'], 1).value!r}")
    if not check(isinstance(L, (int, float)), f"LLF {L!r}"):
        return
    check(ws.cell(rows["llf"], 2).number_format == "0.000",
          f"LLF format {ws.cell(rows['llf'], 2).number_format!r}")
    recomputed = loglik(model, q, r, p, e, theta)
    check(near(L, recomputed, 1e-7), f"LLF {L} is not the likelihood of the written parameters, "
          f"{recomputed}")

    # Likelihood-ratio tests of each parameter.
    k = decimal_scale(e)
    for i in range(npar):
        lr = likelihood_ratio(model, q, r, p, e, theta, i, k)
        got_lr, got_p = ws.cell(13 + i, 3).value, ws.cell(13 + i, 4).value
        tol = 1e-6 + 1e-7 * abs(lr)
        if empty(got_lr) and empty(got_p):
            check(lr <= tol, f"{labels[i]}: LR {lr} > 0 but the cells are empty")
            continue
        if math.isinf(lr):
            # No finite likelihood left under the restriction: the test is shown as an error.
            check(got_lr == "#NUM!" and empty(got_p), f"{labels[i]}: LR {got_lr!r} p {got_p!r}, "
                  "expected #NUM! and no p")
            continue
        if not check(isinstance(got_lr, (int, float)) and isinstance(got_p, (int, float)),
                     f"{labels[i]}: LR {got_lr!r} p {got_p!r}"):
            continue
        check(got_lr > 0, f"{labels[i]}: LR {got_lr} shown although not positive")
        check(abs(got_lr - lr) <= tol, f"{labels[i]}: LR {got_lr} != {lr}")
        want_p = stats.chi2.sf(got_lr, 1)
        check(abs(got_p - want_p) <= 1e-12 + 1e-7 * want_p, f"{labels[i]}: p {got_p} != {want_p}")
        for c in (3, 4):
            fmt = ws.cell(13 + i, c).number_format
            check(fmt == "0.000", f"{labels[i]}: LR/p format {fmt!r}")

    # Status, volatilities.
    status = [v for v in (ws.cell(rows["status"], c).value for c in range(1, 5)) if not empty(v)]
    want_status = [txt["not_converged"]] if options.not_converged else []
    check(status == want_status, f"status row {status}, expected {want_status}")
    for gap in ("gap1", "gap2"):
        check(all(empty(ws.cell(rows[gap], c).value) for c in range(1, 5)),
              f"row {rows[gap]} not empty")
    to_simple = options.log_box == "on"
    h = variances(model, q, r, p, e, theta, ahead=1)
    current = math.sqrt(h[T])
    current = simple(current) if to_simple else current
    check(ws.cell(rows["current"], 1).value == txt["current"],
          f"current volatility label {ws.cell(rows['current'], 1).value!r}")
    got = ws.cell(rows["current"], 2).value
    # As close as the LLF: an EGARCH recursion near explosion carries rounding a long way.
    check(near(got, current, 1e-7), f"current volatility {got} != {current}")
    check(ws.cell(rows["current"], 2).number_format == "0.000%",
          f"current volatility format {ws.cell(rows['current'], 2).number_format!r}")
    is_stationary = stationary(q, r, p, theta)
    _, alpha, _, beta = split(q, r, p, theta)
    unconditional = None
    if is_stationary:
        unconditional = math.sqrt(theta[0] / (1 - sum(alpha) - sum(beta)))
        unconditional = simple(unconditional) if to_simple else unconditional
    check(ws.cell(rows["unconditional"], 1).value == txt["unconditional"],
          f"unconditional volatility label {ws.cell(rows['unconditional'], 1).value!r}")
    got = ws.cell(rows["unconditional"], 2).value
    if unconditional is None:
        check(empty(got), f"unconditional volatility {got!r} for a model that is not stationary")
    else:
        check(near(got, unconditional, 1e-9), f"unconditional volatility {got} != {unconditional}")
        check(ws.cell(rows["unconditional"], 2).number_format == "0.000%",
              f"unconditional volatility format {ws.cell(rows['unconditional'], 2).number_format!r}")

    # Criteria block: the first of its labels below the table.
    crit_labels = ["AIC", "AICc", "BIC"]
    if best:
        used = CRITERIA.index(options.best)
        crit_labels[used] = ["AIC (min)", "AICc (min)", "BIC(min)"][used]
    first = None
    for row in range(rows["llf"] + 1, rows["llf"] + 6):
        if ws.cell(row, 1).value == crit_labels[0]:
            first = row
            break
    kk = q + r + p
    want = criteria(L, kk, T)
    if check(first is not None, f"no {crit_labels[0]!r} below the LLF row"):
        for j in range(3):
            label, value = ws.cell(first + j, 1).value, ws.cell(first + j, 2).value
            check(label == crit_labels[j], f"criterion label {label!r}, expected {crit_labels[j]!r}")
            if want[j] is None:
                check(value == "#DIV/0!", f"{crit_labels[j]} {value!r}, expected #DIV/0!")
            else:
                check(near(value, want[j], 1e-10), f"{crit_labels[j]} {value} != {want[j]}")
                check(ws.cell(first + j, 2).number_format == "0.00000",
                      f"{crit_labels[j]} format {ws.cell(first + j, 2).number_format!r}")

    # Against the reference run on the DAX log returns.
    dax = ref["dax_log_returns"]
    on_dax = len(e) == len(dax) and np.allclose(e, dax, rtol=1e-12, atol=0)
    if on_dax:
        c = reference_maximum(ref, model, q, r, p)
        if c is not None:
            check(L >= c["ll"] - 0.01, f"LLF {L} below scipy's maximum {c['ll']} by more than 0.01")
        if (model, q, p) == (1, 1, 1):
            # fGarch's estimates (in percent) are a point of this likelihood too, and no higher.
            fg = ref["fgarch_garch11_percent"]
            at_fgarch = loglik(1, 1, 0, 1, e, [fg["omega"] * 1e-4, fg["alpha"], fg["beta"]])
            check(L >= at_fgarch, f"GARCH(1,1) LLF {L} below its value at fGarch's estimates, "
                  f"{at_fgarch}")
        if best:
            # The choice: no candidate's maximum has a smaller criterion, within what 0.01 of
            # likelihood is worth.
            used = CRITERIA.index(options.best)
            bars = []
            for cand in candidates(options.models, options.qmax, options.pmax):
                cr = reference_maximum(ref, *cand)
                if check(cr is not None, f"no reference maximum for candidate {cand}"):
                    bars.append((criteria(cr["ll"], sum(cand[1:]), T)[used], cand))
            if bars and want[used] is not None:
                bar, which = min(bars, key=lambda b: b[0] if b[0] is not None else math.inf)
                check(want[used] <= bar + 0.02 / T + 1e-12,
                      f"{options.best} {want[used]} of {name} above {bar} of candidate {which}")

    if options.chart:
        check_auxiliar(wb, book, e, model, q, r, p, theta, h, unconditional, is_stationary,
                       ws.cell(rows["unconditional"], 2).value, txt, name)


def check_auxiliar(wb, book, e, model, q, r, p, theta, h, unconditional, is_stationary,
                   written_unconditional, txt, name):
    if "Auxiliar" not in wb.sheetnames or txt["chart"] not in wb.sheetnames:
        return
    T = len(e)
    ws = wb["Auxiliar"]
    check(ws.sheet_state == "veryHidden", f"Auxiliar {ws.sheet_state}")
    check(ws.sheet_view.showGridLines is False, "Auxiliar shows gridlines")
    check(ws["A1"].value == txt["aux_title"], f"Auxiliar A1 {ws['A1'].value!r}")
    check(ws["A1"].font.b, "Auxiliar A1 not bold")
    columns = 5 if is_stationary else 3
    header = [ws.cell(3, c).value for c in range(1, 7)]
    want_header = txt["aux_header"][:columns] + [None] * (6 - columns)
    check(header == want_header, f"Auxiliar header {header}, expected {want_header}")
    if is_stationary:
        n = math.floor(1.07 * T)
        observations, points = (T, n) if n < 250 else (230, 250)
    else:
        observations, points = (T, T) if T < 250 else (230, 250)
    if is_stationary:
        forecast = variances(model, q, r, p, e, theta, ahead=points - observations) \
            if points > observations else h
    numbers = [ws.cell(4 + i, 1).value for i in range(points + 1)]
    check(numbers == list(range(1, points + 1)) + [None],
          f"Auxiliar: point numbers {numbers[:3]} .. {numbers[-3:]}, expected 1 .. {points}")
    bad = []
    for i in range(points):
        row = 4 + i
        cells = [ws.cell(row, c).value for c in range(2, 7)]
        want = [None] * 5
        if i < observations:
            t = T - observations + i
            want[0] = simple(e[t])
            want[1] = simple(math.sqrt(h[t]))
        else:
            j = i - observations
            if j == 0:
                want[1] = simple(math.sqrt(h[T]))
            want[3] = simple(math.sqrt(forecast[T + j]))
        if is_stationary:
            want[2] = written_unconditional
        for c in range(5):
            if want[c] is None:
                ok = empty(cells[c])
            else:
                ok = near(cells[c], want[c], 1e-9, 1e-15)
                ok = ok and ws.cell(row, 2 + c).number_format == "0.000%"
            if not ok:
                bad.append(f"row {row} column {'BCDEF'[c]}: {cells[c]!r} (format "
                           f"{ws.cell(row, 2 + c).number_format!r}), expected {want[c]!r}")
    check(not bad, f"Auxiliar: {len(bad)} cells wrong, first {bad[:3]}")
    if is_stationary and unconditional is not None:
        check(near(written_unconditional, unconditional, 1e-9), "Auxiliar: unconditional column")

    cs = wb[txt["chart"]]
    check(cs in wb.chartsheets, f"{txt['chart']} is not a chart sheet")
    charts = getattr(cs, "_charts", [])
    if not check(len(charts) == 1, f"{len(charts)} charts on {txt['chart']}"):
        return
    refs = series_refs(charts[0])
    end = points + 3
    letters = "BCDE"[:4 if is_stationary else 2]
    want = [(f"Auxiliar!${c}$3", f"Auxiliar!$A$4:$A${end}", f"Auxiliar!${c}$4:${c}${end}")
            for c in letters]
    check(refs == want, f"chart series {refs}, expected {want}")
    parts = chart_parts(book)
    if check(len(parts) == 1, f"{len(parts)} chart parts"):
        title = chart_title(parts[0])
        check(title is not None and title.startswith(txt["chart_title"]) and name in title,
              f"chart title {title!r}")


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("book")
    parser.add_argument("data")
    parser.add_argument("column", type=int)
    parser.add_argument("--rows", type=int)
    parser.add_argument("--lang", choices=["en", "pt"], default="en")
    parser.add_argument("--treatment", choices=["log", "simple", "none"], default="log")
    parser.add_argument("--log-box", choices=["on", "off"])
    parser.add_argument("--reversed", action="store_true")
    parser.add_argument("--model", type=int, choices=range(5))
    parser.add_argument("--q", type=int, default=1)
    parser.add_argument("--p", type=int, default=1)
    parser.add_argument("--best", choices=CRITERIA)
    parser.add_argument("--models", default="")
    parser.add_argument("--qmax", type=int, default=1)
    parser.add_argument("--pmax", type=int, default=1)
    parser.add_argument("--chart", action="store_true")
    parser.add_argument("--not-converged", action="store_true")
    options = parser.parse_args(argv[1:])
    if options.log_box is None:
        options.log_box = "off" if options.treatment == "simple" else "on"
    if (options.model is None) == (options.best is None):
        parser.error("one of --model and --best")
    if options.best is not None:
        options.models = [int(v) for v in options.models.split(",") if v]

    with open(REFERENCE) as f:
        ref = json.load(f)
    self_test(ref)
    if failures:
        failures.insert(0, "the checker's own recomputation disagrees with arch.json")
    else:
        with open(options.data) as f:
            values = [float(row[options.column]) for row in list(csv.reader(f))[1:]]
        if options.rows is not None:
            values = values[:options.rows]
        e = prepare(values, options)
        if e is not None:
            check_book(options.book, e, options, ref)
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
