// The parts of the xlsx writer (inside host/io only): cells and formats, charts, and the
// package step that finishes in the saved file what libxlsxwriter cannot write.
#pragma once

#include <xlsxwriter.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "../model/application.h"

namespace kvhost::xlsx {

// --- Shared by the parts.

// A palette colour as libxlsxwriter takes it; automatic (0) gives LXW_COLOR_UNSET, and black
// its own code, since libxlsxwriter reads 0 as "not set".
lxw_color_t Colour(PaletteIndex index);
// "RRGGBB" for DrawingML.
std::string HexColour(PaletteIndex index);
std::string XmlEscaped(std::string_view text);
// The shortest text that reads back as `number`, always with a '.' decimal point.
std::string NumberText(double number);

// --- What the package step changes in the file libxlsxwriter wrote, sheet by sheet.

// A chart's additions. The XML may use the axis-id tokens below; the package step replaces
// them with ids that do not clash with those libxlsxwriter gave the chart.
inline constexpr std::string_view kPrimaryCategoryAxisId = "<#ax1>";
inline constexpr std::string_view kPrimaryValueAxisId = "<#ax2>";
inline constexpr std::string_view kSecondCategoryAxisId = "<#ax3>";
inline constexpr std::string_view kSecondValueAxisId = "<#ax4>";

struct ChartEdits {
  std::string extra_groups; // chart groups after the first, e.g. a line group on axis 2
  std::string extra_axes;   // their axes when they have their own
  std::string legend_shape; // the legend's <c:spPr>, when set
  std::vector<std::size_t> series_without_x; // XY series given no X values (counted from 0)
  bool drop_series = false;                  // a chart without series: drop the stand-in
  // Titles whose text is not bold: Excel draws a title bold unless told otherwise.
  bool plain_title = false;
  bool plain_category_axis_title = false;
  bool plain_value_axis_title = false;
};

struct SheetEdits {
  std::string name;
  bool very_hidden = false;
  bool zoom_to_fit = false;                    // chart sheets sized with the window
  std::vector<std::uint32_t> best_fit_columns; // worksheets
  bool has_errors = false;                     // worksheets holding error values
  bool has_chart = false;
  ChartEdits chart;
};

// --- The parts.

// One libxlsxwriter format per distinct CellFormat of the workbook.
class FormatTable {
public:
  explicit FormatTable(lxw_workbook* workbook) : workbook_(workbook) {}
  // Every cell is written with its format, even the default one, since libxlsxwriter would
  // give a cell without one its column's format.
  lxw_format* Get(const CellFormat& format);

private:
  lxw_workbook* workbook_;
  std::vector<std::pair<CellFormat, lxw_format*>> formats_;
  // The format asked for last: neighbouring cells mostly share theirs, so most are answered
  // with one comparison rather than a search.
  CellFormat last_asked_;
  lxw_format* last_made_ = nullptr;
};

// Writes a worksheet's cells, formats, column widths and view. False with `error` set when
// libxlsxwriter refuses something.
bool WriteWorksheet(lxw_worksheet* worksheet, const Sheet& sheet, FormatTable& formats,
                    SheetEdits& edits, std::string& error);

// Builds the chart of a chart sheet; the chart references cells of `book`. Null with `error`
// set when the chart cannot be written.
lxw_chart* BuildChart(lxw_workbook* workbook, const Workbook& book, const Chart& chart,
                      ChartEdits& edits, std::string& error);

// Applies the edits to the package at `path` (a file libxlsxwriter wrote): very hidden sheets,
// chart sheets zoomed to fit, best-fit columns, error cells, the Normal style's font (Arial 10),
// and the charts' additions. Entries it rewrites get the time `created`.
bool FinishPackage(const std::string& path, const std::vector<SheetEdits>& edits,
                   std::time_t created, std::string& error);

} // namespace kvhost::xlsx
