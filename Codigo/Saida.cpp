#include "Saida.h"

#include <cstring>
#include <stdexcept>
#include <string>
#include <variant>

#include "Tabelas.h"
#include "kvplatform/ansi.h"
#include "xll/Excel12.h"
#include "xll/MacroCall.h"
#include "xll/xloper.h"

namespace {
using A = xl::MacroArg;
using palette::kBlack;
using palette::kWhite;
constexpr std::int16_t kSheetText = palette::kBlue;
constexpr std::int16_t kSheetFill = palette::kGrey25;
constexpr std::int16_t kChartText = palette::kLightOrange;

constexpr std::int16_t kSolid = 1;
constexpr std::int16_t kNewWorksheetBook = 1;
constexpr std::int16_t kWorksheet = 1;
constexpr std::int16_t kChartSheet = 2;
constexpr std::int16_t kActiveWorkbookName = 88;
constexpr std::int16_t kClearContents = 3;
constexpr std::int16_t kThinOutline = 1;
constexpr std::int16_t kCentre = 3;
constexpr std::int16_t kBestFit = 3;
constexpr std::int16_t kChartTitle = 1;
constexpr std::int16_t kSelectedSeries = 1;
constexpr std::int16_t kTwoDimensional = 1;
constexpr std::int16_t kSecondAxis = 2;
constexpr std::int16_t kFirstChartGroup = 1;
constexpr std::int16_t kCategoryLabel = 4; // DATA.LABEL: each point shows its category
constexpr std::int16_t kCustom = 0;        // PATTERNS: a line or area of the colours given
constexpr std::int16_t kNone = 2;          // PATTERNS: no line, no area
constexpr std::size_t kMaxPatternArguments = 12;

constexpr std::string_view kArial = "Arial";
constexpr std::string_view kNormalStyle = "Normal";
constexpr std::string_view kTitleItem = "Title";

std::string_view BoldStyleName() {
  static constexpr std::string_view kNames[] = {"Negrito", "Bold"};
  return kNames[LanguageIndex(CurrentLanguage)];
}

xl::SheetArea Area(const SheetRect& rect) {
  return xl::SheetArea{rect.first_row, rect.last_row, rect.first_col, rect.last_col};
}

// FONT.PROPERTIES(font, style, size, six unchanged, colour) on the selection.
void Font(std::string_view style, std::int16_t size, std::int16_t colour) {
  xl::Macro(xlcFontPropertiesIntl,
            {A::Text(kArial), A::Text(style), A::Integer(size), A::Omitted(), A::Omitted(),
             A::Omitted(), A::Omitted(), A::Omitted(), A::Omitted(), A::Integer(colour)});
}

// The new chart sheet made active: emptied and sized with the window.
void ClearNewChart() {
  xl::Macro(xlcSelectChart, {});
  xl::Macro(xlcClear, {A::Integer(kClearContents)});
  xl::Macro(xlcOptionsChart, {A::Omitted(), A::Omitted(), A::Boolean(true)});
}
} // namespace

SheetSize SheetInUse() {
  return Excel12InUse() ? kExcel12Sheet : kExcel4Sheet;
}

std::uint32_t SheetColumn(std::size_t column) {
  const std::uint32_t columns = xl::GridInUse().columns;
  if (column >= columns)
    throw std::out_of_range("the sheet has " + std::to_string(columns) + " columns");
  return static_cast<std::uint32_t>(column);
}

std::uint32_t SheetRow(std::size_t row) {
  const std::uint32_t rows = xl::GridInUse().rows;
  if (row >= rows) throw std::out_of_range("the sheet has " + std::to_string(rows) + " rows");
  return static_cast<std::uint32_t>(row);
}

template <class Oper>
BasicCellBlock<Oper>::BasicCellBlock(std::uint32_t rows, std::uint32_t columns)
    : rows_(rows), columns_(columns), cells_(static_cast<std::size_t>(rows) * columns) {
  for (Oper& cell : cells_)
    cell.xltype = xltypeNil;
}

