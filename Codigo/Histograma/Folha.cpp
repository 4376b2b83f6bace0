#include "Folha.h"

#include <string>

#include "Dialogo.h"

namespace histograma {
namespace {
const BilingualText kSheet{"Histograma", "Histogram"};
const BilingualText kTitleReturns{"Histograma dos Retornos das Cotações",
                                  "Histogram of returns from asset prices"};
const BilingualText kTitleData{"Histograma dos Dados", "Data Histogram"};
const BilingualText kSample{"Amostra", "Sample"};
const BilingualText kPopulation{"População", "Population"};
const BilingualText kSummaryLabels[] = {{"Média", "Mean"},        {"Mediana", "Median"},
                                        {"Moda", "Mode"},         {"Máximo", "Maximum"},
                                        {"Mínimo", "Minimum"},    {"DP", "St. Dev."},
                                        {"Skewness", "Skewness"}, {"Exc. Kurt.", "Exc. Kurt."}};
const BilingualText kRanges{"Faixas", "Ranges"};
const BilingualText kRangeMean{"Méd Fx", "Range Mean"};
const BilingualText kRangeDeviation{"DP Fx", "Range St. Dev."};
const BilingualText kAccumulated{"Acum.", "Accum."};
const BilingualText kFootnote{"*Para a última faixa <= Sup.", "* <= Sup. to last range"};
const BilingualText kChart{"Gráfico", "Chart"};
const BilingualText kOccurrences{"Ocorrências", "Occurrencies"};
const BilingualText kDeviationPerRange{"DP / Faixa", "St. Dev. / Range"};
const BilingualText kNormalChart{"Gráfico Área 1", "Chart Area 1"};
const BilingualText kNormalTitle{"Histograma Normalizado", "Normalized Histogram"};
const BilingualText kNormalFrequencies{"Freq. Normalizadas", "Normalized Freq."};

// Rows and columns of the result sheet, counted from 0.
constexpr std::size_t kTableHeaderRow = 12; // row 13
constexpr std::size_t kFirstBinRow = 13;    // row 14
constexpr std::size_t kColumnA = 0, kColumnB = 1, kColumnC = 2, kColumnD = 3, kColumnE = 4,
                      kColumnF = 5, kColumnH = 7, kColumnI = 8, kColumnJ = 9, kColumnK = 10;

using namespace palette;

class Description {
public:
  Description(const Settings& settings, const Histograma& h)
      : s_(settings), h_(h), sheet_(kSheet.Text()),
        last_row_(kFirstBinRow + static_cast<std::size_t>(settings.bins) - 1),
        percent_(h.maximum < 1.0 || settings.returns) {}

  ResultBook Book() {
    ResultBook book;
    book.black_and_white = s_.black_and_white;
    Worksheet& sheet = book.AddWorksheet(sheet_);
    Summary(sheet);
    TableHeader(sheet);
    Bins(sheet);
    if (s_.indicators) Indicators(sheet);
    if (s_.normalised) Densities(sheet);
    Block& footnote = sheet.Add(Block(last_row_ + 1, kColumnA, 1, 1));
    footnote.Text(0, 0, kFootnote.Text());
    FrequencyChart(book.AddChart(kChart.Text()));
    if (s_.normalised) DensityChart(book.AddChart(kNormalChart.Text()));
    book.closing = Closing{sheet_, Rect{1, last_row_, kColumnA, kColumnK}};
    return book;
  }

private:
  const char* BinFormat() const { return percent_ ? "0.000%" : "0.000"; }
  std::string Column(unsigned column) const { // rows of the bins, column counted from 1
    return ColumnReference(sheet_, kFirstBinRow + 1u, static_cast<unsigned>(last_row_) + 1u,
                           column);
  }
  std::string Header(unsigned column) const {
    return CellReference(sheet_, kTableHeaderRow + 1u, column);
  }
  ChartColours Colours() const { return ChartColours(s_.black_and_white); }

