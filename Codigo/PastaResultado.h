// What a tool writes, described rather than done: the result workbook as its worksheets (blocks
// of values with the styles of their ranges) and chart sheets (series and the look of each
// part), in the order they are made, and the closing steps. One writer (Saida) turns a
// description into Excel's macro commands, so a tool only says what its sheet holds; colour or
// black and white is a value of the description, like everything else.
//
// Rows and columns are counted from 0 and held whole here; the writer fits them to Excel's
// sheet, and a block or range beyond it ends the run where it is met.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

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

// The size of Excel's sheet as the add-in reaches it: 65,536 rows and 256 columns through the
// Excel 4 interface, 1,048,576 rows and 16,384 columns through the Excel 12 one.
struct SheetSize {
  std::size_t rows, columns;
};
inline constexpr SheetSize kExcel4Sheet{65536, 256};
inline constexpr SheetSize kExcel12Sheet{1048576, 16384};

// A rectangle of a sheet, first and last rows and columns, counted from 0.
struct Rect {
  std::size_t first_row = 0, last_row = 0, first_col = 0, last_col = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// The value of one cell of a block.
struct Count { // a count or an ordinal: an integer cell while it fits in 16 bits, else a number
  std::size_t value;
};
struct ErrorValue { // an error value by its code (#DIV/0! 7, #NUM! 36, ...)
  std::uint16_t code;
};
using CellValue = std::variant<std::monostate, double, std::string, Count, ErrorValue>;

// The look given to a range, drawn in this order: outline, centring, number format, table
// shading (colour mode only), bold. Bold applies to the range's first cell, the active cell of
// the selection.
struct RangeStyle {
  Rect at;
  bool frame = false;
  bool centre = false;
  std::string number_format = {}; // empty: left as it is
  bool shade = false;
  bool bold = false;

  RangeStyle& Frame() { return frame = true, *this; }
  RangeStyle& Centre() { return centre = true, *this; }
  RangeStyle& Format(std::string_view format) { return number_format = format, *this; }
  RangeStyle& Shade() { return shade = true, *this; }
  RangeStyle& Bold() { return bold = true, *this; }
};

// A rectangle of values written at once (it may be empty: a block of styles only), then the
// styles of its ranges in the order given; later styles of a range override earlier ones.
class Block {
public:
  Block() = default;
  Block(std::size_t first_row, std::size_t first_col, std::size_t rows, std::size_t columns);

  void Number(std::size_t row, std::size_t column, double value);
  void Text(std::size_t row, std::size_t column, std::string_view text);
  void Count(std::size_t row, std::size_t column, std::size_t value);
  void Error(std::size_t row, std::size_t column, std::uint16_t code);
  // The number, when there is one; otherwise the cell stays empty.
  void Optional(std::size_t row, std::size_t column, const std::optional<double>& value);

  // A style for the sheet's rectangle (first_row, last_row, first_col, last_col).
  RangeStyle& Style(std::size_t first_row, std::size_t last_row, std::size_t first_col,
                    std::size_t last_col);

  std::size_t first_row() const { return first_row_; }
  std::size_t first_col() const { return first_col_; }
  std::size_t rows() const { return rows_; }
  std::size_t columns() const { return columns_; }
  // Counted from the block's first cell.
  const CellValue& At(std::size_t row, std::size_t column) const;
  const std::vector<RangeStyle>& styles() const { return styles_; }

private:
  CellValue& Cell(std::size_t row, std::size_t column);

  std::size_t first_row_ = 0, first_col_ = 0, rows_ = 0, columns_ = 0;
  std::vector<CellValue> cells_;
  std::vector<RangeStyle> styles_;
};

// The whole-sheet look: Arial 10 on the grey sheet, or in black and white; or none at all (a
// sheet opened but never written).
enum class SheetLook { Styled, Bare };

// Where a worksheet after the first goes: left of the active sheet, where it lands, or moved to
// the end of the workbook.
enum class SheetPlace { InPlace, AtEnd };

// Blocks and sheets are kept where references to them stay valid while more are added.
struct Worksheet {
  std::string name;
  std::deque<Block> blocks;
  SheetLook look = SheetLook::Styled;
  bool hidden = false; // hidden (very hidden) once written
  SheetPlace place = SheetPlace::InPlace;
  std::optional<Rect> fitted = std::nullopt; // columns best fitted, then A1 selected, once written

