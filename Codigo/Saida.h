// The result workbook every analysis tool leaves behind: a new workbook with formatted tables
// and chart sheets, all made through Excel's macro commands, through the interface the add-in
// speaks (xll/MacroCall.h). WriteResultBook draws a tool's
// description of it (PastaResultado.h) with the steps below. Return codes are not checked: a
// refused call is traced by the call layer and the run goes on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "PastaResultado.h"
#include "xll/xlcall.h"

// A rectangle of the active sheet, rows and columns counted from 0.
struct SheetRect {
  std::uint32_t first_row;
  std::uint32_t last_row;
  std::uint32_t first_col;
  std::uint32_t last_col;
};

// The sheet as the interface in use reaches it.
SheetSize SheetInUse();

// A column or a row of the sheet counted from 0; std::out_of_range beyond the grid the interface
// in use reaches: 256 columns and 65,536 rows through Excel 4 records, 16,384 and 1,048,576
// through Excel 12 ones.
std::uint32_t SheetColumn(std::size_t column);
std::uint32_t SheetRow(std::size_t row);

// A rows x columns block of cell values as records of one interface, row by row, written with one
// xlSet. Every cell starts empty (nil); texts are copied into counted texts the block keeps (at
// most 255 characters, in UTF-16 for Excel 12 records).
template <class Oper> class BasicCellBlock {
public:
  BasicCellBlock(std::uint32_t rows, std::uint32_t columns);

  void Number(std::uint32_t row, std::uint32_t column, double value);
  void Text(std::uint32_t row, std::uint32_t column, std::string_view ansi);
  void Integer(std::uint32_t row, std::uint32_t column, std::int16_t value);
  // A count or an ordinal: an integer cell while it fits in 16 bits, a number beyond (a
  // sample of a million values has counts no integer cell holds).
  void Count(std::uint32_t row, std::uint32_t column, std::size_t value);
  void Error(std::uint32_t row, std::uint32_t column, std::uint16_t code);

  std::uint32_t rows() const { return rows_; }
  std::uint32_t columns() const { return columns_; }
  Oper* cells() { return cells_.data(); }

private:
  using Char = std::remove_pointer_t<decltype(Oper{}.val.str)>;
  Oper& At(std::uint32_t row, std::uint32_t column);

  std::uint32_t rows_;
  std::uint32_t columns_;
  std::vector<Oper> cells_;
  std::vector<std::unique_ptr<Char[]>> texts_;
};
using CellBlock = BasicCellBlock<XLOPER>;
using CellBlock12 = BasicCellBlock<XLOPER12>;

// New workbook with one worksheet, renamed `sheet_name`, gridlines off, screen updating off;
// without the whole-sheet look.
void OpenBareResultWorkbook(std::string_view sheet_name, EchoOff when = EchoOff::AfterGridlines);
// The whole-sheet look: Arial 10, on a colour-15 fill in colour 5 unless black and white.
void StyleWholeSheet(bool black_and_white);
// Both of the above.
void OpenResultWorkbook(std::string_view sheet_name, bool black_and_white,
                        EchoOff when = EchoOff::AfterGridlines);

// Inserts a worksheet named `sheet_name` into the active workbook, left of the active sheet,
// with gridlines off and the whole-sheet look; it becomes the active sheet.
void AddDataSheet(std::string_view sheet_name, bool black_and_white);
// Moves the active sheet, named `sheet_name`, to the end of the result workbook; without the
// workbook's name it stays where it is.
void MoveSheetToEnd(std::string_view sheet_name);
// Best-fits the columns of `used` on the active sheet.
void FitColumns(const SheetRect& used);
// Hides the sheet `sheet_name` of the active workbook, very hidden.
void HideSheet(std::string_view sheet_name);

// Writes `block` with its top-left cell at (first_row, first_col) of the active sheet, through
// the interface of its records.
template <class Oper>
void WriteCellBlock(std::uint32_t first_row, std::uint32_t first_col, BasicCellBlock<Oper>& block);

void SelectRange(const SheetRect& rect);
// Selects `rect` and draws a thin outline around it.
void FrameRange(const SheetRect& rect);
// The following act on the current selection.
void CenterRange();
void BoldActiveCell();
void FormatRangeNumbers(std::string_view format);
// White fill and black text; nothing in black-and-white mode.
void ShadeRange(bool black_and_white);

// Inserts a chart sheet named `chart_name`, moves it to the end of the result workbook and
// leaves it empty and active.
void AddChartSheet(std::string_view chart_name);
// Inserts a chart sheet named `chart_name` where it lands (left of the active sheet), and
// leaves it empty and active.
void AddChartSheetInPlace(std::string_view chart_name);
// A new series from R1C1 reference texts ("=Sheet!R14C1:R23C1"); the name may also be a
// plain text; an empty x reference is omitted.
void AddChartSeries(std::string_view name_ref, std::string_view x_ref, std::string_view y_ref,
                    std::int16_t plot_order);
void TitleChart(std::string_view text, const ChartColours& colours);
// `axis` is a chart item name, "Axis 1" to "Axis 3"; an empty format leaves the axis' own.
void StyleAxis(std::string_view axis, std::string_view format, const ChartColours& colours);

// The selected value axis (or either axis of an XY chart) runs from `minimum` to `maximum`.
void ScaleAxis(double minimum, double maximum);

void LabelAxis(AxisTitle axis, std::string_view text, const ChartColours& colours);

// Chart items: "S1", "Legend", "Gridline 1", "Axis 1", ...
void SelectChartItem(std::string_view item);
void SelectWholeChart();
void SelectPlotArea();

// PATTERNS on the selection, as many arguments as given.
void Patterns(const Pattern& arguments);
// Arial in the normal or bold style, size and colour, on the selected chart item.
void ChartFont(bool bold, std::int16_t size, std::int16_t colour);

// The selected series becomes a line or an XY scatter series.
void SetSeriesKind(SeriesKind kind);
// Labels every point of the selected series with its category (DATA.LABEL 4).
void ShowCategoryLabels();
// The selected series goes to the second value axis.
void MoveSeriesToSecondAxis();
// The gap between the columns of the chart's first group, in percent of a column's width.
void SetColumnGap(std::int16_t gap);
void RemoveLegend();
// The legend without frame or fill, in Arial 8 of `text_colour`.
void StyleLegend(std::int16_t text_colour);
// The plot area framed in grey and left clear.
void FramePlotArea();
// The whole chart's area filled with `colour`, without a frame (colour mode only).
void FillChartArea(std::int16_t colour);
// The value axis' gridlines in grey, a lighter grey in black and white.
void ColourGridlines(bool black_and_white);

// Whether the first sheet stays in view or is hidden, leaving the charts to the user.
enum class FirstSheet { Shown, Hidden };
// Activates `first_sheet`, best-fits the columns of `used`, selects A1, hides the first sheet
// when asked (very hidden), screen updating on.
void FinishResultWorkbook(std::string_view first_sheet, const SheetRect& used,
                          FirstSheet first = FirstSheet::Shown);

// Draws `book`: its sheets in order, each block's values with one xlSet and then its styles,
// each chart part by part, then the closing steps when it has them. A block or range that does
// not fit Excel's sheet throws std::out_of_range when it is reached, leaving what was drawn.
void WriteResultBook(const ResultBook& book);
