#include "Saida.h"

#include <cstring>
#include <stdexcept>
#include <string>
#include <variant>

#include "Tabelas.h"
#include "xll/ExcelCall.h"
#include "xll/xloper.h"

namespace {
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
constexpr int kMaxPatternArguments = 12;

char Arial[] = " Arial";
char NormalStyle[] = " Normal";
char NegritoStyle[] = " Negrito";
char BoldStyle[] = " Bold";
char TitleItem[] = " Title";

char* BoldStyleName() {
  static char* const kNames[] = {NegritoStyle, BoldStyle};
  return kNames[LanguageIndex(CurrentLanguage)];
}

// A writable counted text for the characters given (at most 255 are kept).
std::string Counted(std::string_view text) {
  std::string counted(1, ' ');
  counted.append(text.substr(0, 255));
  return counted;
}

// FONT.PROPERTIES(font, style, size, six unchanged, colour) on the selection.
void Font(char* style, std::int16_t size, std::int16_t colour) {
  ExcelCall(xlcFontPropertiesIntl, nullptr, 10, TempText(Arial), TempText(style), TempInteger(size),
            TempOmitted(), TempOmitted(), TempOmitted(), TempOmitted(), TempOmitted(),
            TempOmitted(), TempInteger(colour));
}

// The new chart sheet made active: emptied and sized with the window.
void ClearNewChart() {
  ExcelCall(xlcSelectChart, nullptr, 0);
  ExcelCall(xlcClear, nullptr, 1, TempInteger(kClearContents));
  ExcelCall(xlcOptionsChart, nullptr, 3, TempOmitted(), TempOmitted(), TempBoolean(1));
}
} // namespace

std::uint8_t SheetColumn(std::size_t column) {
  if (column > 255) throw std::out_of_range("the sheet has 256 columns");
  return static_cast<std::uint8_t>(column);
}

std::uint16_t SheetRow(std::size_t row) {
  if (row > 65535) throw std::out_of_range("the sheet has 65536 rows");
  return static_cast<std::uint16_t>(row);
}

CellBlock::CellBlock(std::uint16_t rows, std::uint16_t columns)
    : rows_(rows), columns_(columns), cells_(static_cast<std::size_t>(rows) * columns) {
  for (XLOPER& cell : cells_)
    cell.xltype = xltypeNil;
}

XLOPER& CellBlock::At(std::uint16_t row, std::uint16_t column) {
  return cells_.at(static_cast<std::size_t>(row) * columns_ + column);
}

void CellBlock::Number(std::uint16_t row, std::uint16_t column, double value) {
  XLOPER& cell = At(row, column);
  cell.xltype = xltypeNum;
  cell.val.num = value;
}

void CellBlock::Text(std::uint16_t row, std::uint16_t column, std::string_view ansi) {
  XLOPER& cell = At(row, column);
  const std::string counted = Counted(ansi);
  texts_.push_back(std::make_unique<char[]>(counted.size() + 1));
  char* stored = texts_.back().get();
  std::memcpy(stored, counted.c_str(), counted.size() + 1);
  cell.xltype = xltypeStr;
  cell.val.str = StampCountedText(stored);
}

void CellBlock::Integer(std::uint16_t row, std::uint16_t column, std::int16_t value) {
  XLOPER& cell = At(row, column);
  cell.xltype = xltypeInt;
  cell.val.w = value;
}

void CellBlock::Count(std::uint16_t row, std::uint16_t column, std::size_t value) {
  if (value <= 32767)
    Integer(row, column, static_cast<std::int16_t>(value));
  else
    Number(row, column, static_cast<double>(value));
}

void CellBlock::Error(std::uint16_t row, std::uint16_t column, std::uint16_t code) {
  XLOPER& cell = At(row, column);
  cell.xltype = xltypeErr;
  cell.val.err = code;
}