template <class Oper> Oper& BasicCellBlock<Oper>::At(std::uint32_t row, std::uint32_t column) {
  return cells_.at(static_cast<std::size_t>(row) * columns_ + column);
}

template <class Oper>
void BasicCellBlock<Oper>::Number(std::uint32_t row, std::uint32_t column, double value) {
  Oper& cell = At(row, column);
  cell.xltype = xltypeNum;
  cell.val.num = value;
}

template <class Oper>
void BasicCellBlock<Oper>::Text(std::uint32_t row, std::uint32_t column, std::string_view ansi) {
  Oper& cell = At(row, column);
  std::basic_string<Char> text;
  if constexpr (std::is_same_v<Oper, XLOPER>)
    text = ansi.substr(0, 255);
  else
    text = kvp::AnsiToUtf16(ansi.substr(0, 255));
  texts_.push_back(std::make_unique<Char[]>(text.size() + 2));
  Char* stored = texts_.back().get();
  stored[0] = static_cast<Char>(text.size());
  std::copy(text.begin(), text.end(), stored + 1);
  stored[text.size() + 1] = 0;
  cell.xltype = xltypeStr;
  cell.val.str = stored;
}

template <class Oper>
void BasicCellBlock<Oper>::Integer(std::uint32_t row, std::uint32_t column, std::int16_t value) {
  Oper& cell = At(row, column);
  cell.xltype = xltypeInt;
  cell.val.w = value;
}

template <class Oper>
void BasicCellBlock<Oper>::Count(std::uint32_t row, std::uint32_t column, std::size_t value) {
  if (value <= 32767)
    Integer(row, column, static_cast<std::int16_t>(value));
  else
    Number(row, column, static_cast<double>(value));
}

template <class Oper>
void BasicCellBlock<Oper>::Error(std::uint32_t row, std::uint32_t column, std::uint16_t code) {
  Oper& cell = At(row, column);
  cell.xltype = xltypeErr;
  cell.val.err = code;
}

template class BasicCellBlock<XLOPER>;
template class BasicCellBlock<XLOPER12>;

namespace {
// The active sheet renamed, its gridlines off.
void NameSheetWithoutGridlines(std::string_view sheet_name) {
  xl::Macro(xlcWorkbookName, {A::Omitted(), A::Text(sheet_name)});
  xl::Macro(xlcOptionsView, {A::Omitted(), A::Omitted(), A::Omitted(), A::Omitted(), A::Omitted(),
                             A::Omitted(), A::Omitted(), A::Boolean(false)});
}
} // namespace

void OpenBareResultWorkbook(std::string_view sheet_name, EchoOff when) {
  xl::Macro(xlcNew, {A::Integer(kNewWorksheetBook)});
  if (when == EchoOff::AfterNew) xl::Macro(xlcEcho, {A::Boolean(false)});
  NameSheetWithoutGridlines(sheet_name);
  if (when == EchoOff::AfterGridlines) xl::Macro(xlcEcho, {A::Boolean(false)});
}

void AddDataSheet(std::string_view sheet_name, bool black_and_white) {
  xl::Macro(xlcWorkbookInsert, {A::Integer(kWorksheet)});
  NameSheetWithoutGridlines(sheet_name);
  StyleWholeSheet(black_and_white);
}

void HideSheet(std::string_view sheet_name) {
  xl::Macro(xlcWorkbookHide, {A::Text(sheet_name), A::Boolean(true)});
}

void StyleWholeSheet(bool black_and_white) {
  const xl::SheetGrid grid = xl::GridInUse();
  SelectRange(SheetRect{0, grid.rows - 1, 0, grid.columns - 1});
  if (black_and_white) {
    xl::Macro(xlcFontPropertiesIntl, {A::Text(kArial), A::Text(kNormalStyle), A::Integer(10)});
    return;
  }
  xl::Macro(xlcPatterns, {A::Integer(kSolid), A::Integer(kSheetFill)});
  Font(kNormalStyle, 10, kSheetText);
}

