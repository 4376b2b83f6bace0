#include "ArchSaida.h"

#include <cmath>
#include <cstdint>

#include "Arch.h"
#include "Dialogo.h"
#include "Saida.h"
#include "SerieHistorica.h"
#include "xll/xlcall.h"

namespace {
const BilingualText kTitle{"Volatilidade Condicional - Família ARCH",
                           "Conditional Volatility - ARCH Family"};
const BilingualText kBestTitle{
    "Volatilidade Condicional - Família ARCH - Melhor modelo (Critérios AIC, AICc e BIC)",
    "Conditional Volatility - ARCH Family - Best model (AIC,AICc e BIC criteria)"};
const BilingualText kSample{"Amostra", "Sample"};
const BilingualText kParameters{"Parâmetros", "Parameters"};
const BilingualText kParameter{"Parâmetro", "Parameter"};
const BilingualText kNoConvergence{"NÃO CONVERGENTE", "NO CONVERGENCE"};
const BilingualText kCurrentVolatility{"Vol. Atual", "Cond. Vol."};
const BilingualText kUnconditionalVolatility{"Vol. Inc.", "Unc. Vol."};
// The criteria's labels, and in best-model mode the one of the choice.
const char* const kCriteria[] = {"AIC", "AICc", "BIC"};
const char* const kChosenCriteria[] = {"AIC (min)", "AICc (min)", "BIC(min)"};

constexpr const char* kDataSheet = "Auxiliar";
const BilingualText kDataTitle{"Dados para gráfico de volatilidades da família ARCH",
                               "Source data for ARCH family volatility chart"};
const BilingualText kDataHeadings[] = {{"Ponto", "Point"},
                                       {"Retornos", "Returns"},
                                       {"Condicional", "Conditional"},
                                       {"Incondicional", "Inconditional"},
                                       {"Projetada", "Projected"}};
const BilingualText kChart{"Gráfico", "Chart"};
const BilingualText kChartTitle{"Volatilidade - Modelo", "Volatility - Model"};

constexpr const char* kParameterFormat = "0.00000";
constexpr const char* kTestFormat = "0.000";
constexpr const char* kVolatilityFormat = "0.000%";
constexpr const char* kLikelihoodFormat = "0.000";
constexpr const char* kCriteriaFormat = "0.00000";
constexpr const char* kCountFormat = "0";

// Rows of the result sheet, counted from 0.
constexpr std::uint16_t kSampleRow = 7;
constexpr std::uint16_t kParametersRow = 9;
constexpr std::uint16_t kTableRow = 11;

// Rows and columns of "Auxiliar".
constexpr std::uint16_t kHeadingRow = 2;
constexpr std::uint16_t kFirstDataRow = 3;

std::uint16_t U16(std::size_t v) {
  return SheetRow(v);
}

// A number, or #NUM! for a value no cell can hold.
void Put(CellBlock& block, std::uint16_t row, std::uint16_t column, double value) {
  if (std::isfinite(value))
    block.Number(row, column, value);
  else
    block.Error(row, column, xlerrNum);
}

// The parameter labels: A0, A1 .. Aq, L1 .. Lr, B1 .. Bp.
std::string ParameterLabel(const EspecArch& m, std::size_t index) {
  const auto i = static_cast<int>(index);
  if (i == 0) return "A0";
  if (i <= m.q) return "A" + std::to_string(i);
  if (i <= m.q + m.r) return "L" + std::to_string(i - m.q);
  return "B" + std::to_string(i - m.q - m.r);
}

// Series s of the chart (returns, conditional, unconditional, projected) as an XY line of its
// own colour and marks.
void StyleSeries(std::size_t s, bool bw) {
  static const char* const kItems[] = {"S1", "S2", "S3", "S4"};
  SelectChartItem(kItems[s]);
  SetSeriesKind(SeriesKind::Scatter);
  switch (s) {
  case 0: // returns
    if (bw)
      Patterns({0, 1, 15, 2, 2});
    else
      Patterns({0, 1, 42, 2, 2, omitted, 6, 6});
    break;
  case 1: // conditional
    if (bw)
      Patterns({0, 1, 1, 3, 2, 1});
    else
      Patterns({0, 1, 4, 2, 2, 1, 3, 3});
    break;
  case 2: // unconditional
    if (bw)
      Patterns({0, 1, 1, 2, 2, 1});
    else
      Patterns({0, 1, 3, 2, 2});
    break;
  default: // projected
    if (bw)
      Patterns({0, 1, 1, 2, 0, 4, 1});
    else
      Patterns({0, 1, 6, 2, 0, 6, 6, 2});
  }
}

// A volatility on the chart: a daily log change v as the simple return exp(v) - 1.
double AsSimpleReturn(double v) {
  return std::expm1(v);
}
} // namespace

