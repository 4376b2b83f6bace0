// xlsx out: a workbook of kvhost's model saved as an Office Open XML spreadsheet that Excel and
// LibreOffice open with the same sheets, cells, formats and charts.
//
// What the file holds, sheet by sheet in the workbook's order:
//   - worksheets: every cell's value (number, text, Boolean, error) with the format it shows;
//     one cell format in the file for each distinct CellFormat; the whole-sheet format as the
//     style of every column A:IV, so the empty cells look formatted too; palette colours as
//     their RGB values; column widths in characters of the standard font (Arial 10), best-fit
//     columns marked so; gridlines shown or not;
//   - chart sheets: the chart with its series (references written as absolute A1 references),
//     chart types, the second value axis of a line group plotted against it, titles, axes,
//     legend, plot and chart areas, gridlines, and "sized with window" as zoom to fit;
//   - sheet states: hidden, and very hidden as state="veryHidden"; the active sheet.
// Numbers are written with a '.' decimal point whatever the process locale.
#pragma once

#include <ctime>
#include <optional>
#include <string>

#include "../model/application.h"

namespace kvhost {

struct XlsxOptions {
  // The creation time stamped into the document's properties and its zip entries; none: now.
  // The same workbook written with the same time gives the same bytes.
  std::optional<std::time_t> created;
};

// Saves `book` as the .xlsx file `path`. The file appears whole or not at all: it is written
// next to `path` under a temporary name and renamed over `path` when complete, so a failure
// leaves any earlier file at `path` as it was and no temporary file behind.
// Returns false, with a one-line `error` naming `path` and the cause, when the workbook cannot
// be written: an unwritable folder, a sheet name Excel refuses, a chart series whose reference
// is not an R1C1 reference, a text longer than a cell holds, a workbook without a visible sheet.
[[nodiscard]] bool WriteXlsx(const Workbook& book, const std::string& path, std::string& error,
                             const XlsxOptions& options = {});

// Writes `book` straight into `file` (a staged file of an OutputSet); `error` gives the cause.
[[nodiscard]] bool WriteXlsxFile(const Workbook& book, const std::string& file, std::string& error,
                                 const XlsxOptions& options = {});

} // namespace kvhost
