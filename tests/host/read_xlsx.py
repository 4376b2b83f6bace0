#!/usr/bin/python3
"""Reads an .xlsx file with openpyxl and prints what it holds as JSON, for the tests of
kvhost's xlsx writer to compare with the model they wrote.

Usage: read_xlsx.py BOOK.xlsx

Prints {"sheets": [{"name", "kind": "worksheet" | "chartsheet", "state"}], "active",
"normal_font", "worksheets": {name: {"gridlines", "cells", "columns"}},
"charts": {name: {"title", "legend", "groups": [...]}}}. Colours are "RRGGBB".
"""
import json
import sys

import openpyxl
from openpyxl.chartsheet import Chartsheet


def rgb(colour):
    if colour is None or colour.type != "rgb" or not isinstance(colour.rgb, str):
        return None
    return colour.rgb[-6:]


def drawing_rgb(choice):
    """A DrawingML colour choice: its srgbClr, or None."""
    return None if choice is None else choice.srgbClr


def fill_rgb(fill):
    if fill is None or fill.fill_type != "solid":
        return None
    return rgb(fill.fgColor)


def cell_json(cell):
    border = cell.border
    return {
        "value": cell.value,
        "type": cell.data_type,
        "number_format": cell.number_format,
        "bold": bool(cell.font.b),
        "font_colour": rgb(cell.font.color),
        "fill": fill_rgb(cell.fill),
        "borders": [side.style for side in (border.left, border.right, border.top, border.bottom)],
        "align": cell.alignment.horizontal,
    }


def worksheet_json(ws):
    cells = {}
    for row in ws.iter_rows():
        for cell in row:
            if cell.value is not None or cell.has_style and cell.style_id != 0:
                cells[cell.coordinate] = cell_json(cell)
    columns = []
    for dimension in ws.column_dimensions.values():
        style = dimension._style  # the column's cell format, as indices into the workbook's lists
        columns.append({
            "min": dimension.min,
            "max": dimension.max,
            "width": dimension.width,
            "best_fit": bool(dimension.bestFit),
            "fill": fill_rgb(ws.parent._fills[style.fillId]),
            "font_colour": rgb(ws.parent._fonts[style.fontId].color),
        })
    columns.sort(key=lambda c: c["min"])
    return {"gridlines": ws.sheet_view.showGridLines, "cells": cells, "columns": columns}


def text_of(title):
    if title is None or title.tx is None or title.tx.rich is None:
        return None
    return "".join(run.t for p in title.tx.rich.p for run in (p.r or []))


def reference(data):
    if data is None:
        return None
    for source in ("numRef", "strRef"):
        ref = getattr(data, source, None)
        if ref is not None:
            return ref.f
    return None


def line_json(properties):
    if properties is None or properties.ln is None:
        return None
    return {"none": bool(properties.ln.noFill), "colour": drawing_rgb(properties.ln.solidFill)}


def series_json(series):
    name = None
    if series.tx is not None:
        name = series.tx.strRef.f if series.tx.strRef is not None else series.tx.v
    marker = series.marker
    return {
        "name": name,
        "categories": reference(series.cat),
        "values": reference(series.val),
        "x": reference(series.xVal),
        "y": reference(series.yVal),
        "line": line_json(series.spPr),
        "fill": drawing_rgb(series.spPr.solidFill) if series.spPr is not None else None,
        "marker": None if marker is None else {
            "symbol": marker.symbol,
            "fill": drawing_rgb(marker.spPr.solidFill) if marker.spPr is not None else None,
            "line": line_json(marker.spPr),
        },
    }


def axis_json(axis):
    if axis is None:
        return None
    return {
        "id": axis.axId,
        "kind": axis.tagname,
        "deleted": bool(axis.delete),
        "position": axis.axPos,
        "crosses": axis.crosses,
        "cross_axis": axis.crossAx,
        "number_format": axis.numFmt.formatCode if axis.numFmt is not None else None,
        "title": text_of(axis.title),
        "minimum": axis.scaling.min,
        "maximum": axis.scaling.max,
        "line": line_json(axis.spPr),
    }


def chart_json(chart):
    groups = []
    for group in chart._charts:
        groups.append({
            "type": group.tagname,
            "axis_ids": list(group.axId),
            "gap_width": getattr(group, "gapWidth", None),
            "series": [series_json(s) for s in group.series],
            "x_axis": axis_json(getattr(group, "x_axis", None)),
            "y_axis": axis_json(getattr(group, "y_axis", None)),
        })
    return {"title": text_of(chart.title), "legend": chart.legend is not None, "groups": groups}


def main(path):
    wb = openpyxl.load_workbook(path)
    result = {
        "sheets": [{"name": sheet.title,
                    "kind": "chartsheet" if isinstance(sheet, Chartsheet) else "worksheet",
                    "state": sheet.sheet_state} for sheet in wb._sheets],
        "active": wb.active.title,
        "normal_font": {"name": wb._fonts[0].name, "size": wb._fonts[0].sz},
        "worksheets": {},
        "charts": {},
    }
    for sheet in wb._sheets:
        if isinstance(sheet, Chartsheet):
            result["charts"][sheet.title] = [chart_json(c) for c in sheet._charts]
        else:
            result["worksheets"][sheet.title] = worksheet_json(sheet)
    json.dump(result, sys.stdout, ensure_ascii=False, indent=1, default=str)


if __name__ == "__main__":
    main(sys.argv[1])