  Block& Add(Block block) { return blocks.emplace_back(std::move(block)); }
};

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

// An argument of PATTERNS: a number, or omitted.
struct OmittedArgument {};
inline constexpr OmittedArgument omitted{};
struct PatternArgument {
  PatternArgument(int number) : value(static_cast<std::int16_t>(number)), given(true) {}
  PatternArgument(OmittedArgument) {}
  std::int16_t value = 0;
  bool given = false;
};
using Pattern = std::vector<PatternArgument>;

// A series becomes a line (4) or an XY scatter (8) series.
enum class SeriesKind : std::int16_t { Line = 4, Scatter = 8 };
// Where an axis title goes; its text is the chart item "Text Axis 1", "2" or "3".
enum class AxisTitle : std::int16_t { Value = 2, Category = 3, SecondValue = 5 };

// The parts of a chart, drawn in the order given; each selects what it formats, so the last
// one drawn leaves its item selected.
namespace chart {
// A new series from R1C1 reference texts ("=Sheet!R14C1:R23C1"); the name may be a plain text;
// an empty x reference is omitted.
struct Series {
  std::string name_ref = {}, x_ref = {}, y_ref = {};
  std::int16_t plot_order = 1;
};
// The look of series `item` ("S1", ...): to the second value axis, a type of its own, its
// points labelled with their categories in Arial 8 of `labels_colour`, then its pattern.
struct SeriesLook {
  std::string item;
  bool second_axis = false;
  std::optional<SeriesKind> kind = std::nullopt;
  std::optional<std::int16_t> labels_colour = std::nullopt;
  Pattern pattern = {};
};
struct Title {
  std::string text;
  ChartColours colours;
};
// Axis `item` ("Axis 1" .. "Axis 3", or an axis title "Text Axis 1"): its number format (empty:
// its own), font and line; with `title_at`, the axis title `title`.
struct Axis {
  std::string item;
  std::string format;
  ChartColours colours;
  std::optional<AxisTitle> title_at = std::nullopt;
  std::string title = {};
};
// The selected axis `item` runs from `minimum` to `maximum`.
struct Scale {
  std::string item;
  double minimum, maximum;
};
struct NoLegend {};
// The legend without frame or fill, in Arial 8 of `text_colour`.
struct Legend {
  std::int16_t text_colour;
};
// The plot area framed in grey and left clear.
struct PlotArea {};
// The whole chart's area filled with `colour`, without a frame.
struct ChartArea {
  std::int16_t colour;
};
// The value axis' gridlines in grey, a lighter grey in black and white.
struct Gridlines {
  bool black_and_white;
};
// The gap between the columns of the first group, in percent of a column's width.
struct ColumnGap {
  std::int16_t gap;
};
// The chart as a whole left selected.
struct WholeChart {};
using Element = std::variant<Series, SeriesLook, Title, Axis, Scale, NoLegend, Legend, PlotArea,
                             ChartArea, Gridlines, ColumnGap, WholeChart>;
} // namespace chart

// R1C1 reference texts for chart series, rows and columns counted from 1, the sheet's name
// quoted when it holds anything but letters, digits, '_' and '.':
// "=Histograma!R13C4" and "=Histograma!R14C1:R23C1".
std::string CellReference(std::string_view sheet, unsigned row, unsigned column);
std::string ColumnReference(std::string_view sheet, unsigned first_row, unsigned last_row,
                            unsigned column);

// Where a new chart sheet goes: moved to the end of the workbook, or left where it lands (left
// of the active sheet).
enum class ChartPlace { AtEnd, InPlace };

struct ChartSheet {
  std::string name;
  ChartPlace place = ChartPlace::AtEnd;
  std::vector<chart::Element> parts;

  template <class Part> Part& Add(Part part) {
    return std::get<Part>(parts.emplace_back(std::move(part)));
  }
};

// The closing steps: `sheet` active again, the columns of `used` best fitted, A1 selected, the
// first sheet hidden when asked (leaving the charts to the user), screen updating back on.
struct Closing {
  std::string sheet;
  Rect used;
  bool hide_first = false;
};

// When screen updating goes off while the workbook is opened: after the first sheet's name and
// gridlines, or right after the new workbook.
enum class EchoOff { AfterGridlines, AfterNew };

// A tool's result workbook. The first worksheet opens a new workbook, each later one is inserted
// left of the active sheet; a book without sheets opens nothing. Without `closing` the workbook
// is left as written, as after a failure in the middle of a run.
struct ResultBook {
  bool black_and_white = false;
  EchoOff echo_off = EchoOff::AfterGridlines;
  std::deque<std::variant<Worksheet, ChartSheet>> sheets;
  std::optional<Closing> closing;

  Worksheet& AddWorksheet(std::string name) {
    return std::get<Worksheet>(sheets.emplace_back(Worksheet{std::move(name), {}}));
  }
  ChartSheet& AddChart(std::string name, ChartPlace place = ChartPlace::AtEnd) {
    return std::get<ChartSheet>(sheets.emplace_back(ChartSheet{std::move(name), place, {}}));
  }
};

// A book of the one worksheet `sheet`, opened and not written yet: where a tool's description
// starts, and what a run that stops right after opening leaves.
ResultBook OpenedBook(std::string sheet, bool black_and_white);