std::string NomeModeloArch(const EspecArch& m) {
  static const char* const kNames[] = {"ARCH", "GARCH", "IGARCH", "EGARCH", "GJR"};
  std::string name = kNames[static_cast<int>(m.modelo)];
  name += " (" + std::to_string(m.q);
  if (m.modelo != ModeloArch::Arch) name += "," + std::to_string(m.p);
  return name + ")";
}

ArchSheet::ArchSheet(const Tf_arch& dialog) : dialog_(dialog) {}

bool ArchSheet::BlackAndWhite() const {
  return dialog_.o_cores->Checked();
}

void ArchSheet::Write(const ResultadoArch& r, std::optional<CriterioArch> melhor) {
  const bool bw = BlackAndWhite();
  const std::size_t n = r.theta.size();

  // Rows 0 .. 9: the heading.
  CellBlock heading(10, 2);
  heading.Text(0, 0, (melhor ? kBestTitle : kTitle).Text());
  heading.Text(2, 0, r.nome);
  heading.Text(4, 0, TreatmentText(dialog_.Treatment()).Text());
  heading.Text(5, 0, OrderText(dialog_.o_inversa->Checked()).Text());
  heading.Text(kSampleRow, 0, kSample.Text());
  heading.Count(kSampleRow, 1, r.T);
  heading.Text(kParametersRow, 0, kParameters.Text());
  heading.Count(kParametersRow, 1, n);
  WriteCellBlock(0, 0, heading);
  // The whole-sheet selection left A1, the title, the active cell.
  BoldActiveCell();
  for (std::uint16_t row : {kSampleRow, kParametersRow}) {
    FrameRange(SheetRect{row, row, 0, 1});
    SelectRange(SheetRect{row, row, 1, 1});
    FormatRangeNumbers(kCountFormat);
    ShadeRange(bw);
  }

  // The parameter table: the header, a row per parameter, the status row, the volatilities
  // and the log-likelihood, n + 7 rows in all.
  CellBlock table(U16(n + 7), 4);
  table.Text(0, 0, r.nome);
  table.Text(0, 1, kParameter.Text());
  table.Text(0, 2, "LR");
  table.Text(0, 3, "p(qui-2)");
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint16_t row = U16(1 + i);
    table.Text(row, 0, ParameterLabel(r.espec, i));
    Put(table, row, 1, r.theta[i]);
    if (r.lr[i] > 0) {
      Put(table, row, 2, r.lr[i]);
      if (r.p[i]) Put(table, row, 3, *r.p[i]);
    }
  }
  const std::uint16_t status = U16(n + 1), current = U16(n + 2), unconditional = U16(n + 4),
                      likelihood = U16(n + 6);
  if (!r.convergiu) table.Text(status, 0, kNoConvergence.Text());
  table.Text(current, 0, kCurrentVolatility.Text());
  Put(table, current, 1, r.vol_atual);
  table.Text(unconditional, 0, kUnconditionalVolatility.Text());
  if (r.vol_incondicional) Put(table, unconditional, 1, *r.vol_incondicional);
  table.Text(likelihood, 0, "LLF");
  Put(table, likelihood, 1, r.LL);
  WriteCellBlock(kTableRow, 0, table);

  auto at = [](std::uint16_t row) { return U16(kTableRow + row); };
  FrameRange(SheetRect{kTableRow, kTableRow, 0, 3});
  CenterRange();
  FrameRange(SheetRect{at(1), at(U16(n)), 0, 3});
  auto values = [&](std::uint16_t first, std::uint16_t last, std::uint8_t first_col,
                    std::uint8_t last_col, const char* format) {
    SelectRange(SheetRect{at(first), at(last), first_col, last_col});
    FormatRangeNumbers(format);
    ShadeRange(bw);
  };
  values(1, U16(n), 1, 1, kParameterFormat);
  values(1, U16(n), 2, 3, kTestFormat);
  FrameRange(SheetRect{at(status), at(status), 0, 3});
  FrameRange(SheetRect{at(current), at(likelihood), 0, 1});
  values(current, current, 1, 1, kVolatilityFormat);
  values(unconditional, unconditional, 1, 1, kVolatilityFormat);
  values(likelihood, likelihood, 1, 1, kLikelihoodFormat);

  // The criteria, after one empty row.
  const std::uint16_t criteria_row = at(U16(n + 8));
  CellBlock criteria(3, 2);
  const double* values_of[] = {&r.criterios.aic, r.criterios.aicc ? &*r.criterios.aicc : nullptr,
                               &r.criterios.bic};
  for (std::uint16_t i = 0; i < 3; ++i) {
    const bool chosen = melhor && static_cast<int>(*melhor) == i;
    criteria.Text(i, 0, chosen ? kChosenCriteria[i] : kCriteria[i]);
    if (values_of[i])
      Put(criteria, i, 1, *values_of[i]);
    else
      criteria.Error(i, 1, xlerrDiv0);
  }
  WriteCellBlock(criteria_row, 0, criteria);
  FrameRange(SheetRect{criteria_row, U16(criteria_row + 2u), 0, 1});
  SelectRange(SheetRect{criteria_row, U16(criteria_row + 2u), 1, 1});
  FormatRangeNumbers(kCriteriaFormat);
  ShadeRange(bw);
}