void OpenResultWorkbook(std::string_view sheet_name, bool black_and_white, EchoOff when) {
  OpenBareResultWorkbook(sheet_name, when);
  StyleWholeSheet(black_and_white);
}

template <class Oper>
void WriteCellBlock(std::uint32_t first_row, std::uint32_t first_col, BasicCellBlock<Oper>& block) {
  if (block.rows() == 0 || block.columns() == 0) return;
  using Ref = typename xl::Kind<Oper>::Ref;
  using Row = decltype(Ref{}.rwFirst);
  using Column = decltype(Ref{}.colFirst);
  Oper sheet{};
  // Without the sheet's id there is no reference to write through.
  if (xl::Macro(xlSheetId, &sheet, {}) != xlretSuccess) return;
  typename xl::Kind<Oper>::MRef rectangles{};
  rectangles.count = 1;
  rectangles.reftbl[0] =
      Ref{static_cast<Row>(first_row), static_cast<Row>(first_row + block.rows() - 1),
          static_cast<Column>(first_col), static_cast<Column>(first_col + block.columns() - 1)};
  Oper reference{};
  reference.xltype = xltypeRef;
  reference.val.mref.lpmref = &rectangles;
  reference.val.mref.idSheet = sheet.val.mref.idSheet;
  Oper values{};
  values.xltype = xltypeMulti;
  values.val.array.lparray = block.cells();
  values.val.array.rows = static_cast<decltype(values.val.array.rows)>(block.rows());
  values.val.array.columns = static_cast<decltype(values.val.array.columns)>(block.columns());
  xl::Macro(xlSet, static_cast<Oper*>(nullptr), {A::Answer(reference), A::Answer(values)});
}
template void WriteCellBlock(std::uint32_t, std::uint32_t, BasicCellBlock<XLOPER>&);
template void WriteCellBlock(std::uint32_t, std::uint32_t, BasicCellBlock<XLOPER12>&);

void SelectRange(const SheetRect& rect) {
  xl::Macro(xlcSelect, {A::Area(Area(rect))});
}

void FrameRange(const SheetRect& rect) {
  SelectRange(rect);
  xl::Macro(xlcBorder, {A::Integer(kThinOutline)});
}

void CenterRange() {
  xl::Macro(xlcAlignment, {A::Integer(kCentre)});
}

void BoldActiveCell() {
  xl::Macro(xlcActiveCellFontIntl, {A::Omitted(), A::Text(BoldStyleName())});
}

void FormatRangeNumbers(std::string_view format) {
  xl::Macro(xlcFormatNumberIntl, {A::Text(format)});
}

void ShadeRange(bool black_and_white) {
  if (black_and_white) return;
  xl::Macro(xlcPatterns, {A::Integer(kSolid), A::Integer(kWhite)});
  xl::Macro(xlcFontPropertiesIntl,
            {A::Omitted(), A::Omitted(), A::Omitted(), A::Omitted(), A::Omitted(), A::Omitted(),
             A::Omitted(), A::Omitted(), A::Omitted(), A::Integer(kBlack)});
}

void AddChartSheet(std::string_view chart_name) {
  xl::Macro(xlcWorkbookInsert, {A::Integer(kChartSheet)});
  xl::Macro(xlcWorkbookName, {A::Omitted(), A::Text(chart_name)});
  MoveSheetToEnd(chart_name);
  ClearNewChart();
}

