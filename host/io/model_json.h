// The model of a workbook as JSON, for tests and for scripts that drive kvhost.
//
// The text is the same for the same workbook: keys in a fixed order, two-space indent, numbers
// printed so that they read back exactly. Its shape:
//   { "workbook": "Book2", "active_sheet": 0,
//     "formats": [ <format>, ... ],              each distinct cell format once
//     "sheets": [ <worksheet or chart sheet>, ... ] }       in the workbook's order
// <format>: { "font": <font>, "fill": {"pattern": 1, "fore": 15, "back": 0},
//             "number_format": "0.000", "alignment": "center",
//             "borders": {"left": "thin", "right": "none", "top": "thin", "bottom": "thin"} }
// <font>: { "name": "Arial", "size": 10, "bold": false, "italic": false, "colour": 5 }
// Colours are palette indices (1-56 of Excel's default palette; 0 automatic).
// A worksheet: { "name", "kind": "worksheet", "state": "visible" | "hidden" | "veryHidden",
//   "format": <index into "formats" of the whole-sheet format>, "show_gridlines",
//   "selection": ["A1", "B3:D9", ...], "active_cell": "A1",
//   "column_widths": [ {"column": "A", "characters": 12.5, "best_fit": true}, ... ],
//   "cells": [ {"address": "B4", "type": "number", "value": 0.25, "format": 3}, ... ] }
//   Cells in reading order: those holding a value and the empty ones with a format of their own
//   (type "empty", value null). Types: number, text, boolean, error (value "#N/A"), empty; a
//   number that is not finite has the value "Infinity", "-Infinity" or "NaN". A
//   cell's "format" is the format it shows (its own, or the whole sheet's).
// A chart sheet: { "name", "kind": "chart", "state", "chart": <chart> or null }
// <chart> holds every field of the chart model under its own name: "type" (that of its main
//   group: "scatter" once the only series of a column chart is made XY), "series" (each with
//   "name_ref", "name_literal", "x_ref", "y_ref" as R1C1 texts, "plot_order", "type"
//   (area, bar, column, line, scatter), "axis_group", "columns", "line", "marker",
//   "data_labels", "label_font"), "title", "legend", "legend_box", "legend_font", "plot_area",
//   "chart_area", "major_gridlines", "gridlines", "value_axis", "category_axis",
//   "second_value_axis", "gap_width", "size_with_window", "selected". A line is
//   {"mode": "custom" | "automatic" | "none", "style", "colour", "weight"}, an area
//   {"mode", "pattern", "fore", "back"}, a box {"border", "area"}, a marker
//   {"mode", "style" (1 square ... 9 plus), "fore" (outline), "back" (inside)}, no size (markers
//   keep Excel's default size); "data_labels" true when each point shows its category (the X
//   value of an XY series), "label_font" their font; a title {"text", "font"} or null, an axis
//   {"number_format", "number_format_linked", "font", "line", "title", "minimum", "maximum"}
//   (absent minimum and maximum are null).
#pragma once

#include <string>

#include "../model/application.h"

namespace kvhost {

std::string DumpWorkbookJson(const Workbook& book);

// Writes the dump to the file `path`, whole or not at all (as the xlsx writer does). Returns
// false, with a one-line `error` naming `path`, when the file cannot be written.
[[nodiscard]] bool WriteWorkbookJson(const Workbook& book, const std::string& path,
                                     std::string& error);
// Writes the dump straight into `file` (a staged file of an OutputSet); `error` gives the cause.
[[nodiscard]] bool WriteWorkbookJsonFile(const Workbook& book, const std::string& file,
                                         std::string& error);

} // namespace kvhost