  void Summary(Worksheet& sheet) {
    Block& block = sheet.Add(Block(0, kColumnA, 11, 2));
    block.Text(0, 0, (s_.returns ? kTitleReturns : kTitleData).Text());
    block.Text(2, 0, (s_.dispersion == Dispersion::Sample ? kSample : kPopulation).Text());
    block.Count(2, 1, h_.n);
    for (std::size_t i = 0; i < 8; ++i)
      block.Text(3 + i, 0, kSummaryLabels[i].Text());
    block.Number(3, 1, h_.mean);
    block.Number(4, 1, h_.median);
    block.Optional(5, 1, h_.mode);
    block.Number(6, 1, h_.maximum);
    block.Number(7, 1, h_.minimum);
    block.Number(8, 1, h_.std_dev);
    block.Optional(9, 1, h_.skewness);
    block.Optional(10, 1, h_.excess_kurtosis);

    block.Style(0, 0, kColumnA, kColumnA).Bold();
    block.Style(2, 2, kColumnA, kColumnB).Frame().Bold();
    block.Style(2, 2, kColumnB, kColumnB).Frame().Shade();
    block.Style(3, 10, kColumnA, kColumnA).Frame();
    block.Style(3, 10, kColumnB, kColumnB).Frame().Format("0.000").Shade();
    if (s_.returns) block.Style(3, 8, kColumnB, kColumnB).Format("0.000%");
  }

  void TableHeader(Worksheet& sheet) {
    const std::size_t last = s_.normalised ? kColumnJ : s_.indicators ? kColumnF : kColumnD;
    const std::size_t row = kTableHeaderRow;
    Block& block = sheet.Add(Block(row, kColumnA, 1, last + 1));
    block.Text(0, kColumnA, kRanges.Text());
    block.Text(0, kColumnB, "<= Inf.");
    block.Text(0, kColumnC, "< Sup.*");
    block.Text(0, kColumnD, "Freq.");
    block.Style(row, row, kColumnA, kColumnD).Frame().Centre();
    block.Style(row, row, kColumnB, kColumnC).Frame();
    if (s_.indicators) {
      block.Text(0, kColumnE, kRangeMean.Text());
      block.Text(0, kColumnF, kRangeDeviation.Text());
      block.Style(row, row, kColumnE, kColumnF).Frame().Centre();
    }
    if (s_.normalised) {
      block.Text(0, kColumnH, "Norm.");
      block.Text(0, kColumnI, "Freq. N.");
      block.Text(0, kColumnJ, kAccumulated.Text());
      block.Style(row, row, kColumnH, kColumnJ).Frame().Centre();
      block.Style(row, row, kColumnI, kColumnJ).Frame();
    }
  }

  Block& BinBlock(Worksheet& sheet, std::size_t first_col, std::size_t columns) const {
    return sheet.Add(Block(kFirstBinRow, first_col, static_cast<std::size_t>(s_.bins), columns));
  }

  void Bins(Worksheet& sheet) {
    Block& block = BinBlock(sheet, kColumnA, 4);
    for (std::size_t b = 0; b < h_.faixas.size(); ++b) {
      block.Count(b, 0, b + 1);
      block.Number(b, 1, h_.faixas[b].lower);
      block.Number(b, 2, h_.faixas[b].upper);
      block.Count(b, 3, h_.faixas[b].count);
    }
    block.Style(kFirstBinRow, last_row_, kColumnB, kColumnC).Frame().Format(BinFormat());
    block.Style(kFirstBinRow, last_row_, kColumnA, kColumnD).Frame().Centre().Shade();
  }

  void Indicators(Worksheet& sheet) {
    Block& block = BinBlock(sheet, kColumnE, 2);
    for (std::size_t b = 0; b < h_.faixas.size(); ++b) {
      block.Number(b, 0, h_.faixas[b].mean);
      block.Number(b, 1, h_.faixas[b].std_dev);
    }
    block.Style(kFirstBinRow, last_row_, kColumnE, kColumnF)
        .Frame()
        .Centre()
        .Format(BinFormat())
        .Shade();
  }

  // Without a bin width (all values equal) a density is a division by zero, and shows as such.
  void Densities(Worksheet& sheet) {
    constexpr std::uint16_t kDivisionByZero = 7;
    Block& block = BinBlock(sheet, kColumnH, 3);
    for (std::size_t b = 0; b < h_.faixas.size(); ++b) {
      block.Count(b, 0, b + 1);
      const Faixa& bin = h_.faixas[b];
      if (bin.density) {
        block.Number(b, 1, *bin.density);
        block.Number(b, 2, *bin.cumulative_density);
      } else {
        block.Error(b, 1, kDivisionByZero);
        block.Error(b, 2, kDivisionByZero);
      }
    }
    block.Style(kFirstBinRow, last_row_, kColumnI, kColumnJ).Frame().Format("0.000");
    block.Style(kFirstBinRow, last_row_, kColumnH, kColumnJ).Frame().Centre().Shade();
  }

