// The result workbook every analysis tool leaves behind: a new workbook with formatted tables
// and chart sheets, all made through Excel's macro commands. Return codes are not checked: a
// refused call is traced by the call layer and the run goes on.
//
// The colour steps take the tool dialog's black-and-white check box as read at the call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xll/xlcall.h"

// The colours of Excel's default palette the result workbooks use, by palette number.
namespace palette {
constexpr std::int16_t kBlack = 1;
constexpr std::int16_t kWhite = 2;
constexpr std::int16_t kRed = 3;
constexpr std::int16_t kBrightGreen = 4;
constexpr std::int16_t kBlue = 5;
constexpr std::int16_t kYellow = 6;
constexpr std::int16_t kGrey25 = 15;
constexpr std::int16_t kGrey50 = 16;
constexpr std::int16_t kTan = 40;
constexpr std::int16_t kLightBlue = 41;
constexpr std::int16_t kLightOrange = 45;
constexpr std::int16_t kOrange = 46;
constexpr std::int16_t kDarkTeal = 49;
} // namespace palette

// A rectangle of the active sheet, rows and columns counted from 0.
struct SheetRect {
  std::uint16_t first_row;
  std::uint16_t last_row;
  std::uint8_t first_col;
  std::uint8_t last_col;
};

// A column or a row of a sheet counted from 0; std::out_of_range beyond the sheet's 256 columns
// and 65536 rows.
std::uint8_t SheetColumn(std::size_t column);
std::uint16_t SheetRow(std::size_t row);

// A rows x columns block of cell values, row by row, written with one xlSet. Every cell starts
// empty (nil); texts are copied into counted texts the block keeps.
class CellBlock {
public:
  CellBlock(std::uint16_t rows, std::uint16_t columns);

  void Number(std::uint16_t row, std::uint16_t column, double value);
  void Text(std::uint16_t row, std::uint16_t column, std::string_view ansi);
  void Integer(std::uint16_t row, std::uint16_t column, std::int16_t value);
  // A count or an ordinal: an integer cell while it fits in 16 bits, a number beyond (a
  // sample of a million values has counts no integer cell holds).
  void Count(std::uint16_t row, std::uint16_t column, std::size_t value);
  void Error(std::uint16_t row, std::uint16_t column, std::uint16_t code);

  std::uint16_t rows() const { return rows_; }
  std::uint16_t columns() const { return columns_; }
  XLOPER* cells() { return cells_.data(); }

private:
  XLOPER& At(std::uint16_t row, std::uint16_t column);

  std::uint16_t rows_;
  std::uint16_t columns_;
  std::vector<XLOPER> cells_;
  std::vector<std::unique_ptr<char[]>> texts_;
};

// When screen updating goes off while the workbook is opened.
enum class EchoOff { AfterGridlines, AfterNew };

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
// Hides the sheet `sheet_name` of the active workbook, very hidden.
void HideSheet(std::string_view sheet_name);

// Writes `block` with its top-left cell at (first_row, first_col) of the active sheet.
void WriteCellBlock(std::uint16_t first_row, std::uint8_t first_col, CellBlock& block);

void SelectRange(const SheetRect& rect);
// Selects `rect` and draws a thin outline around it.
void FrameRange(const SheetRect& rect);
// The following act on the current selection.
void CenterRange();
void BoldActiveCell();
void FormatRangeNumbers(std::string_view format);
// White fill and black text; nothing in black-and-white mode.
void ShadeRange(bool black_and_white);

// The colours of a chart's texts and lines: black-and-white mode, and the palette colour of
// its texts (45 in colour mode, 1 in black and white, unless the chart asks for another).
struct ChartColours {
  ChartColours(bool black_and_white_mode)
      : black_and_white(black_and_white_mode), text(black_and_white_mode ? 1 : 45) {}
  ChartColours(bool black_and_white_mode, std::int16_t text_colour)
      : black_and_white(black_and_white_mode), text(text_colour) {}
  bool black_and_white;
  std::int16_t text;
};

// R1C1 reference texts for chart series, rows and columns counted from 1, the sheet's name
// quoted when it holds anything but letters, digits, '_' and '.':
// "=Histograma!R13C4" and "=Histograma!R14C1:R23C1".
std::string CellReference(std::string_view sheet, unsigned row, unsigned column);
std::string ColumnReference(std::string_view sheet, unsigned first_row, unsigned last_row,
                            unsigned column);

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

// Where an axis title goes; its text is the chart item "Text Axis 1", "2" or "3".
enum class AxisTitle : std::int16_t { Value = 2, Category = 3, SecondValue = 5 };
void LabelAxis(AxisTitle axis, std::string_view text, const ChartColours& colours);

// Chart items: "S1", "Legend", "Gridline 1", "Axis 1", ...
void SelectChartItem(std::string_view item);
void SelectWholeChart();
void SelectPlotArea();

// An argument of PATTERNS: a number, or `omitted`.
struct OmittedArgument {};
inline constexpr OmittedArgument omitted{};
struct PatternArgument {
  PatternArgument(int number) : value(static_cast<std::int16_t>(number)), given(true) {}
  PatternArgument(OmittedArgument) {}
  std::int16_t value = 0;
  bool given = false;
};
// PATTERNS on the selection, as many arguments as given.
void Patterns(std::initializer_list<PatternArgument> arguments);
// Arial in the normal or bold style, size and colour, on the selected chart item.
void ChartFont(bool bold, std::int16_t size, std::int16_t colour);

// The selected series becomes a line (4) or an XY scatter (8) series.
enum class SeriesKind : std::int16_t { Line = 4, Scatter = 8 };
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
