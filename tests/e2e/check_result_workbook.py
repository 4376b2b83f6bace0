#!/usr/bin/python3
"""Reads a result workbook that `kvhost run` saved and checks it with openpyxl against what the
tool is meant to write, recomputing the numbers from the data with numpy.

    check_result_workbook.py hist BOOK.xlsx DATA.csv COLUMN BINS LANG [returns] [bw]

BINS is a number or a bin rule (sturges, scott, fd): then the number numpy's
histogram_bin_edges gives for the values histogrammed, kept within the dialog's 1 to 99.
    check_result_workbook.py cmp BOOK.xlsx CURVE.csv LANG [bw]

Prints one line per failed check and exits 1 when any failed.
"""
import csv
import sys
import zipfile

import numpy as np
import openpyxl

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def close(a, b, tol=1e-12):
    return a is not None and b is not None and abs(a - b) <= tol * max(1.0, abs(b))


def series_refs(chart):
    refs = []
    for s in chart.series:
        cat = s.cat.numRef.f if s.cat is not None and s.cat.numRef is not None else None
        if cat is None and s.xVal is not None and s.xVal.numRef is not None:
            cat = s.xVal.numRef.f
        val = s.val.numRef.f if s.val is not None else s.yVal.numRef.f
        name = s.tx.strRef.f if s.tx is not None and s.tx.strRef is not None else None
        refs.append((name, cat, val))
    return refs


def chart_kinds(path, sheet_index):
    """The plot kinds of the chart on the chart sheet, read from the chart part itself: openpyxl
    keeps only the first plot of a combined chart."""
    with zipfile.ZipFile(path) as z:
        charts = sorted(n for n in z.namelist() if n.startswith("xl/charts/chart"))
        xml = z.read(charts[sheet_index]).decode()
    kinds = [k for k in ("barChart", "lineChart", "scatterChart") if "<c:" + k in xml]
    return kinds, xml.count("<c:valAx>")


def check_hist(book, data, column, bins, lang, returns, bw):
    pt = lang == "pt"
    sheet, chart, area = ("Histograma", "Gráfico", "Gráfico Área 1") if pt else (
        "Histogram", "Chart", "Chart Area 1")
    wb = openpyxl.load_workbook(book)
    check(wb.sheetnames == [sheet, chart, area], f"sheets {wb.sheetnames}")
    ws = wb[sheet]
    check(ws.sheet_view.showGridLines is False, "gridlines shown")
    with open(data) as f:
        x = np.array([float(r[column]) for r in csv.DictReader(f)])
    if returns:
        x = x[1:] / x[:-1] - 1
    n = len(x)
    k = int(bins) if bins.isdigit() else min(max(len(np.histogram_bin_edges(x, bins)) - 1, 1), 99)
    titles = (("Histograma dos Retornos das Cotações", "Histogram of returns from asset prices")
              if returns else ("Histograma dos Dados", "Data Histogram"))
    check(ws["A1"].value == titles[0 if pt else 1], f"A1 {ws['A1'].value}")
    check(ws["A1"].font.b, "A1 not bold")
    check(ws["B3"].value == n, f"n {ws['B3'].value} != {n}")
    check(close(ws["B4"].value, x.mean()), f"mean {ws['B4'].value} != {x.mean()}")
    check(close(ws["B5"].value, float(np.median(x))), "median")
    check(close(ws["B7"].value, x.max()) and close(ws["B8"].value, x.min()), "max/min")
    check(close(ws["B9"].value, x.std(ddof=1), 1e-10), f"s {ws['B9'].value} != {x.std(ddof=1)}")
    # Returns, and data below 1, are shown as percentages.
    number = "0.000%" if returns or x.max() < 1 else "0.000"
    check(ws["B4"].number_format == number, f"B4 format {ws['B4'].number_format}")
    heads = [ws.cell(13, c).value for c in range(1, 11)]
    check(heads[:4] == (["Faixas"] if pt else ["Ranges"]) + ["<= Inf.", "< Sup.*", "Freq."],
          f"headers {heads}")
    w = (x.max() - x.min()) / k
    edges = [x.min()] + [x.max() - (k - b) * w for b in range(1, k)] + [x.max()]
    counts, _ = np.histogram(x, bins=np.array(edges))
    got = [ws.cell(14 + b, 4).value for b in range(k)]
    check(got == [int(c) for c in counts], f"counts {got} != {list(counts)}")
    check([ws.cell(14 + b, 1).value for b in range(k)] == list(range(1, k + 1)), "bin numbers")
    check(ws.cell(14, 2).number_format == number, "edge format")
    check(ws.cell(14, 1).border.left.style == "thin" and ws.cell(13 + k, 4).border.right.style ==
          "thin" and ws.cell(13 + k, 4).border.bottom.style == "thin", "table frame")
    densities = [ws.cell(14 + b, 9).value for b in range(k)]
    check(close(sum(densities), 1 / w, 1e-10), "densities do not sum to 1/w")
    check(close(ws.cell(13 + k, 10).value, 1 / w, 1e-10), "running sum")
    check(ws.cell(14 + k, 1).value is not None, "footnote")
    fill = ws.cell(14, 4).fill
    if bw:
        check(fill.fill_type in (None, "none"), "a fill in black and white")
    else:
        check(fill.fill_type == "solid" and fill.fgColor.rgb.endswith("FFFFFF"),
              f"table fill {fill.fill_type} {fill.fgColor.rgb}")
    q = f"'{sheet}'" if " " in sheet else sheet
    for index, (name, columns) in enumerate(((chart, (4, 6)), (area, (9, 10)))):
        cs = wb[name]
        check(len(cs._charts) == 1, f"{name}: {len(cs._charts)} charts")
        kinds, value_axes = chart_kinds(book, index)
        check(kinds == ["barChart", "lineChart"], f"{name}: kinds {kinds}")
        check(value_axes == 2, f"{name}: {value_axes} value axes")
        if cs._charts:
            refs = series_refs(cs._charts[0])
            first = columns[0]
            letter = "ABCDEFGHIJ"[first - 1]
            check(refs and refs[0][2] == f"{q}!${letter}$14:${letter}${13 + k}",
                  f"{name}: values {refs}")


