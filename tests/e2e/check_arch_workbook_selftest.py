#!/usr/bin/python3
"""A test of check_arch_workbook.py itself, without kvhost: builds workbooks in the ARCH tool's
layout with openpyxl from the reference points in arch.json (variances and likelihoods from
tests/reference/generate_arch.py's implementation, not the checker's), runs the checker on them
and expects every faithful workbook to pass and every spoiled copy to fail.

    check_arch_workbook_selftest.py DATA.csv      (the bundled eu_stock_markets.csv)

Prints one line per unexpected outcome and exits 1 when there was any.
"""
import importlib.util
import json
import math
import os
import subprocess
import sys
import tempfile

import numpy as np
import openpyxl
from openpyxl.chart import LineChart, Reference, Series
from openpyxl.chart.data_source import StrRef
from openpyxl.chart.series import SeriesLabel
from openpyxl.styles import Font
from scipy import stats

HERE = os.path.dirname(os.path.abspath(__file__))
CHECKER = os.path.join(HERE, "check_arch_workbook.py")
found = importlib.util.spec_from_file_location(
    "generate_arch", os.path.join(HERE, "..", "reference", "generate_arch.py"))
gen = importlib.util.module_from_spec(found)
found.loader.exec_module(gen)
with open(os.path.join(HERE, "..", "reference", "data", "arch.json")) as f:
    REF = json.load(f)

WORDS = {
    "en": ["Conditional Volatility - ARCH Family",
           "Conditional Volatility - ARCH Family - Best model (AIC,AICc e BIC criteria)",
           "Best ARCH", "Using log-returns for asset prices",
           "Order by age - older data appears first", "Sample", "Parameters", "Parameter",
           "Cond. Vol.", "Unc. Vol.", "Source data for ARCH family volatility chart",
           ["Point", "Returns", "Conditional", "Inconditional", "Projected"], "Chart",
           "Volatility - Model", "Using asset return from asset prices",
           "No treatment for historic data", "Reverse order - recent data appears first"],
    "pt": ["Volatilidade Condicional - Família ARCH",
           "Volatilidade Condicional - Família ARCH - Melhor modelo (Critérios AIC, AICc e BIC)",
           "Melhor ARCH", "Utilizados os retornos logarítmicos dos dados",
           "Ordem por antiguidade - dados mais antigos primeiro", "Amostra", "Parâmetros",
           "Parâmetro", "Vol. Atual", "Vol. Inc.",
           "Dados para gráfico de volatilidades da família ARCH",
           ["Ponto", "Retornos", "Condicional", "Incondicional", "Projetada"], "Gráfico",
           "Volatilidade - Modelo", "Utilizados os retornos dos dados",
           "Dados históricos diretamente utilizados",
           "Ordem inversa - dados mais recentes primeiro"],
}


def reference_point(name):
    for c in REF["maxima"] + REF["tool_maxima"]:
        if c["name"] == name and c["scale"] == "units":
            return c
    raise KeyError(name)


def forecasts(q, p, e, theta, h, count):
    """h(T) .. h(T + count - 1): past the series each squared shock is its variance."""
    T = len(e)
    w, alpha, beta = theta[0], theta[1:1 + q], theta[1 + q:1 + q + p]
    out = list(h) + [0.0] * count
    for t in range(T, T + count):
        v = w
        for i in range(1, q + 1):
            v += alpha[i - 1] * (e[t - i] ** 2 if t - i < T else out[t - i])
        for j in range(1, p + 1):
            v += beta[j - 1] * out[t - j]
        out[t] = v
    return out


