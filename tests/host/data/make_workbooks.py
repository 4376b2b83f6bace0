#!/usr/bin/python3
"""Workbooks for the tests of kvhost's .xlsx and .xls readers, written by openpyxl.

Usage:
  make_workbooks.py roundtrip BOOK.xlsx EXPECTED.json
      A workbook of several sheets holding every kind of cell a data file can bring (texts with
      accents, numbers at full precision, Booleans, the seven error values, empty cells, numbers
      stored as text, a hidden sheet, formulas), and what a reader must find in it: EXPECTED.json
      is {"sheets": [{"name", "visible", "cells": {"A1": [type, value]}}], "formulas":
      {"Sheet!A1": cached value}}. Types: "n" number, "s" text, "b" Boolean, "e" error name.
      openpyxl writes formulas without cached values; "formulas" holds what a program that
      calculates (LibreOffice) must store.
  make_workbooks.py fuzz-seed BOOK.xlsx EXPECTED.json
      The same without the cell at IV65536, so that a reader goes through it in a moment.
  make_workbooks.py launch FOLDER
      Small workbooks for the tools' launch rules, with cells only a workbook can carry: a
      number stored as text, an error value inside the selection.
  make_workbooks.py from-csv DATA.csv BOOK.xlsx
      The CSV file as a workbook of one sheet "Precos" and a second sheet "Retornos" of the first
      column's simple returns (what the demo runs a tool on).
"""
import csv
import datetime
import json
import math
import sys

import openpyxl

ERRORS = ["#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A"]


def put(ws, ref, kind, value, cells):
    cell = ws[ref]
    if kind == "e":
        cell.value = value
        cell.data_type = "e"
    elif kind == "s":
        cell.value = value
        cell.data_type = "s"  # keeps "12" and "=x" as texts
    elif isinstance(value, float):
        # openpyxl writes 16 significant digits; the shortest text that gives the number back
        # keeps it whole, as Excel and LibreOffice write it.
        cell.value = repr(value)
        cell.data_type = "n"
    else:
        cell.value = value
    cells[ref] = [kind, value]


def roundtrip(book_path, expected_path, far_cell=True):
    wb = openpyxl.Workbook()
    sheets = []

    ws = wb.active
    ws.title = "Preços à vista"
    cells = {}
    numbers = [0.1 + 0.2, math.pi, -1.7976931348623157e308, 5e-324, 2.2250738585072014e-308,
               123456789.12345679, -0.0 + 0, 1e21, 43861.52100694444, 7]
    for i, x in enumerate(numbers):
        put(ws, f"A{i + 1}", "n", x, cells)
    texts = ["ação", "Preço médio — São Paulo", "<tag> & \"aspas\" 'x'", "  espaços  ",
             "linha\nnova", "12", "1e5", "TRUE", "#N/A", "日本語"]
    for i, t in enumerate(texts):
        put(ws, f"B{i + 1}", "s", t, cells)
    put(ws, "C1", "b", True, cells)
    put(ws, "C2", "b", False, cells)
    for i, name in enumerate(ERRORS):
        put(ws, f"D{i + 1}", "e", name, cells)
    # Empty cells between values, and values far from A1.
    put(ws, "F12", "n", 1.5, cells)
    if far_cell:
        put(ws, "IV65536", "s", "the grid's last cell", cells)
    sheets.append({"name": ws.title, "visible": True, "cells": cells})

    ws = wb.create_sheet("Retornos")
    cells = {}
    for r in range(2, 40):
        for c, letter in enumerate("BCDEF"):
            put(ws, f"{letter}{r}", "n", ((r * 7919 + c * 104729) % 1000) / 997.0 - 0.5, cells)
    put(ws, "B1", "s", "DAX", cells)
    put(ws, "C1", "s", "SMI", cells)
    # Formulas: no cached value from openpyxl; LibreOffice calculates and stores one.
    ws["H2"] = "=B2*2"
    ws["H3"] = '="x"&B1'
    ws["H4"] = "=1/0"
    ws["H5"] = "=B2>0"
    sheets.append({"name": ws.title, "visible": True, "cells": cells})
    b2 = cells["B2"][1]
    formulas = {"Retornos!H2": ["n", b2 * 2], "Retornos!H3": ["s", "xDAX"],
                "Retornos!H4": ["e", "#DIV/0!"], "Retornos!H5": ["b", b2 > 0]}

    # Dates written as ISO 8601 cells of type "d": a reader makes them serial numbers again.
    wb.iso_dates = True
    ws = wb.create_sheet("Datas")
    cells = {}
    for ref, when, serial in (("A1", datetime.date(2020, 1, 31), 43861.0),
                              ("A2", datetime.datetime(2020, 1, 31, 12, 30, 15),
                               43861 + 45015 / 86400),
                              ("A3", datetime.date(1900, 3, 1), 61.0),
                              ("A4", datetime.date(1900, 1, 1), 1.0)):
        ws[ref] = when
        cells[ref] = ["n", serial]
    sheets.append({"name": ws.title, "visible": True, "cells": cells})

    ws = wb.create_sheet("Oculta")
    ws.sheet_state = "hidden"
    cells = {}
    put(ws, "A1", "n", 42, cells)
    sheets.append({"name": ws.title, "visible": False, "cells": cells})

    wb.save(book_path)
    with open(expected_path, "w", encoding="utf-8") as f:
        json.dump({"sheets": sheets, "formulas": formulas}, f, ensure_ascii=False, indent=1)