def check_cmp(book, curve, lang, bw):
    pt = lang == "pt"
    wb = openpyxl.load_workbook(book)
    check(wb.sheetnames == ["CS x Exp", "Auxiliar"], f"sheets {wb.sheetnames}")
    ws = wb["Auxiliar"]
    check(ws.sheet_state == "veryHidden", f"Auxiliar {ws.sheet_state}")
    with open(curve) as f:
        rows = [(int(r["workdays"]), float(r["rate"])) for r in csv.DictReader(f)]
    last = rows[-1][0]
    check(ws["A1"].font.b, "title not bold")
    check(ws["A3"].value == ("Tempo (du)" if pt else "Time (wkd)"), f"A3 {ws['A3'].value}")
    # The grid runs down to the first empty row: its points (at most 250) with every vertex of
    # the curve marked among them, ending on the last vertex.
    grid = 0
    while ws.cell(4 + grid, 1).value is not None:
        grid += 1
    days = [ws.cell(r, 1).value for r in range(4, 4 + grid)]
    check(all(isinstance(d, (int, float)) for d in days), "grid days")
    check(days == sorted(days) and days[-1] == last, "grid days not increasing up to the last vertex")
    check(grid <= max(last, 250) + len(rows), f"{grid} rows")
    marked = {ws.cell(r, 1).value: ws.cell(r, 4).value for r in range(4, 4 + grid)
              if ws.cell(r, 4).value is not None}
    check(sorted(marked) == [day for day, _ in rows], f"vertices shown: {sorted(marked)}")
    for day, rate in rows:
        if day in marked:
            check(close(marked[day], rate), f"vertex {day}: {marked[day]} != {rate}")
    check(ws.cell(4, 2).number_format == "0.000%", "rate format")
    cs = wb["CS x Exp"]
    check(len(cs._charts) == 1, "one chart")
    kinds, _ = chart_kinds(book, 0)
    check(kinds == ["scatterChart"], f"kinds {kinds}")
    if cs._charts:
        refs = series_refs(cs._charts[0])
        end = 3 + grid
        check([r[2] for r in refs] == [f"Auxiliar!${c}$4:${c}${end}" for c in "BCD"],
              f"series {refs}")
        check(all(r[1] == f"Auxiliar!$A$4:$A${end}" for r in refs), f"x values {refs}")


def main():
    tool, book = sys.argv[1], sys.argv[2]
    bw = sys.argv[-1] == "bw"
    try:
        if tool == "hist":
            check_hist(book, sys.argv[3], sys.argv[4], sys.argv[5], sys.argv[6],
                       "returns" in sys.argv[7:], bw)
        else:
            check_cmp(book, sys.argv[3], sys.argv[4], bw)
    except (TypeError, ValueError, KeyError) as e:  # cells missing where the tool should write
        failures.append(f"stopped on {e!r}")
    for failure in failures:
        print(f"{book}: {failure}")
    sys.exit(1 if failures else 0)


main()
