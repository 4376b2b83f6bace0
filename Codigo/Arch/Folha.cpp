#include "Folha.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "Dialogo.h"
#include "SerieHistorica.h"

namespace arch {
namespace {
const BilingualText kTitle{"Volatilidade Condicional - Família ARCH",
                           "Conditional Volatility - ARCH Family"};
const BilingualText kBestTitle{
    "Volatilidade Condicional - Família ARCH - Melhor modelo (Critérios AIC, AICc e BIC)",
    "Conditional Volatility - ARCH Family - Best model (AIC,AICc e BIC criteria)"};
const BilingualText kBestSheet{"Melhor ARCH", "Best ARCH"};
const BilingualText kSample{"Amostra", "Sample"};
const BilingualText kParameters{"Parâmetros", "Parameters"};
const BilingualText kParameter{"Parâmetro", "Parameter"};
const BilingualText kNoConvergence{"NÃO CONVERGENTE", "NO CONVERGENCE"};
const BilingualText kCurrentVolatility{"Vol. Atual", "Cond. Vol."};
const BilingualText kUnconditionalVolatility{"Vol. Inc.", "Unc. Vol."};
const BilingualText kDistribution{"Distribuição: ", "Distribution: "};
const BilingualText kDistributions[] = {
    {"Normal", "Normal"}, {"t de Student", "Student's t"}, {"GED", "GED"}};
// The standard errors' columns, beside the LR test.
const BilingualText kErrorHeadings[] = {{"Erro-padrão", "Std. error"},
                                        {"z", "z"},
                                        {"EP robusto", "Robust SE"},
                                        {"z robusto", "Robust z"}};
const BilingualText kForecastHeadings[] = {
    {"Previsão", "Forecast"},       {"Variância", "Variance"},
    {"Volatilidade", "Volatility"}, {"Vol. acumulada", "Cumulative vol."},
    {"VaR 95%", "VaR 95%"},         {"VaR 99%", "VaR 99%"}};
const BilingualText kBacktestHeadings[] = {{"Backtest (na amostra)", "Backtest (in sample)"},
                                           {"Exceções", "Exceptions"},
                                           {"Esperadas", "Expected"},
                                           {"Kupiec LR", "Kupiec LR"},
                                           {"p(qui-2)", "p(qui-2)"},
                                           {"Christoffersen LR", "Christoffersen LR"},
                                           {"p(qui-2)", "p(qui-2)"}};
const char* const kBacktestLevels[] = {"VaR 95%", "VaR 99%"};
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
constexpr const char* kVarianceFormat = "0.000E+00";

// Rows of the result sheet, counted from 0.
constexpr std::size_t kSampleRow = 7;
constexpr std::size_t kParametersRow = 9;
constexpr std::size_t kTableRow = 11;

// Rows of "Auxiliar".
constexpr std::size_t kHeadingRow = 2;
constexpr std::size_t kFirstDataRow = 3;

constexpr std::uint16_t kDivisionByZero = 7, kNotANumber = 36;

// A number, or #NUM! for a value no cell can hold.
void Put(Block& block, std::size_t row, std::size_t column, double value) {
  if (std::isfinite(value))
    block.Number(row, column, value);
  else
    block.Error(row, column, kNotANumber);
}

// The parameter labels: A0, A1 .. Aq, L1 .. Lr, B1 .. Bp, and Nu for the t and GED.
std::string ParameterLabel(const EspecArch& m, std::size_t index) {
  const auto i = static_cast<int>(index);
  if (i == 0) return "A0";
  if (m.tem_nu() && i == m.variancia()) return "Nu";
  if (i <= m.q) return "A" + std::to_string(i);
  if (i <= m.q + m.r) return "L" + std::to_string(i - m.q);
  return "B" + std::to_string(i - m.q - m.r);
}

// Series s of the chart (returns, conditional, unconditional, projected) as an XY line of its
// own colour and marks.
Pattern SeriesPattern(std::size_t s, bool bw) {
  switch (s) {
  case 0: return bw ? Pattern{0, 1, 15, 2, 2} : Pattern{0, 1, 42, 2, 2, omitted, 6, 6}; // returns
  case 1: return bw ? Pattern{0, 1, 1, 3, 2, 1} : Pattern{0, 1, 4, 2, 2, 1, 3, 3}; // conditional
  case 2: return bw ? Pattern{0, 1, 1, 2, 2, 1} : Pattern{0, 1, 3, 2, 2};          // unconditional
  default: return bw ? Pattern{0, 1, 1, 2, 0, 4, 1} : Pattern{0, 1, 6, 2, 0, 6, 6, 2}; // projected
  }
}

// A volatility on the chart: a daily log change v as the simple return exp(v) - 1.
double AsSimpleReturn(double v) {
  return std::expm1(v);
}

std::string SheetName(const Settings& s) {
  if (s.model) return NomeModeloArch(espec_arch(*s.model, s.q, s.p));
  return kBestSheet.Text();
}

// Where the optional blocks end up, for the closing's best fit.
struct Extent {
  std::size_t last_row = 0;
};

Extent ResultSheet(Worksheet& sheet, const Settings& s, const Result& r, const PValues& p) {
  const std::size_t n = r.fit.theta.size();
  const bool best = !s.model;
  const EspecArch& m = r.fit.espec;
  const bool errors = !r.standard_errors.empty();
  const std::size_t table_end = errors ? 7 : 3; // the table's last column

  // Rows 0 .. 9: the heading; row 3 names the error distribution when it is not the Gaussian
  // alone.
  Block& heading = sheet.Add(Block(0, 0, 10, 2));
  heading.Text(0, 0, (best ? kBestTitle : kTitle).Text());
  heading.Text(2, 0, r.name);
  if (m.tem_nu() || s.distribution != DistribuicaoArch::Normal || s.all_distributions)
    heading.Text(3, 0,
                 std::string(kDistribution.Text()) +
                     kDistributions[static_cast<std::size_t>(m.dist)].Text());
  heading.Text(4, 0, TreatmentText(s.treatment).Text());
  heading.Text(5, 0, OrderText(s.reversed).Text());
  heading.Text(kSampleRow, 0, kSample.Text());
  heading.Count(kSampleRow, 1, r.x.size());
  heading.Text(kParametersRow, 0, kParameters.Text());
  heading.Count(kParametersRow, 1, n);
  heading.Style(0, 0, 0, 0).Bold();
  for (std::size_t row : {kSampleRow, kParametersRow}) {
    heading.Style(row, row, 0, 1).Frame();
    heading.Style(row, row, 1, 1).Format(kCountFormat).Shade();
  }

  // The parameter table: the header, a row per parameter (nu last, without a test), the status
  // row, the volatilities and the log-likelihood, n + 7 rows in all; the standard errors, on
  // request, in four more columns.
  Block& table = sheet.Add(Block(kTableRow, 0, n + 7, table_end + 1));
  table.Text(0, 0, r.name);
  table.Text(0, 1, kParameter.Text());
  table.Text(0, 2, "LR");
  table.Text(0, 3, "p(qui-2)");
  if (errors)
    for (std::size_t c = 0; c < 4; ++c)
      table.Text(0, 4 + c, kErrorHeadings[c].Text());
  const auto tested = static_cast<std::size_t>(m.variancia());
  for (std::size_t i = 0; i < n; ++i) {
    table.Text(1 + i, 0, ParameterLabel(m, i));
    Put(table, 1 + i, 1, r.fit.theta[i]);
    if (i < tested && i < r.lr.size() && r.lr[i] > 0) {
      Put(table, 1 + i, 2, r.lr[i]);
      if (i < p.lr.size() && p.lr[i]) Put(table, 1 + i, 3, *p.lr[i]);
    }
    if (i < r.standard_errors.size()) {
      const StandardError& e = r.standard_errors[i];
      const std::optional<double>* cells[] = {&e.se, &e.z, &e.robust_se, &e.robust_z};
      for (std::size_t c = 0; c < 4; ++c)
        if (*cells[c]) Put(table, 1 + i, 4 + c, **cells[c]);
    }
  }
  const std::size_t status = n + 1, current = n + 2, unconditional = n + 4, likelihood = n + 6;
  if (!r.converged()) table.Text(status, 0, kNoConvergence.Text());
  table.Text(current, 0, kCurrentVolatility.Text());
  Put(table, current, 1, r.current_volatility);
  table.Text(unconditional, 0, kUnconditionalVolatility.Text());
  if (r.unconditional_volatility) Put(table, unconditional, 1, *r.unconditional_volatility);
  table.Text(likelihood, 0, "LLF");
  Put(table, likelihood, 1, r.fit.LL);

  auto at = [](std::size_t row) { return kTableRow + row; };
  table.Style(kTableRow, kTableRow, 0, table_end).Frame().Centre();
  table.Style(at(1), at(n), 0, table_end).Frame();
  auto values = [&](std::size_t first, std::size_t last, std::size_t first_col,
                    std::size_t last_col, const char* format) {
    table.Style(at(first), at(last), first_col, last_col).Format(format).Shade();
  };
  values(1, n, 1, 1, kParameterFormat);
  values(1, n, 2, 3, kTestFormat);
  if (errors) {
    for (std::size_t c : {4u, 6u}) {
      values(1, n, c, c, kParameterFormat);
      values(1, n, c + 1, c + 1, kTestFormat);
    }
  }
  table.Style(at(status), at(status), 0, table_end).Frame();
  table.Style(at(current), at(likelihood), 0, 1).Frame();
  values(current, current, 1, 1, kVolatilityFormat);
  values(unconditional, unconditional, 1, 1, kVolatilityFormat);
  values(likelihood, likelihood, 1, 1, kLikelihoodFormat);

  // The criteria, after one empty row.
  const std::size_t criteria_row = at(n + 8);
  Block& criteria = sheet.Add(Block(criteria_row, 0, 3, 2));
  const std::optional<double> values_of[] = {r.criteria.aic, r.criteria.aicc, r.criteria.bic};
  for (std::size_t i = 0; i < 3; ++i) {
    const bool chosen = best && static_cast<std::size_t>(s.criterion) == i;
    criteria.Text(i, 0, chosen ? kChosenCriteria[i] : kCriteria[i]);
    if (values_of[i])
      Put(criteria, i, 1, *values_of[i]);
    else
      criteria.Error(i, 1, kDivisionByZero);
  }
  criteria.Style(criteria_row, criteria_row + 2, 0, 1).Frame();
  criteria.Style(criteria_row, criteria_row + 2, 1, 1).Format(kCriteriaFormat).Shade();
  Extent extent{criteria_row + 2};

  // The forecast, after one empty row: a row per day ahead.
  if (!r.forecast.empty()) {
    const std::size_t first = extent.last_row + 2, rows = r.forecast.size();
    Block& forecast = sheet.Add(Block(first, 0, rows + 1, 6));
    for (std::size_t c = 0; c < 6; ++c)
      forecast.Text(0, c, kForecastHeadings[c].Text());
    for (std::size_t h = 0; h < rows; ++h) {
      const ForecastRow& f = r.forecast[h];
      forecast.Count(1 + h, 0, h + 1);
      Put(forecast, 1 + h, 1, f.variance);
      Put(forecast, 1 + h, 2, f.volatility);
      Put(forecast, 1 + h, 3, f.cumulative_volatility);
      Put(forecast, 1 + h, 4, f.var95);
      Put(forecast, 1 + h, 5, f.var99);
    }
    const std::size_t last = first + rows;
    forecast.Style(first, first, 0, 5).Frame().Centre();
    forecast.Style(first + 1, last, 0, 5).Frame();
    forecast.Style(first + 1, last, 0, 0).Format(kCountFormat);
    forecast.Style(first + 1, last, 1, 1).Format(kVarianceFormat).Shade();
    forecast.Style(first + 1, last, 2, 5).Format(kVolatilityFormat).Shade();
    extent.last_row = last;
  }

  // The backtest of the VaR at 95% and 99%, after one more empty row.
  if (r.backtest) {
    const std::size_t first = extent.last_row + 2;
    Block& backtest = sheet.Add(Block(first, 0, 3, 7));
    for (std::size_t c = 0; c < 7; ++c)
      backtest.Text(0, c, kBacktestHeadings[c].Text());
    for (std::size_t level = 0; level < 2; ++level) {
      const BacktestArch& b = (*r.backtest)[level];
      const std::size_t row = 1 + level;
      backtest.Text(row, 0, kBacktestLevels[level]);
      backtest.Count(row, 1, b.excecoes);
      Put(backtest, row, 2, b.esperadas);
      Put(backtest, row, 3, b.kupiec);
      if (p.backtest[level][0]) Put(backtest, row, 4, *p.backtest[level][0]);
      Put(backtest, row, 5, b.christoffersen);
      if (p.backtest[level][1]) Put(backtest, row, 6, *p.backtest[level][1]);
    }
    backtest.Style(first, first, 0, 6).Frame().Centre();
    backtest.Style(first + 1, first + 2, 0, 6).Frame();
    backtest.Style(first + 1, first + 2, 1, 1).Format(kCountFormat).Shade();
    backtest.Style(first + 1, first + 2, 2, 6).Format(kTestFormat).Shade();
    extent.last_row = first + 2;
  }
  return extent;
}

// "Auxiliar": the last observations with their conditional volatilities, then the projection
// rows, the first of which is h(T), the variance one step ahead.
void ChartData(Worksheet& sheet, const Result& r, const ChartSeries& chart) {
  const bool projected = r.unconditional_volatility.has_value();
  const std::size_t columns = projected ? 5 : 3;
  const std::size_t observed = chart.points.observacoes, points = chart.points.pontos;
  const std::size_t T = r.x.size();

  Block& heading = sheet.Add(Block(0, 0, 3, columns));
  heading.Text(0, 0, kDataTitle.Text());
  for (std::size_t c = 0; c < columns; ++c)
    heading.Text(kHeadingRow, c, kDataHeadings[c].Text());
  heading.Style(0, 0, 0, 0).Bold();

  Block& body = sheet.Add(Block(kFirstDataRow, 0, points, columns));
  for (std::size_t row = 0; row < points; ++row) {
    body.Count(row, 0, row + 1);
    const std::size_t t = T - observed + row; // the time of the row, T for the first projection
    if (row < observed) Put(body, row, 1, AsSimpleReturn(r.x[t]));
    if (row <= observed) Put(body, row, 2, AsSimpleReturn(std::sqrt(r.h[t])));
    if (!projected) continue;
    Put(body, row, 3, *r.unconditional_volatility);
    if (row >= observed)
      Put(body, row, 4, AsSimpleReturn(std::sqrt(chart.projection.at(row - observed))));
  }
  const std::size_t last_row = kFirstDataRow + points - 1, last_col = columns - 1;
  body.Style(kHeadingRow, kHeadingRow, 0, last_col).Frame().Centre();
  body.Style(kFirstDataRow, last_row, 0, last_col).Frame();
  body.Style(kFirstDataRow, last_row, 1, last_col).Format(kVolatilityFormat).Shade();
}

void VolatilityChart(ChartSheet& chart, bool bw, const Result& r, const ChartSeries& data) {
  const std::size_t columns = r.unconditional_volatility ? 5 : 3;
  const unsigned first = kFirstDataRow + 1, last = static_cast<unsigned>(data.points.pontos) + 3;
  for (unsigned c = 2; c <= columns; ++c)
    chart.Add(chart::Series{
        CellReference(kDataSheet, kHeadingRow + 1, c), ColumnReference(kDataSheet, first, last, 1),
        ColumnReference(kDataSheet, first, last, c), static_cast<std::int16_t>(c - 1)});
  static const char* const kItems[] = {"S1", "S2", "S3", "S4"};
  for (std::size_t s = 0; s + 1 < columns; ++s)
    chart.Add(chart::SeriesLook{kItems[s], false, SeriesKind::Scatter, std::nullopt,
                                SeriesPattern(s, bw)});
  const ChartColours colours(bw);
  chart.Add(chart::Title{std::string(kChartTitle.Text()) + " " + r.name, colours});
  chart.Add(chart::Axis{.item = "Axis 1", .format = "0.00%", .colours = colours});
  chart.Add(chart::Axis{.item = "Text Axis 1", .format = "", .colours = colours});
  chart.Add(chart::Axis{.item = "Axis 2", .format = "", .colours = colours});
  chart.Add(chart::Axis{.item = "Text Axis 2", .format = "", .colours = colours});
  chart.Add(chart::Scale{"Axis 2", 0, static_cast<double>(data.points.pontos)});
  chart.Add(chart::PlotArea{});
  if (!bw) chart.Add(chart::ChartArea{palette::kDarkTeal});
  chart.Add(chart::Gridlines{bw});
  chart.Add(chart::Legend{bw ? palette::kBlack : palette::kWhite});
}
} // namespace

ResultBook StoppedSheet(const Settings& settings, Falha falha) {
  if (falha == Falha::NoModel || falha == Falha::NoOrder) return ResultBook{};
  return OpenedBook(SheetName(settings), settings.black_and_white);
}

ResultBook Sheet(const Settings& settings, const Result& result, const PValues& p) {
  const std::string name = SheetName(settings);
  ResultBook book = OpenedBook(name, settings.black_and_white);
  const Extent extent = ResultSheet(std::get<Worksheet>(book.sheets.front()), settings, result, p);
  if (result.chart) {
    Worksheet& data = book.AddWorksheet(kDataSheet);
    data.hidden = true;
    ChartData(data, result, *result.chart);
    VolatilityChart(book.AddChart(kChart.Text()), settings.black_and_white, result, *result.chart);
  }
  // Best fit over the rows of the tables (and of the forecast and backtest when they reach
  // further down).
  const std::size_t last_row = std::max<std::size_t>(result.fit.espec.k() + 34u, extent.last_row);
  book.closing = Closing{name, Rect{kSampleRow, last_row, 0, 10}};
  return book;
}

} // namespace arch