namespace {
// The active sheet renamed, its gridlines off.
void NameSheetWithoutGridlines(std::string_view sheet_name) {
  std::string name = Counted(sheet_name);
  ExcelCall(xlcWorkbookName, nullptr, 2, TempOmitted(), TempText(name.data()));
  ExcelCall(xlcOptionsView, nullptr, 8, TempOmitted(), TempOmitted(), TempOmitted(), TempOmitted(),
            TempOmitted(), TempOmitted(), TempOmitted(), TempBoolean(0));
}
} // namespace

void OpenBareResultWorkbook(std::string_view sheet_name, EchoOff when) {
  ExcelCall(xlcNew, nullptr, 1, TempInteger(kNewWorksheetBook));
  if (when == EchoOff::AfterNew) ExcelCall(xlcEcho, nullptr, 1, TempBoolean(0));
  NameSheetWithoutGridlines(sheet_name);
  if (when == EchoOff::AfterGridlines) ExcelCall(xlcEcho, nullptr, 1, TempBoolean(0));
}

void AddDataSheet(std::string_view sheet_name, bool black_and_white) {
  ExcelCall(xlcWorkbookInsert, nullptr, 1, TempInteger(kWorksheet));
  NameSheetWithoutGridlines(sheet_name);
  StyleWholeSheet(black_and_white);
}

void HideSheet(std::string_view sheet_name) {
  std::string name = Counted(sheet_name);
  ExcelCall(xlcWorkbookHide, nullptr, 2, TempText(name.data()), TempBoolean(1));
}

void StyleWholeSheet(bool black_and_white) {
  SelectRange(SheetRect{0, 65535, 0, 255});
  if (black_and_white) {
    ExcelCall(xlcFontPropertiesIntl, nullptr, 3, TempText(Arial), TempText(NormalStyle),
              TempInteger(10));
    return;
  }
  ExcelCall(xlcPatterns, nullptr, 2, TempInteger(kSolid), TempInteger(kSheetFill));
  Font(NormalStyle, 10, kSheetText);
}

void OpenResultWorkbook(std::string_view sheet_name, bool black_and_white, EchoOff when) {
  OpenBareResultWorkbook(sheet_name, when);
  StyleWholeSheet(black_and_white);
}

void WriteCellBlock(std::uint16_t first_row, std::uint8_t first_col, CellBlock& block) {
  if (block.rows() == 0 || block.columns() == 0) return;
  XLOPER sheet{};
  // Without the sheet's id there is no reference to write through.
  if (ExcelCall(xlSheetId, &sheet, 0) != xlretSuccess) return;
  XLMREF rectangles{};
  rectangles.count = 1;
  rectangles.reftbl[0] =
      XLREF{first_row, static_cast<std::uint16_t>(first_row + block.rows() - 1), first_col,
            static_cast<std::uint8_t>(first_col + block.columns() - 1)};
  XLOPER reference{};
  reference.xltype = xltypeRef;
  reference.val.mref.lpmref = &rectangles;
  reference.val.mref.idSheet = sheet.val.mref.idSheet;
  XLOPER values{};
  values.xltype = xltypeMulti;
  values.val.array.lparray = block.cells();
  values.val.array.rows = block.rows();
  values.val.array.columns = block.columns();
  ExcelCall(xlSet, nullptr, 2, &reference, &values);
}

void SelectRange(const SheetRect& rect) {
  ExcelCall(xlcSelect, nullptr, 1,
            TempSheetRange(rect.first_row, rect.last_row, rect.first_col, rect.last_col));
}

void FrameRange(const SheetRect& rect) {
  SelectRange(rect);
  ExcelCall(xlcBorder, nullptr, 1, TempInteger(kThinOutline));
}

void CenterRange() {
  ExcelCall(xlcAlignment, nullptr, 1, TempInteger(kCentre));
}

void BoldActiveCell() {
  ExcelCall(xlcActiveCellFontIntl, nullptr, 2, TempOmitted(), TempText(BoldStyleName()));
}

void FormatRangeNumbers(std::string_view format) {
  std::string counted = Counted(format);
  ExcelCall(xlcFormatNumberIntl, nullptr, 1, TempText(counted.data()));
}