namespace {
// The name of the active workbook, asked for through the interface of `Oper`; with it the sheet
// goes after the workbook's last sheet.
template <class Oper> void MoveSheetToEndOf(std::string_view sheet_name) {
  xl::BasicExcelValue<Oper> book;
  const bool named =
      xl::Macro(xlfGetDocument, book.Fill(), {A::Integer(kActiveWorkbookName)}) == xlretSuccess &&
      book.Type() == xltypeStr;
  // Without the workbook's name the sheet stays where it was inserted.
  if (named) {
    xl::Macro(xlcWorkbookMove, {A::Text(sheet_name), A::Answer(*book), A::Omitted()});
    book.Release();
  } else {
    book.Forget();
  }
}

// The workbook's name is asked for as when the sheet is moved, but not needed here.
template <class Oper> void AskWorkbookName() {
  xl::BasicExcelValue<Oper> book;
  if (xl::Macro(xlfGetDocument, book.Fill(), {A::Integer(kActiveWorkbookName)}) != xlretSuccess)
    book.Forget();
  book.Release();
}
} // namespace

void MoveSheetToEnd(std::string_view sheet_name) {
  if (Excel12InUse())
    MoveSheetToEndOf<XLOPER12>(sheet_name);
  else
    MoveSheetToEndOf<XLOPER>(sheet_name);
}

void FitColumns(const SheetRect& used) {
  xl::Macro(xlcColumnWidth,
            {A::Omitted(), A::Area(Area(used)), A::Omitted(), A::Integer(kBestFit)});
}

void AddChartSheetInPlace(std::string_view chart_name) {
  xl::Macro(xlcWorkbookInsert, {A::Integer(kChartSheet)});
  if (Excel12InUse())
    AskWorkbookName<XLOPER12>();
  else
    AskWorkbookName<XLOPER>();
  xl::Macro(xlcWorkbookName, {A::Omitted(), A::Text(chart_name)});
  ClearNewChart();
}

void AddChartSeries(std::string_view name_ref, std::string_view x_ref, std::string_view y_ref,
                    std::int16_t plot_order) {
  xl::Macro(xlcEditSeriesIntl,
            {A::Integer(0), A::Text(name_ref), x_ref.empty() ? A::Omitted() : A::Text(x_ref),
             A::Text(y_ref), A::Omitted(), A::Integer(plot_order)});
}

void TitleChart(std::string_view text, const ChartColours& colours) {
  xl::Macro(xlcAttachText, {A::Integer(kChartTitle)});
  xl::Macro(xlcFormula, {A::Text(text)});
  xl::Macro(xlcSelect, {A::Text(kTitleItem)});
  Font(BoldStyleName(), 10, colours.text);
}

void StyleAxis(std::string_view axis, std::string_view format, const ChartColours& colours) {
  SelectChartItem(axis);
  if (!format.empty()) FormatRangeNumbers(format);
  Font(kNormalStyle, 8, colours.text);
  if (!colours.black_and_white)
    xl::Macro(xlcPatterns, {A::Integer(0), A::Omitted(), A::Integer(kChartText)});
}

void ScaleAxis(double minimum, double maximum) {
  xl::Macro(xlcScale, {A::Number(minimum), A::Number(maximum), A::Omitted(), A::Omitted(),
                       A::Omitted(), A::Omitted(), A::Omitted(), A::Omitted()});
}

void LabelAxis(AxisTitle axis, std::string_view text, const ChartColours& colours) {
  xl::Macro(xlcAttachText, {A::Integer(static_cast<std::int16_t>(axis))});
  xl::Macro(xlcFormula, {A::Text(text)});
  switch (axis) {
  case AxisTitle::Value: SelectChartItem("Text Axis 1"); break;
  case AxisTitle::Category: SelectChartItem("Text Axis 2"); break;
  case AxisTitle::SecondValue: SelectChartItem("Text Axis 3"); break;
  }
  Font(BoldStyleName(), 8, colours.text);
}

void SelectChartItem(std::string_view item) {
  xl::Macro(xlcSelect, {A::Text(item)});
}

void SelectWholeChart() {
  xl::Macro(xlcSelectChart, {});
}

void SelectPlotArea() {
  xl::Macro(xlcSelectPlotArea, {});
}

void Patterns(const Pattern& arguments) {
  std::vector<A> values;
  for (const PatternArgument& argument : arguments) {
    if (values.size() == kMaxPatternArguments) break;
    values.push_back(argument.given ? A::Integer(argument.value) : A::Omitted());
  }
  xl::Macro(xlcPatterns, values);
}

