#include "result_books.h"

#include <string>

using namespace kvhost;

namespace kvtest {
namespace {

CellFormat SheetFormat() {
  CellFormat format;
  format.font.colour = 5;
  format.fill_pattern = 1;
  format.fill_fore = 15;
  return format;
}

// A framed table cell; `shaded`: white fill and black text, as tables stand out in colour.
CellFormat TableFormat(const std::string& number_format, bool centred, bool shaded = true) {
  CellFormat format = SheetFormat();
  if (shaded) {
    format.fill_fore = 2;
    format.font.colour = 1;
  }
  format.number_format = number_format;
  format.borders = {BorderStyle::Thin, BorderStyle::Thin, BorderStyle::Thin, BorderStyle::Thin};
  if (centred) format.alignment = HorizontalAlignment::Center;
  return format;
}

FontFormat Font(double size, bool bold, PaletteIndex colour) {
  FontFormat font;
  font.size = size;
  font.bold = bold;
  font.colour = colour;
  return font;
}

LineFormat Line(PaletteIndex colour) {
  return LineFormat{Auto::Custom, 1, colour, 2};
}
constexpr LineFormat kNoLine{Auto::None, 1, 0, 2};
AreaFormat Solid(PaletteIndex colour) {
  return AreaFormat{Auto::Custom, 1, colour, 0};
}
constexpr AreaFormat kNoArea{Auto::None, 1, 0, 0};

ChartAxis Axis(const std::string& number_format, PaletteIndex colour,
               std::optional<std::string> title) {
  ChartAxis axis;
  if (number_format != "General") {
    axis.number_format = number_format;
    axis.number_format_linked = false;
  }
  axis.font = Font(8, false, colour);
  axis.line = Line(colour);
  if (title) axis.title = ChartText{*title, Font(8, true, colour)};
  return axis;
}

// What every chart of the tools shares: plot area framed in grey and unfilled, grey
// gridlines, a legend without frame or fill, sized with the window.
Chart ToolChart(const std::string& title, PaletteIndex text, PaletteIndex background,
                PaletteIndex legend_text) {
  Chart chart;
  chart.title = ChartText{title, Font(10, true, text)};
  chart.legend_box = BoxFormat{kNoLine, kNoArea};
  chart.legend_font = Font(8, false, legend_text);
  chart.plot_area = BoxFormat{Line(16), kNoArea};
  chart.chart_area = BoxFormat{kNoLine, Solid(background)};
  chart.gridlines = Line(16);
  chart.size_with_window = true;
  return chart;
}

Sheet ChartSheet(const std::string& name, Chart chart) {
  Sheet sheet(0, name);
  sheet.kind = SheetKind::Chart;
  sheet.chart = std::move(chart);
  return sheet;
}

Sheet Histogram() {
  Sheet sheet(0, "Histograma");
  sheet.formats.whole_sheet = SheetFormat();
  sheet.show_gridlines = false;
  Cells& cells = sheet.cells;
  SheetFormats& formats = sheet.formats;
  const auto bold = [](CellFormat format, bool is_bold) {
    format.font.bold = is_bold;
    return format;
  };

  cells.SetText(0, 0, "Histograma dos Dados");
  formats.Set(0, 0, bold(SheetFormat(), true));
  const char* labels[] = {"Amostra", "Média", "Mediana",  "Moda",      "Máximo",
                          "Mínimo",  "DP",    "Skewness", "Exc. Kurt."};
  const double values[] = {20, 0.123456789012345, 0.5, 0, 1.75, -0.25, 0.0625, 0.3, -1.2};
  for (std::uint32_t i = 0; i < 9; ++i) {
    cells.SetText(2 + i, 0, labels[i]);
    formats.Set(2 + i, 0, bold(TableFormat("General", false, false), i == 0));
    formats.Set(2 + i, 1, TableFormat(i == 0 ? "General" : "0.000", false));
    if (i != 3) cells.SetNumber(2 + i, 1, values[i]); // the mode: no single bin
  }

  const char* headers[] = {"Faixas", "<= Inf.", "< Sup.*", "Freq.",    "Méd Fx",
                           "DP Fx",  "",        "Norm.",   "Freq. N.", "Acum."};
  const char* number_formats[] = {"General", "0.000%", "0.000%",  "General", "0.000%",
                                  "0.000%",  "",       "General", "0.000",   "0.000"};
  double accumulated = 0;
  for (std::uint32_t column = 0; column < 10; ++column) {
    if (column == 6) continue; // between the frequency and the density tables
    cells.SetText(12, column, headers[column]);
    formats.Set(12, column, TableFormat("General", true));
    for (std::uint32_t bin = 0; bin < kBins; ++bin)
      formats.Set(13 + bin, column, TableFormat(number_formats[column], true));
  }
  for (std::uint32_t bin = 0; bin < kBins; ++bin) {
    const std::uint32_t row = 13 + bin;
    const double lower = -0.25 + 0.2 * bin, count = (bin * 7) % 5 + 1, density = count / 4;
    accumulated += density;
    const double row_values[] = {bin + 1.0,        lower, lower + 0.2, count,   lower + 0.1,
                                 0.01 * (bin + 1), 0,     bin + 1.0,   density, accumulated};
    for (std::uint32_t column = 0; column < 10; ++column)
      if (column != 6) cells.SetNumber(row, column, row_values[column]);
  }
  cells.SetText(13 + kBins, 0, "*Para a última faixa <= Sup.");

  const double widths[] = {26.57, 9.14, 9.14, 5.71, 9.14, 7.29, 8.43, 5.57, 8.0, 6.29};
  for (std::uint32_t column = 0; column < 10; ++column)
    sheet.column_widths[column] = ColumnWidth{widths[column], column != 6};
  return sheet;
}

// Columns of `value_column` by `category_column` of the frequency table, and a line of
// `line_column` on the second value axis (column numbers counted from 1, as in R1C1).
Sheet HistogramChart(const std::string& name, int category_column, int value_column,
                     int line_column, bool normalised) {
  auto column = [](int c) {
    const std::string n = std::to_string(c);
    return "=Histograma!R14C" + n + ":R" + std::to_string(13 + kBins) + "C" + n;
  };
  auto header = [](int c) { return "=Histograma!R13C" + std::to_string(c); };
  const PaletteIndex text = normalised ? 1 : 45;
  Chart chart = ToolChart(normalised ? "Histograma Normalizado" : "Histograma", text,
                          normalised ? 40 : 49, normalised ? 1 : 2);

  ChartSeries bars;
  bars.name_ref = header(value_column);
  bars.x_ref = column(category_column);
  bars.y_ref = column(value_column);
  bars.columns = normalised ? BoxFormat{Line(5), Solid(49)} : BoxFormat{Line(45), Solid(40)};
  ChartSeries line;
  line.name_ref = header(line_column);
  line.y_ref = column(line_column);
  line.type = ChartType::Line;
  line.axis_group = 2;
  line.line = Line(normalised ? 46 : 41);
  line.marker =
      normalised ? MarkerFormat{Auto::Custom, 8, 1, 2} : MarkerFormat{Auto::Custom, 8, 41, 4};
  chart.series = {bars, line};

  chart.value_axis =
      Axis(normalised ? "0.00" : "0", text, normalised ? "Freq. Normalizadas" : "Ocorrências");
  chart.category_axis = Axis("General", text, "Faixas");
  chart.second_value_axis =
      Axis(normalised ? "0.00" : "0.0%", text,
           normalised ? std::nullopt : std::optional<std::string>("DP / Faixa"));
  chart.gap_width = 5;
  return ChartSheet(name, std::move(chart));
}

Sheet ComparisonData() {
  Sheet sheet(0, "Auxiliar");
  sheet.state = SheetState::VeryHidden;
  sheet.show_gridlines = false;
  sheet.formats.whole_sheet = SheetFormat();
  sheet.cells.SetText(0, 0,
                      "Dados para gráfico comparativo de interpolação Cubic Spline x Exponencial");
  const char* headers[] = {"Tempo (du)", "CSpline", "Exponencial", "Ptos. Curva"};
  for (std::uint32_t column = 0; column < 4; ++column) {
    sheet.cells.SetText(2, column, headers[column]);
    sheet.formats.Set(2, column, TableFormat("General", false));
    sheet.column_widths[column] = ColumnWidth{11.0, true};
  }
  for (std::uint32_t i = 0; i < kGridPoints; ++i) {
    const std::uint32_t row = 3 + i;
    sheet.cells.SetNumber(row, 0, 1 + 5.0 * i);
    sheet.cells.SetNumber(row, 1, 0.1 + 0.002 * i - 0.0001 * i * i);
    sheet.cells.SetNumber(row, 2, 0.1 + 0.0015 * i);
    if (i % 4 == 0) sheet.cells.SetNumber(row, 3, 0.1 + 0.0016 * i); // the curve's vertices
    for (std::uint32_t column = 0; column < 4; ++column)
      sheet.formats.Set(row, column, TableFormat(column == 0 ? "General" : "0.000%", true));
  }
  return sheet;
}

Sheet ComparisonChart() {
  Chart chart = ToolChart("Interpolação: CSpline x Exponencial", 45, 49, 2);
  const std::string last = std::to_string(3 + kGridPoints);
  for (int s = 0; s < 3; ++s) {
    ChartSeries series;
    const std::string c = std::to_string(s + 2);
    series.name_ref = "=Auxiliar!R3C" + c;
    series.x_ref = "=Auxiliar!R4C1:R" + last + "C1";
    series.y_ref = "=Auxiliar!R4C" + c + ":R" + last + "C" + c;
    series.type = ChartType::Scatter;
    series.line = s == 0 ? Line(6) : s == 1 ? Line(3) : kNoLine;
    series.marker = s < 2 ? MarkerFormat{Auto::None, 1, 0, 0} : MarkerFormat{Auto::Custom, 1, 1, 2};
    chart.series.push_back(series);
  }
  chart.value_axis = Axis("0.00%", 45, "Taxa");
  chart.category_axis = Axis("General", 45, "Dias Úteis");
  chart.category_axis.minimum = 0;
  chart.category_axis.maximum = 1 + 5.0 * (kGridPoints - 1);
  return ChartSheet("CS x Exp", std::move(chart));
}

Sheet Notes() {
  Sheet sheet(0, "Notas");
  sheet.state = SheetState::Hidden;
  sheet.cells.SetBoolean(0, 0, true);
  sheet.cells.SetError(0, 1, 42);
  sheet.cells.SetText(1, 0, "ação & <reação>");
  sheet.cells.SetError(1, 1, 7);
  return sheet;
}

} // namespace

Workbook HistogramAndComparisonBook() {
  Workbook book;
  book.name = "Book2";
  book.sheets = {Histogram(),
                 HistogramChart("Gráfico", 1, 4, 6, false),
                 HistogramChart("Gráfico Área 1", 8, 9, 10, true),
                 ComparisonChart(),
                 Notes(),
                 ComparisonData()};
  return book;
}

} // namespace kvtest