void ShadeRange(bool black_and_white) {
  if (black_and_white) return;
  ExcelCall(xlcPatterns, nullptr, 2, TempInteger(kSolid), TempInteger(kWhite));
  ExcelCall(xlcFontPropertiesIntl, nullptr, 10, TempOmitted(), TempOmitted(), TempOmitted(),
            TempOmitted(), TempOmitted(), TempOmitted(), TempOmitted(), TempOmitted(),
            TempOmitted(), TempInteger(kBlack));
}

void AddChartSheet(std::string_view chart_name) {
  ExcelCall(xlcWorkbookInsert, nullptr, 1, TempInteger(kChartSheet));
  std::string name = Counted(chart_name);
  ExcelCall(xlcWorkbookName, nullptr, 2, TempOmitted(), TempText(name.data()));
  MoveSheetToEnd(chart_name);
  ClearNewChart();
}

void MoveSheetToEnd(std::string_view sheet_name) {
  std::string name = Counted(sheet_name);
  xl::ExcelValue book;
  const bool named =
      ExcelCall(xlfGetDocument, book.Fill(), 1, TempInteger(kActiveWorkbookName)) == xlretSuccess &&
      book.Type() == xltypeStr;
  // Without the workbook's name the sheet stays where it was inserted.
  if (named) {
    ExcelCall(xlcWorkbookMove, nullptr, 3, TempText(name.data()), book.get(), TempOmitted());
    book.Release();
  } else {
    book.Forget();
  }
}

void FitColumns(const SheetRect& used) {
  ExcelCall(xlcColumnWidth, nullptr, 4, TempOmitted(),
            TempSheetRange(used.first_row, used.last_row, used.first_col, used.last_col),
            TempOmitted(), TempInteger(kBestFit));
}

void AddChartSheetInPlace(std::string_view chart_name) {
  ExcelCall(xlcWorkbookInsert, nullptr, 1, TempInteger(kChartSheet));
  // The workbook's name is asked for as when the sheet is moved, but not needed here.
  xl::ExcelValue book;
  if (ExcelCall(xlfGetDocument, book.Fill(), 1, TempInteger(kActiveWorkbookName)) != xlretSuccess)
    book.Forget();
  book.Release();
  std::string name = Counted(chart_name);
  ExcelCall(xlcWorkbookName, nullptr, 2, TempOmitted(), TempText(name.data()));
  ClearNewChart();
}

void AddChartSeries(std::string_view name_ref, std::string_view x_ref, std::string_view y_ref,
                    std::int16_t plot_order) {
  std::string name = Counted(name_ref);
  std::string x = Counted(x_ref);
  std::string y = Counted(y_ref);
  ExcelCall(xlcEditSeriesIntl, nullptr, 6, TempInteger(0), TempText(name.data()),
            x_ref.empty() ? TempOmitted() : TempText(x.data()), TempText(y.data()), TempOmitted(),
            TempInteger(plot_order));
}

void TitleChart(std::string_view text, const ChartColours& colours) {
  ExcelCall(xlcAttachText, nullptr, 1, TempInteger(kChartTitle));
  std::string counted = Counted(text);
  ExcelCall(xlcFormula, nullptr, 1, TempText(counted.data()));
  ExcelCall(xlcSelect, nullptr, 1, TempText(TitleItem));
  Font(BoldStyleName(), 10, colours.text);
}

void StyleAxis(std::string_view axis, std::string_view format, const ChartColours& colours) {
  SelectChartItem(axis);
  if (!format.empty()) FormatRangeNumbers(format);
  Font(NormalStyle, 8, colours.text);
  if (!colours.black_and_white)
    ExcelCall(xlcPatterns, nullptr, 3, TempInteger(0), TempOmitted(), TempInteger(kChartText));
}

void ScaleAxis(double minimum, double maximum) {
  ExcelCall(xlcScale, nullptr, 8, TempNumber(minimum), TempNumber(maximum), TempOmitted(),
            TempOmitted(), TempOmitted(), TempOmitted(), TempOmitted(), TempOmitted());
}