void ChartFont(bool bold, std::int16_t size, std::int16_t colour) {
  Font(bold ? BoldStyleName() : kNormalStyle, size, colour);
}

void SetSeriesKind(SeriesKind kind) {
  xl::Macro(xlcFormatCharttype,
            {A::Integer(kSelectedSeries), A::Omitted(), A::Integer(kTwoDimensional),
             A::Integer(static_cast<std::int16_t>(kind))});
}

void ShowCategoryLabels() {
  xl::Macro(xlcDataLabel, {A::Integer(kCategoryLabel)});
}

void MoveSeriesToSecondAxis() {
  xl::Macro(xlcSeriesAxes, {A::Integer(kSecondAxis)});
}

void SetColumnGap(std::int16_t gap) {
  xl::Macro(xlcFormatChart, {A::Integer(kFirstChartGroup), A::Omitted(), A::Omitted(), A::Omitted(),
                             A::Integer(gap)});
}

void RemoveLegend() {
  xl::Macro(xlcLegend, {A::Boolean(false)});
}

void StyleLegend(std::int16_t text_colour) {
  SelectChartItem("Legend");
  Patterns({kNone, omitted, omitted, omitted, omitted, kNone});
  Font(kNormalStyle, 8, text_colour);
}

void FramePlotArea() {
  SelectPlotArea();
  Patterns({kCustom, omitted, palette::kGrey50, omitted, omitted, kNone});
}

void FillChartArea(std::int16_t colour) {
  SelectWholeChart();
  Patterns({kNone, omitted, omitted, omitted, omitted, kCustom, kSolid, colour});
}

void ColourGridlines(bool black_and_white) {
  SelectChartItem("Gridline 1");
  Patterns({kCustom, omitted, black_and_white ? palette::kGrey25 : palette::kGrey50});
}

void FinishResultWorkbook(std::string_view first_sheet, const SheetRect& used, FirstSheet first) {
  xl::Macro(xlcWorkbookActivate, {A::Text(first_sheet)});
  FitColumns(used);
  SelectRange(SheetRect{0, 0, 0, 0});
  if (first == FirstSheet::Hidden) HideSheet(first_sheet);
  xl::Macro(xlcEcho, {A::Boolean(true)});
}