def build(path, e, model, q, r, p, theta, lang="en", best=None, chart=False, treatment="log",
          reversed_order=False, log_box=True):
    W = WORDS[lang]
    T = len(e)
    name = f"ARCH ({q})" if model == 0 else \
        f"{['ARCH', 'GARCH', 'IGARCH', 'EGARCH', 'GJR'][model]} ({q},{p})"
    npar = 1 + q + r + p
    L = gen.loglik(model, q, r, p, e, theta)
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = W[2] if best else name
    ws["A1"] = W[1] if best else W[0]
    ws["A1"].font = Font(bold=True)
    ws["A3"] = name
    ws["A5"] = {"log": W[3], "simple": W[14], "none": W[15]}[treatment]
    ws["A6"] = W[16] if reversed_order else W[4]
    conv = (lambda v: math.exp(v) - 1) if log_box else (lambda v: v)
    ws["A8"], ws["B8"], ws["A10"], ws["B10"] = W[5], T, W[6], npar
    ws["B8"].number_format = ws["B10"].number_format = "0"
    for c, v in enumerate([name, W[7], "LR", "p(qui-2)"], 1):
        ws.cell(12, c, v)
    labels = ["A0"] + [f"A{i}" for i in range(1, q + 1)] + [f"L{i}" for i in range(1, r + 1)] + \
        [f"B{j}" for j in range(1, p + 1)]
    # The tests on the scale of the search: e 10^k, omega carried there.
    k = round(-math.log10(np.mean(np.square(e))) / 2)
    es = [v * 10.0 ** k for v in e]
    scaled = list(theta)
    scaled[0] = theta[0] + 2 * k * math.log(10) * (1 - sum(theta[1 + q + r:])) if model == 3 \
        else theta[0] * 100.0 ** k
    Ls = gen.loglik(model, q, r, p, es, scaled)
    for i in range(npar):
        row = 13 + i
        ws.cell(row, 1, labels[i])
        ws.cell(row, 2, theta[i]).number_format = "0.00000"
        th = list(scaled)
        if i == 0:
            th[0] = 0.0 if model == 3 else 1e-7
        else:
            th[i] = 0.0
            if model == 4 and i <= q and th[q + i] < 0:
                th[q + i] = 0.0
        lr = 2 * (Ls - gen.loglik(model, q, r, p, es, th))
        if lr > 0:
            ws.cell(row, 3, lr).number_format = "0.000"
            ws.cell(row, 4, float(stats.chi2.sf(lr, 1))).number_format = "0.000"
    # h(0) .. h(T): h(T) is the last variance of the series with one more value, which it does
    # not depend on; the start value h0 is that of the series itself (EGARCH and GJR with q = 1).
    h = list(gen.variances(model, q, r, p, e, theta))
    if model == 3:
        x, g = e[-1], theta[1 + q] if r else 0.0
        h.append(math.exp(theta[0] + theta[1] * (abs(x) + g * x) / math.sqrt(h[-1]) +
                          sum(b * math.log(h[-j]) for j, b in enumerate(theta[1 + q + r:], 1))))
    else:
        h.append(forecasts(q, p, e, theta, h, 1)[len(e)] if model != 4 else
                 theta[0] + (theta[1] + (theta[2] if e[-1] < 0 else 0)) * e[-1] ** 2 +
                 sum(b * h[-j] for j, b in enumerate(theta[1 + q + r:], 1)))
    S = sum(theta[1:1 + q]) + sum(theta[1 + q + r:])
    still = r == 0 and 1 - 2e-5 * (q + p) > S
    ws.cell(14 + npar, 1, W[8])
    ws.cell(14 + npar, 2, conv(math.sqrt(h[T]))).number_format = "0.000%"
    ws.cell(16 + npar, 1, W[9])
    unc = conv(math.sqrt(theta[0] / (1 - S))) if still else None
    if still:
        ws.cell(16 + npar, 2, unc).number_format = "0.000%"
    ws.cell(18 + npar, 1, "LLF")
    ws.cell(18 + npar, 2, L).number_format = "0.000"
    kk = q + r + p
    aic = (2 * kk - 2 * L) / T
    values = [aic, aic + 2 * kk * (kk + 1) / ((T - kk - 1) * T), (kk * math.log(T) - 2 * L) / T]
    crit = ["AIC", "AICc", "BIC"]
    if best is not None:
        crit[best] = ["AIC (min)", "AICc (min)", "BIC(min)"][best]
    for j in range(3):
        ws.cell(19 + npar + j, 1, crit[j])
        ws.cell(19 + npar + j, 2, values[j]).number_format = "0.00000"
    if chart:
        aux = wb.create_sheet("Auxiliar", 0)
        aux.sheet_state = "veryHidden"
        aux.sheet_view.showGridLines = False
        aux["A1"] = W[10]
        aux["A1"].font = Font(bold=True)
        for c, v in enumerate(W[11][:5 if still else 3], 1):
            aux.cell(3, c, v)
        if still:
            points = math.floor(1.07 * T)
            obs, points = (T, points) if points < 250 else (230, 250)
        else:
            obs, points = (T, T) if T < 250 else (230, 250)
        hh = forecasts(q, p, e, theta, h[:T], points - obs) if still else h
        for i in range(points):
            row = 4 + i
            aux.cell(row, 1, i + 1)
            if i < obs:
                t = T - obs + i
                aux.cell(row, 2, math.exp(e[t]) - 1).number_format = "0.000%"
                aux.cell(row, 3, math.exp(math.sqrt(h[t])) - 1).number_format = "0.000%"
            else:
                t = T + i - obs
                if i == obs:
                    aux.cell(row, 3, math.exp(math.sqrt(h[T])) - 1).number_format = "0.000%"
                aux.cell(row, 5, math.exp(math.sqrt(hh[t])) - 1).number_format = "0.000%"
            if still:
                aux.cell(row, 4, unc).number_format = "0.000%"
        cs = wb.create_chartsheet(W[12])
        lc = LineChart()
        lc.title = f"{W[13]} {name}"
        for col in range(2, 6 if still else 4):
            s = Series(Reference(aux, min_col=col, min_row=4, max_row=points + 3))
            s.tx = SeriesLabel(strRef=StrRef(f"Auxiliar!${'ABCDE'[col - 1]}$3"))
            lc.series.append(s)
        lc.set_categories(Reference(aux, min_col=1, min_row=4, max_row=points + 3))
        cs.add_chart(lc)
    wb.save(path)