  // The columns of series 1 on a clear plot area framed in grey, over a chart area of
  // `chart_fill` in colour mode, with narrow gaps between them.
  void StyleColumns(ChartSheet& chart, std::int16_t chart_fill, Pattern colour,
                    Pattern black_and_white) const {
    const bool bw = s_.black_and_white;
    chart.Add(chart::PlotArea{});
    if (!bw) chart.Add(chart::ChartArea{chart_fill});
    chart.Add(chart::SeriesLook{"S1", false, std::nullopt, std::nullopt,
                                bw ? std::move(black_and_white) : std::move(colour)});
    chart.Add(chart::Gridlines{bw});
    chart.Add(chart::ColumnGap{5});
  }

  // Series 2, the table column `column` (counted from 1), as a line with circle markers on the
  // second value axis.
  void LineOnSecondAxis(ChartSheet& chart, unsigned column, Pattern pattern) const {
    chart.Add(chart::Series{Header(column), "", Column(column), 2});
    chart.Add(chart::SeriesLook{"S2", true, SeriesKind::Line, std::nullopt, std::move(pattern)});
  }

  void FrequencyChart(ChartSheet& chart) const {
    const bool bw = s_.black_and_white;
    chart.Add(chart::Series{Header(4), Column(1), Column(4), 1});
    if (!s_.indicators) chart.Add(chart::NoLegend{});
    chart.Add(chart::Title{kSheet.Text(), Colours()});
    chart.Add(chart::Axis{"Axis 1", "0", Colours(), AxisTitle::Value, kOccurrences.Text()});
    chart.Add(chart::Axis{"Axis 2", "", Colours(), AxisTitle::Category, kRanges.Text()});
    StyleColumns(chart, kDarkTeal, {0, omitted, kLightOrange, omitted, omitted, 0, 1, kTan},
                 {0, omitted, kBlack, omitted, omitted, 0, 1, kGrey25});
    if (!s_.indicators) return;
    if (bw)
      LineOnSecondAxis(chart, 6, {0, 1, kBlack, 2, 0, 8, kBlack, kWhite});
    else
      LineOnSecondAxis(chart, 6, {0, 1, kLightBlue, 2, 0, 8, kLightBlue, kBrightGreen});
    chart.Add(chart::Legend{bw ? kBlack : kWhite});
    chart.Add(chart::Axis{"Axis 3", percent_ ? "0.0%" : "0.0", Colours(), AxisTitle::SecondValue,
                          kDeviationPerRange.Text()});
    chart.Add(chart::WholeChart{});
  }

  // Every text of this chart is black, in both modes.
  void DensityChart(ChartSheet& chart) const {
    const bool bw = s_.black_and_white;
    const ChartColours black(bw, kBlack);
    chart.Add(chart::Series{Header(9), Column(8), Column(9), 1});
    chart.Add(chart::Title{kNormalTitle.Text(), black});
    chart.Add(chart::Axis{"Axis 1", "0.00", black, AxisTitle::Value, kNormalFrequencies.Text()});
    chart.Add(chart::Axis{"Axis 2", "", black, AxisTitle::Category, kRanges.Text()});
    StyleColumns(chart, kTan, {0, omitted, kBlue, omitted, omitted, 0, 1, kDarkTeal},
                 {0, omitted, kBlack, omitted, omitted, 0, omitted, kWhite});
    LineOnSecondAxis(chart, 10, {0, 1, bw ? kBlack : kOrange, 2, 0, 8, kBlack, kWhite});
    chart.Add(chart::Legend{kBlack});
    chart.Add(chart::Axis{.item = "Axis 3", .format = "0.00", .colours = black});
  }

  const Settings& s_;
  const Histograma& h_;
  std::string sheet_;
  std::size_t last_row_;
  bool percent_;
};
} // namespace

ResultBook Sheet(const Settings& settings, const Histograma& h) {
  return Description(settings, h).Book();
}

} // namespace histograma