namespace {
SheetRect Fitted(const Rect& r) {
  return SheetRect{SheetRow(r.first_row), SheetRow(r.last_row), SheetColumn(r.first_col),
                   SheetColumn(r.last_col)};
}

template <class Oper> void WriteValuesAs(const Block& block, const SheetRect& at) {
  BasicCellBlock<Oper> cells(static_cast<std::uint32_t>(block.rows()),
                             static_cast<std::uint32_t>(block.columns()));
  for (std::uint32_t r = 0; r < cells.rows(); ++r)
    for (std::uint32_t c = 0; c < cells.columns(); ++c) {
      const CellValue& value = block.At(r, c);
      if (const auto* number = std::get_if<double>(&value))
        cells.Number(r, c, *number);
      else if (const auto* text = std::get_if<std::string>(&value))
        cells.Text(r, c, *text);
      else if (const auto* count = std::get_if<Count>(&value))
        cells.Count(r, c, count->value);
      else if (const auto* error = std::get_if<ErrorValue>(&value))
        cells.Error(r, c, error->code);
    }
  WriteCellBlock(at.first_row, at.first_col, cells);
}

void WriteValues(const Block& block) {
  if (block.rows() == 0 || block.columns() == 0) return;
  const SheetRect at = Fitted(Rect{block.first_row(), block.first_row() + block.rows() - 1,
                                   block.first_col(), block.first_col() + block.columns() - 1});
  if (Excel12InUse()) return WriteValuesAs<XLOPER12>(block, at);
  // A block of all 65536 rows is one more than an Excel 4 array's 16-bit count of rows.
  if (block.rows() > 65535) throw std::out_of_range("a block taller than the sheet");
  WriteValuesAs<XLOPER>(block, at);
}

void DrawStyle(const RangeStyle& style, bool black_and_white) {
  if (style.frame)
    FrameRange(Fitted(style.at));
  else
    SelectRange(Fitted(style.at));
  if (style.centre) CenterRange();
  if (!style.number_format.empty()) FormatRangeNumbers(style.number_format);
  if (style.shade) ShadeRange(black_and_white);
  if (style.bold) BoldActiveCell();
}

void DrawWorksheet(const Worksheet& sheet, bool first, const ResultBook& book) {
  const bool bw = book.black_and_white;
  if (first) {
    OpenBareResultWorkbook(sheet.name, book.echo_off);
    if (sheet.look == SheetLook::Styled) StyleWholeSheet(bw);
  } else {
    AddDataSheet(sheet.name, bw);
    if (sheet.place == SheetPlace::AtEnd) MoveSheetToEnd(sheet.name);
  }
  for (const Block& block : sheet.blocks) {
    WriteValues(block);
    for (const RangeStyle& style : block.styles())
      DrawStyle(style, bw);
  }
  if (sheet.fitted) {
    FitColumns(Fitted(*sheet.fitted));
    SelectRange(SheetRect{0, 0, 0, 0});
  }
  if (sheet.hidden) HideSheet(sheet.name);
}

struct ChartPartWriter {
  void operator()(const chart::Series& s) const {
    AddChartSeries(s.name_ref, s.x_ref, s.y_ref, s.plot_order);
  }
  void operator()(const chart::SeriesLook& s) const {
    SelectChartItem(s.item);
    if (s.second_axis) MoveSeriesToSecondAxis();
    if (s.kind) SetSeriesKind(*s.kind);
    if (s.labels_colour) {
      ShowCategoryLabels();
      ChartFont(false, 8, *s.labels_colour);
    }
    if (s.pattern.empty()) return;
    SelectChartItem(s.item);
    Patterns(s.pattern);
  }
  void operator()(const chart::Title& t) const { TitleChart(t.text, t.colours); }
  void operator()(const chart::Axis& a) const {
    StyleAxis(a.item, a.format, a.colours);
    if (a.title_at) LabelAxis(*a.title_at, a.title, a.colours);
  }
  void operator()(const chart::Scale& s) const {
    SelectChartItem(s.item);
    ScaleAxis(s.minimum, s.maximum);
  }
  void operator()(const chart::NoLegend&) const { RemoveLegend(); }
  void operator()(const chart::Legend& l) const { StyleLegend(l.text_colour); }
  void operator()(const chart::PlotArea&) const { FramePlotArea(); }
  void operator()(const chart::ChartArea& a) const { FillChartArea(a.colour); }
  void operator()(const chart::Gridlines& g) const { ColourGridlines(g.black_and_white); }
  void operator()(const chart::ColumnGap& g) const { SetColumnGap(g.gap); }
  void operator()(const chart::WholeChart&) const { SelectWholeChart(); }
};

void DrawChart(const ChartSheet& sheet) {
  if (sheet.place == ChartPlace::AtEnd)
    AddChartSheet(sheet.name);
  else
    AddChartSheetInPlace(sheet.name);
  for (const chart::Element& part : sheet.parts)
    std::visit(ChartPartWriter{}, part);
}
} // namespace

void WriteResultBook(const ResultBook& book) {
  bool first = true;
  for (const auto& sheet : book.sheets) {
    if (const auto* worksheet = std::get_if<Worksheet>(&sheet))
      DrawWorksheet(*worksheet, first, book);
    else
      DrawChart(std::get<ChartSheet>(sheet));
    first = false;
  }
  if (book.closing)
    FinishResultWorkbook(book.closing->sheet, Fitted(book.closing->used),
                         book.closing->hide_first ? FirstSheet::Hidden : FirstSheet::Shown);
}
