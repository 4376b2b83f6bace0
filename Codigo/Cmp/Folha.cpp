#include "Folha.h"

#include "Dialogo.h"

namespace comparacao {
namespace {
// The data sheet and the chart have one name in both languages.
constexpr char kSheet[] = "Auxiliar";
constexpr char kChart[] = "CS x Exp";

const BilingualText kTitle{
    "Dados para gráfico comparativo de interpolação Cubic Spline x Exponencial",
    "Comparative chart source data for Cubic Spline and Exponential interpolation"};
const BilingualText kDaysHeading{"Tempo (du)", "Time (wkd)"};
constexpr char kSplineHeading[] = "CSpline";
const BilingualText kExponentialHeading{"Exponencial", "Exponential"};
const BilingualText kVertexHeading{"Ptos. Curva", "Curve Pts."};
const BilingualText kChartTitle{"Interpolação: CSpline x Exponencial",
                                "Interpolation: CSpline x Exponential"};
const BilingualText kRateAxis{"Taxa", "I. Rate"};
const BilingualText kDaysAxis{"Dias Úteis", "Workdays"};

// Rows and columns of the data sheet, counted from 0.
constexpr std::size_t kHeadingRow = 2;   // row 3
constexpr std::size_t kFirstGridRow = 3; // row 4
constexpr std::size_t kColumnA = 0, kColumnB = 1, kColumnC = 2, kColumnD = 3, kColumnK = 10;

using namespace palette;
// PATTERNS codes: a border, line, area or marker is our own (0) or none (2); line style 1
// solid and 3 dotted, weight 2 thin; marker style 1 square.
constexpr int kCustom = 0, kNoneCode = 2, kSolidLine = 1, kDottedLine = 3, kThin = 2, kSquare = 1;

void DataSheet(Worksheet& sheet, const std::vector<ComparisonRow>& grid, std::size_t last_row) {
  Block& heading = sheet.Add(Block(0, kColumnA, 3, 4));
  heading.Text(0, kColumnA, kTitle.Text());
  heading.Text(kHeadingRow, kColumnA, kDaysHeading.Text());
  heading.Text(kHeadingRow, kColumnB, kSplineHeading);
  heading.Text(kHeadingRow, kColumnC, kExponentialHeading.Text());
  heading.Text(kHeadingRow, kColumnD, kVertexHeading.Text());
  heading.Style(0, 0, kColumnA, kColumnA).Bold();
  heading.Style(kHeadingRow, kHeadingRow, kColumnA, kColumnD).Frame();
  heading.Style(kHeadingRow, kHeadingRow, kColumnA, kColumnA).Frame();

  Block& body = sheet.Add(Block(kFirstGridRow, kColumnA, grid.size(), 4));
  for (std::size_t r = 0; r < grid.size(); ++r) {
    const ComparisonRow& row = grid[r];
    // An integer cell while the day fits in 16 bits; a longer curve's days are numbers.
    body.Count(r, kColumnA, static_cast<std::size_t>(row.day));
    body.Number(r, kColumnB, row.spline);
    body.Number(r, kColumnC, row.exponential);
    body.Optional(r, kColumnD, row.vertex_rate);
  }
  body.Style(kFirstGridRow, last_row, kColumnA, kColumnA).Frame();
  body.Style(kFirstGridRow, last_row, kColumnB, kColumnD).Frame().Format("0.000%");
  body.Style(kFirstGridRow, last_row, kColumnA, kColumnD).Centre().Shade();
}

void Chart(ChartSheet& chart, bool bw, std::size_t last_row) {
  // A series of one grid column against the days, each plotted first as an XY series.
  const auto first = static_cast<unsigned>(kFirstGridRow + 1),
             last = static_cast<unsigned>(last_row + 1);
  auto series = [&](const char* item, std::size_t column, Pattern pattern) {
    const auto c = static_cast<unsigned>(column + 1);
    chart.Add(chart::Series{CellReference(kSheet, kHeadingRow + 1, c),
                            ColumnReference(kSheet, first, last, kColumnA + 1u),
                            ColumnReference(kSheet, first, last, c), 1});
    chart.Add(
        chart::SeriesLook{item, false, SeriesKind::Scatter, std::nullopt, std::move(pattern)});
  };
  // The spline and the exponential as lines without markers, the vertices as markers alone.
  if (bw)
    series("S1", kColumnB,
           {kCustom, kDottedLine, kBlack, kThin, kNoneCode, omitted, kBlack, kWhite});
  else
    series("S1", kColumnB,
           {kCustom, kSolidLine, kYellow, kThin, kNoneCode, omitted, kYellow, kYellow});
  if (bw)
    series("S2", kColumnC,
           {kCustom, kSolidLine, kBlack, kThin, kNoneCode, omitted, kBlack, kWhite});
  else
    series("S2", kColumnC, {kCustom, kSolidLine, kRed, kThin, kNoneCode, omitted, kRed, kRed});
  series("S3", kColumnD, {kNoneCode, omitted, omitted, omitted, kCustom, kSquare, kBlack, kWhite});

  const ChartColours colours(bw);
  chart.Add(chart::Title{kChartTitle.Text(), colours});
  chart.Add(chart::Axis{"Axis 1", "0.00%", colours, AxisTitle::Value, kRateAxis.Text()});
  chart.Add(chart::Axis{"Axis 2", "", colours, AxisTitle::Category, kDaysAxis.Text()});
  chart.Add(chart::PlotArea{});
  if (!bw) chart.Add(chart::ChartArea{kDarkTeal});
  chart.Add(chart::Gridlines{bw});
  chart.Add(chart::Legend{bw ? kBlack : kWhite});
  chart.Add(chart::WholeChart{});
}
} // namespace

ResultBook Sheet(const Settings& settings, const std::vector<ComparisonRow>& grid) {
  const std::size_t last_row = kFirstGridRow + grid.size() - 1;
  ResultBook book;
  book.black_and_white = settings.black_and_white;
  book.echo_off = EchoOff::AfterNew;
  DataSheet(book.AddWorksheet(kSheet), grid, last_row);
  Chart(book.AddChart(kChart, ChartPlace::InPlace), settings.black_and_white, last_row);
  book.closing = Closing{kSheet, Rect{kHeadingRow, last_row, kColumnA, kColumnK}, true};
  return book;
}

} // namespace comparacao