void LabelAxis(AxisTitle axis, std::string_view text, const ChartColours& colours) {
  ExcelCall(xlcAttachText, nullptr, 1, TempInteger(static_cast<std::int16_t>(axis)));
  std::string counted = Counted(text);
  ExcelCall(xlcFormula, nullptr, 1, TempText(counted.data()));
  switch (axis) {
  case AxisTitle::Value: SelectChartItem("Text Axis 1"); break;
  case AxisTitle::Category: SelectChartItem("Text Axis 2"); break;
  case AxisTitle::SecondValue: SelectChartItem("Text Axis 3"); break;
  }
  Font(BoldStyleName(), 8, colours.text);
}

void SelectChartItem(std::string_view item) {
  std::string counted = Counted(item);
  ExcelCall(xlcSelect, nullptr, 1, TempText(counted.data()));
}

void SelectWholeChart() {
  ExcelCall(xlcSelectChart, nullptr, 0);
}

void SelectPlotArea() {
  ExcelCall(xlcSelectPlotArea, nullptr, 0);
}

void Patterns(const Pattern& arguments) {
  LPXLOPER values[kMaxPatternArguments];
  int count = 0;
  for (const PatternArgument& argument : arguments) {
    if (count == kMaxPatternArguments) break;
    values[count++] = argument.given ? TempInteger(argument.value) : TempOmitted();
  }
  ExcelCallv(xlcPatterns, nullptr, count, values);
}

void ChartFont(bool bold, std::int16_t size, std::int16_t colour) {
  Font(bold ? BoldStyleName() : NormalStyle, size, colour);
}

void SetSeriesKind(SeriesKind kind) {
  ExcelCall(xlcFormatCharttype, nullptr, 4, TempInteger(kSelectedSeries), TempOmitted(),
            TempInteger(kTwoDimensional), TempInteger(static_cast<std::int16_t>(kind)));
}

void ShowCategoryLabels() {
  ExcelCall(xlcDataLabel, nullptr, 1, TempInteger(kCategoryLabel));
}

void MoveSeriesToSecondAxis() {
  ExcelCall(xlcSeriesAxes, nullptr, 1, TempInteger(kSecondAxis));
}

void SetColumnGap(std::int16_t gap) {
  ExcelCall(xlcFormatChart, nullptr, 5, TempInteger(kFirstChartGroup), TempOmitted(), TempOmitted(),
            TempOmitted(), TempInteger(gap));
}

void RemoveLegend() {
  ExcelCall(xlcLegend, nullptr, 1, TempBoolean(0));
}

void StyleLegend(std::int16_t text_colour) {
  SelectChartItem("Legend");
  Patterns({kNone, omitted, omitted, omitted, omitted, kNone});
  Font(NormalStyle, 8, text_colour);
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
  std::string name = Counted(first_sheet);
  ExcelCall(xlcWorkbookActivate, nullptr, 1, TempText(name.data()));
  FitColumns(used);
  SelectRange(SheetRect{0, 0, 0, 0});
  if (first == FirstSheet::Hidden) HideSheet(first_sheet);
  ExcelCall(xlcEcho, nullptr, 1, TempBoolean(1));
}

namespace {
SheetRect Fitted(const Rect& r) {
  return SheetRect{SheetRow(r.first_row), SheetRow(r.last_row), SheetColumn(r.first_col),
                   SheetColumn(r.last_col)};
}

void WriteValues(const Block& block) {
  if (block.rows() == 0 || block.columns() == 0) return;
  const SheetRect at = Fitted(Rect{block.first_row(), block.first_row() + block.rows() - 1,
                                   block.first_col(), block.first_col() + block.columns() - 1});
  // A block of all 65536 rows is one more than a block's 16-bit count of rows.
  if (block.rows() > 65535) throw std::out_of_range("a block taller than the sheet");
  CellBlock cells(static_cast<std::uint16_t>(block.rows()),
                  static_cast<std::uint16_t>(block.columns()));
  for (std::uint16_t r = 0; r < cells.rows(); ++r)
    for (std::uint16_t c = 0; c < cells.columns(); ++c) {
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