RUNS = []


def run(args):
    RUNS.append(args[0])
    if "--data" in args:  # another data file in the place of the prices
        i = args.index("--data")
        args = [args[0], args[i + 1]] + args[2:i] + args[i + 2:]
    done = subprocess.run([sys.executable, CHECKER] + args, capture_output=True, text=True)
    return done.returncode, done.stdout + done.stderr


def result_sheet(wb):
    """The sheet of the results: "Auxiliar" goes in on its left."""
    return [w for w in wb.worksheets if w.title != "Auxiliar"][0]


def main(argv):
    data = argv[1]
    units = REF["dax_log_returns"]
    with open(data) as f:
        prices = [float(line.split(",")[0]) for line in f.readlines()[1:]]
    short = [math.log(prices[t + 1] / prices[t]) for t in range(199)]  # the first 200 prices
    back = prices[::-1]
    simple_back = [back[t + 1] / back[t] - 1 for t in range(len(back) - 1)]
    problems = []
    with tempfile.TemporaryDirectory() as tmp:
        def book(tag):
            return os.path.join(tmp, tag + ".xlsx")

        returns = os.path.join(tmp, "returns.csv")
        with open(returns, "w") as f:
            f.write("r\n" + "\n".join(repr(v) for v in units) + "\n")
        cases = [
            ("garch", units, (1, 1, 0, 1), "GARCH(1,1)", {"chart": True},
             ["--model", "1", "--q", "1", "--p", "1", "--chart"]),
            ("gjr", units, (4, 1, 1, 1), "GJR(1,1)", {"lang": "pt"},
             ["--model", "4", "--q", "1", "--p", "1", "--lang", "pt"]),
            ("egarch", units, (3, 1, 1, 1), "EGARCH(1,1)", {}, ["--model", "3"]),
            ("arch2", units, (0, 2, 0, 0), "ARCH(2)", {"chart": True},
             ["--model", "0", "--q", "2", "--chart"]),
            ("best", units, (1, 1, 0, 1), "GARCH(1,1)", {"best": 2},
             ["--best", "bic", "--models", "0,1,4", "--qmax", "2", "--pmax", "2"]),
            ("short", short, (1, 1, 0, 1), "GARCH(1,1)", {"chart": True, "lang": "pt"},
             ["--rows", "200", "--model", "1", "--chart", "--lang", "pt"]),
            ("short-gjr", short, (4, 1, 1, 1), "GJR(1,1)", {"chart": True},
             ["--rows", "200", "--model", "4", "--chart"]),
        ]
        cases += [
            ("simple", simple_back, (1, 1, 0, 1), "GARCH(1,1)",
             {"chart": True, "treatment": "simple", "reversed_order": True, "log_box": False},
             ["--model", "1", "--chart", "--treatment", "simple", "--reversed"]),
            ("none", units, (1, 1, 0, 1), "GARCH(1,1)", {"treatment": "none"},
             ["--model", "1", "--treatment", "none", "--data", returns]),
        ]
        for tag, e, (model, q, r, p), point, kw, args in cases:
            build(book(tag), e, model, q, r, p, reference_point(point)["theta"], **kw)
            code, text = run([book(tag), data, "0"] + args)
            if code != 0:
                problems.append(f"{tag}: a faithful workbook failed:\n{text}")

        # Spoiled copies, each expected to fail with the text given.
        def spoil(tag, args, change, expect):
            wb = openpyxl.load_workbook(book(tag))
            change(wb)
            wb.save(book("spoiled"))
            code, text = run([book("spoiled"), data, "0"] + args)
            if code != 1 or expect not in text:
                problems.append(f"spoiled {tag} ({expect}) was not caught: exit {code}\n{text}")

        g = cases[0][5]
        cell = lambda ref, value: lambda wb: result_sheet(wb)[ref].__setattr__("value", value)
        spoil("garch", g, lambda wb: result_sheet(wb)["C14"].__setattr__(
            "value", result_sheet(wb)["C14"].value * 1.01), "A1: LR")
        spoil("garch", g, lambda wb: result_sheet(wb)["B21"].__setattr__(
            "value", result_sheet(wb)["B21"].value + 0.01),
              "is not the likelihood of the written parameters")
        # omega 0.1 % off: at the maximum the likelihood hardly moves, the tests and the
        # volatilities do.
        spoil("garch", g, cell("B13", reference_point("GARCH(1,1)")["theta"][0] * 1.001),
              "A1: LR")
        spoil("garch", g, lambda wb: result_sheet(wb)["B21"].__setattr__("number_format", "0.00"),
              "LLF format")
        spoil("garch", g, cell("B8", 1860), "sample row")
        spoil("garch", g, cell("A5", "No treatment for historic data"), "A5")
        spoil("garch", g, lambda wb: wb["Auxiliar"].__setattr__("sheet_state", "visible"),
              "Auxiliar visible")
        spoil("garch", g, lambda wb: wb["Auxiliar"].cell(240, 2).__setattr__("value", 0.01),
              "Auxiliar: 1 cells wrong")
        spoil("garch", g, lambda wb: wb["Auxiliar"].cell(234, 3).__setattr__("value", None),
              "Auxiliar: 1 cells wrong")
        spoil("garch", g, lambda wb: wb["Auxiliar"].cell(10, 2).__setattr__(
            "value", units[-230 + 6]), "Auxiliar: 1 cells wrong")
        spoil("garch", g, lambda wb: wb["Auxiliar"].cell(254, 1).__setattr__("value", 251),
              "Auxiliar: point numbers")
        spoil("garch", g, lambda wb: wb["Chart"]._charts[0].series.pop(), "chart series")
        spoil("garch", g, cell("B17", None), "current volatility")
        spoil("garch", g, cell("B19", 0.5), "unconditional volatility")
        spoil("gjr", cases[1][5], cell("B20", 0.01), "not stationary")
        spoil("gjr", cases[1][5], cell("C15", None), "L1: LR")
        spoil("egarch", cases[2][5], cell("D13", 0.5), "A0: p")
        spoil("arch2", cases[3][5], cell("A15", "B1"), "parameter labels")
        spoil("best", cases[4][5], cell("A23", "BIC (min)"), "criterion label")
        spoil("best", cases[4][5], cell("B21", 5961.61), "LLF")
        spoil("short", cases[5][5], lambda wb: wb["Auxiliar"].cell(4 + 199, 5).__setattr__(
            "value", None), "Auxiliar: 1 cells wrong")
        # Simple returns without the log box: the volatility taken to simple-return terms.
        spoil("simple", cases[7][5], lambda wb: result_sheet(wb)["B17"].__setattr__(
            "value", math.exp(result_sheet(wb)["B17"].value) - 1), "current volatility")
        # Returns in the place of prices: the volatility left in log terms.
        spoil("none", cases[8][5], lambda wb: result_sheet(wb)["B17"].__setattr__(
            "value", math.log(1 + result_sheet(wb)["B17"].value)), "current volatility")
        # The wrong options: the same workbook does not pass for another language or order.
        code, text = run([book("garch"), data, "0"] + g + ["--lang", "pt"])
        if code != 1:
            problems.append("an English workbook passed as Portuguese")
        code, text = run([book("garch"), data, "0"] + g + ["--reversed"])
        if code != 1:
            problems.append("a workbook passed for the reversed series")
        # A GARCH(1,1) whose likelihood is right for its point but 0.05 below the maximum.
        th = list(reference_point("GARCH(1,1)")["theta"])
        th[2] -= 0.01
        build(book("low"), units, 1, 1, 0, 1, th, chart=False)
        code, text = run([book("low"), data, "0", "--model", "1"])
        if code != 1 or "below scipy's maximum" not in text:
            problems.append(f"a point below the maximum was not caught:\n{text}")
        # Best mode: GJR(1,1) has a larger BIC than GARCH(1,1) on these data.
        build(book("worse"), units, 4, 1, 1, 1, reference_point("GJR(1,1)")["theta"], best=2)
        code, text = run([book("worse"), data, "0"] + cases[4][5])
        if code != 1 or "above" not in text:
            problems.append(f"a best model that is not the best was not caught:\n{text}")
    for problem in problems:
        print("FAIL:", problem)
    print(f"{len(RUNS)} checker runs, {len(problems)} unexpected outcomes")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