void ArchSheet::WriteChart(const ResultadoArch& r, const SerieGraficoArch& serie) {
  const bool bw = BlackAndWhite();
  const bool projected = r.vol_incondicional.has_value();
  const std::size_t columns = projected ? 5 : 3;
  const std::size_t observed = serie.pontos.observacoes, points = serie.pontos.pontos;
  const std::size_t T = serie.e.size();

  AddDataSheet(kDataSheet, bw);
  CellBlock heading(3, U16(columns));
  heading.Text(0, 0, kDataTitle.Text());
  for (std::uint16_t c = 0; c < columns; ++c)
    heading.Text(kHeadingRow, c, kDataHeadings[c].Text());
  WriteCellBlock(0, 0, heading);
  BoldActiveCell();

  // Observation rows: the last observations with their conditional volatilities; then the
  // projection rows, the first of which is h(T), the variance one step ahead.
  CellBlock body(U16(points), U16(columns));
  for (std::size_t row = 0; row < points; ++row) {
    const auto r16 = U16(row);
    body.Count(r16, 0, row + 1);
    const std::size_t t = T - observed + row; // the time of the row, T for the first projection
    if (row < observed) Put(body, r16, 1, AsSimpleReturn(serie.e[t]));
    if (row <= observed) Put(body, r16, 2, AsSimpleReturn(std::sqrt(serie.h[t])));
    if (!projected) continue;
    Put(body, r16, 3, *r.vol_incondicional);
    if (row >= observed)
      Put(body, r16, 4, AsSimpleReturn(std::sqrt(serie.projecao.at(row - observed))));
  }
  WriteCellBlock(kFirstDataRow, 0, body);
  const auto last_row = U16(kFirstDataRow + points - 1);
  const auto last_col = SheetColumn(columns - 1);
  FrameRange(SheetRect{kHeadingRow, kHeadingRow, 0, last_col});
  CenterRange();
  FrameRange(SheetRect{kFirstDataRow, last_row, 0, last_col});
  SelectRange(SheetRect{kFirstDataRow, last_row, 1, last_col});
  FormatRangeNumbers(kVolatilityFormat);
  ShadeRange(bw);
  HideSheet(kDataSheet);

  AddChartSheet(kChart.Text());
  const unsigned first = kFirstDataRow + 1, last = static_cast<unsigned>(points) + 3;
  for (unsigned c = 2; c <= columns; ++c)
    AddChartSeries(CellReference(kDataSheet, kHeadingRow + 1, c),
                   ColumnReference(kDataSheet, first, last, 1),
                   ColumnReference(kDataSheet, first, last, c), static_cast<std::int16_t>(c - 1));
  for (std::size_t s = 0; s + 1 < columns; ++s)
    StyleSeries(s, bw);

  const ChartColours colours(bw);
  TitleChart(std::string(kChartTitle.Text()) + " " + r.nome, colours);
  StyleAxis("Axis 1", "0.00%", colours);
  StyleAxis("Text Axis 1", "", colours);
  StyleAxis("Axis 2", "", colours);
  StyleAxis("Text Axis 2", "", colours);
  SelectChartItem("Axis 2");
  ScaleAxis(0, static_cast<double>(points));
  FramePlotArea();
  if (!bw) FillChartArea(palette::kDarkTeal);
  ColourGridlines(bw);
  StyleLegend(bw ? palette::kBlack : palette::kWhite);
}

void ArchSheet::Finish(const std::string& sheet, const ResultadoArch& r) {
  FinishResultWorkbook(sheet, SheetRect{kSampleRow, U16(r.espec.k() + 34), 0, 10});
}