def launch(folder):
    # Two columns: with every cell a number the ICA launches; one number stored as text or one
    # error value drops its row, and one complete row is too few for two columns.
    for name, cell in (("numbers", None), ("text", ("s", "2")), ("error", ("e", "#N/A"))):
        wb = openpyxl.Workbook()
        ws = wb.active
        ws.title = "Dados"
        ws["A1"], ws["B1"] = 1, 2
        ws["A2"], ws["B2"] = 2, 3
        if cell is not None:
            ws["B1"].value = cell[1]
            ws["B1"].data_type = cell[0]
        wb.save(f"{folder}/{name}.xlsx")
    # A histogram column of four cells, two of them numbers stored as text: two numbers.
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "Coluna"
    for r, (kind, value) in enumerate((("n", 10), ("s", "11"), ("e", "#DIV/0!"), ("n", 12)), 1):
        ws.cell(r, 1).value = value
        ws.cell(r, 1).data_type = kind
    wb.save(f"{folder}/histogram.xlsx")


def from_csv(csv_path, book_path):
    wb = openpyxl.Workbook(write_only=True)
    prices = wb.create_sheet("Precos")
    returns = wb.create_sheet("Retornos")
    with open(csv_path, newline="", encoding="utf-8") as f:
        rows = list(csv.reader(f))
    previous = None
    for i, row in enumerate(rows):
        values = [float(x) if i > 0 else x for x in row]
        prices.append(values)
        if i == 0:
            returns.append(["Retorno " + row[0]])
        else:
            returns.append([] if previous is None else [values[0] / previous - 1])
            previous = values[0]
    wb.save(book_path)


if __name__ == "__main__":
    command = sys.argv[1] if len(sys.argv) > 1 else ""
    if command == "roundtrip" and len(sys.argv) == 4:
        roundtrip(sys.argv[2], sys.argv[3])
    elif command == "fuzz-seed" and len(sys.argv) == 4:
        roundtrip(sys.argv[2], sys.argv[3], far_cell=False)
    elif command == "launch" and len(sys.argv) == 3:
        launch(sys.argv[2])
    elif command == "from-csv" and len(sys.argv) == 4:
        from_csv(sys.argv[2], sys.argv[3])
    else:
        sys.exit(__doc__)
