// The tools' analyses and sheet descriptions without Excel: settings and data in, a result or
// the reason of a stop out, and the book a result (or a stop) is written as.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "Arch/Analise.h"
#include "Arch/Folha.h"
#include "Cmp/Analise.h"
#include "Cmp/Folha.h"
#include "Decay/Analise.h"
#include "Decay/Folha.h"
#include "Histograma/Analise.h"
#include "Rlm/Analise.h"
#include "Rlm/Folha.h"
#include "Tabelas.h"
#include "kvplatform/ansi.h"

namespace {
const Worksheet& FirstSheet(const ResultBook& book) {
  return std::get<Worksheet>(book.sheets.at(0));
}

std::string TextAt(const Block& block, std::size_t row, std::size_t column) {
  const auto* text = std::get_if<std::string>(&block.At(row, column));
  return text != nullptr ? *text : "";
}

// Prices from returns of 1 % a step with a sign that turns now and then: never zero.
std::vector<double> Prices(std::size_t n) {
  std::vector<double> prices{100.0};
  for (std::size_t i = 1; i < n; ++i)
    prices.push_back(prices.back() * (i % 3 == 0 ? 0.99 : 1.01));
  return prices;
}

} // namespace

// Simple returns of 10, 11, 12.1, 13.31 are three returns of 0.1; two prices leave one return,
// and no histogram.
TEST(HistogramAnalysis, ReturnsOfPricesAndWhyNoHistogram) {
  histograma::Settings settings;
  settings.bins = 2;
  settings.returns = true;
  const auto h = histograma::Analyse(settings, {10, 11, 12.1, 13.31});
  ASSERT_TRUE(h);
  EXPECT_EQ(h->n, 3u);
  EXPECT_NEAR(h->mean, 0.1, 1e-15);
  const auto one_return = histograma::Analyse(settings, {10, 11});
  ASSERT_FALSE(one_return);
  EXPECT_EQ(one_return.motivo(), FalhaHistograma::TooFewValues);
  EXPECT_FALSE(histograma::Reason(one_return.motivo()).empty());
  settings.bins = 0;
  settings.returns = false;
  EXPECT_EQ(histograma::Analyse(settings, {1, 2, 3}).motivo(), FalhaHistograma::BadBinCount);
}

TEST(ComparisonAnalysis, GridOrWhyNone) {
  const auto none = comparacao::Analyse({}, YieldCurve{{21, 0.10}});
  ASSERT_FALSE(none);
  EXPECT_EQ(none.motivo(), comparacao::Falha::NoGrid);
  // A curve ending before 250 workdays has a grid row for each day, the vertices among them.
  const auto grid = comparacao::Analyse({}, YieldCurve{{21, 0.10}, {63, 0.12}});
  ASSERT_TRUE(grid);
  ASSERT_EQ(grid->size(), 63u);
  EXPECT_EQ(grid->front().day, 1);
  EXPECT_EQ(grid->back().day, 63);
  EXPECT_EQ((*grid)[20].vertex_rate, 0.10);
  EXPECT_EQ(grid->back().vertex_rate, 0.12);
  EXPECT_FALSE((*grid)[1].vertex_rate);

  // The data sheet opens with screen updating off at once, and is hidden at the end.
  const ResultBook book = comparacao::Sheet({true}, *grid);
  EXPECT_EQ(book.echo_off, EchoOff::AfterNew);
  ASSERT_TRUE(book.closing);
  EXPECT_TRUE(book.closing->hide_first);
  EXPECT_EQ(book.closing->used.last_row, 3u + 63 - 1);
  EXPECT_EQ(std::get<ChartSheet>(book.sheets.at(1)).place, ChartPlace::InPlace);
}

TEST(DecayAnalysis, ReasonsAndTheSeriesSearched) {
  decay::Settings settings;
  const std::vector<double> prices = Prices(45);
  EXPECT_EQ(decay::Analyse(settings, prices).motivo(), decay::Falha::NoTolerance);
  settings.tolerance = 0.01;
  const auto values = decay::Analyse(settings, prices);
  ASSERT_TRUE(values);
  EXPECT_EQ(values->n, 45u) << "values as given";
  settings.treatment = Tratamento::LogReturns;
  const auto returns = decay::Analyse(settings, prices);
  ASSERT_TRUE(returns);
  EXPECT_EQ(returns->n, 44u);
  EXPECT_TRUE(returns->forecast) << "44 returns are enough to score the forecasts";

  // A zero price cannot give returns, of either kind.
  std::vector<double> zero = prices;
  zero[20] = 0;
  for (Tratamento treatment : {Tratamento::SimpleReturns, Tratamento::LogReturns}) {
    settings.treatment = treatment;
    const auto stopped = decay::Analyse(settings, zero);
    ASSERT_FALSE(stopped);
    EXPECT_EQ(stopped.motivo(), decay::Falha::NonPositivePrice);
  }
  settings.treatment = Tratamento::AsGiven;
  EXPECT_TRUE(decay::Analyse(settings, zero)) << "values as given may be zero";

  // A stop leaves the sheet opened and empty, without the closing steps.
  const ResultBook stopped = decay::StoppedSheet(settings);
  ASSERT_EQ(stopped.sheets.size(), 1u);
  EXPECT_TRUE(FirstSheet(stopped).blocks.empty());
  EXPECT_FALSE(stopped.closing);
}

namespace {
// y on three explanatory columns, the third the first again (so the design is singular) unless
// `distinct`.
Matriz RegressionData(bool distinct) {
  Matriz d;
  for (int i = 0; i < 15; ++i) {
    const double a = std::sin(i), b = std::cos(3.0 * i), c = distinct ? std::sin(2.0 * i) : a;
    d.push_back({1 + 2 * a - b + 0.5 * c + 0.01 * std::cos(7.0 * i), a, b, c});
  }
  return d;
}
} // namespace

TEST(RegressionAnalysis, SingularDesignStopsBeforeAnySheet) {
  const auto stopped = rlm::Analyse({}, RegressionData(false));
  ASSERT_FALSE(stopped);
  EXPECT_EQ(stopped.motivo().reason, rlm::Falha::Singular);
  EXPECT_FALSE(stopped.motivo().reached) << "no fit to write";
}

// With the combined correlations, each of the three explanatory variables gets its 2^(4-2) - 1
// = 3 best combinations, best first; the progress starts at 0 of k (2^(k-1) - 1) subsets.
TEST(RegressionAnalysis, CombinedCorrelationsAndTheirProgress) {
  rlm::Settings settings;
  settings.combined = true;
  std::vector<std::pair<double, double>> reports;
  const Matriz data = RegressionData(true);
  const auto result = rlm::Analyse(
      settings, data, [&](double done, double total) { reports.emplace_back(done, total); });
  ASSERT_TRUE(result);
  EXPECT_EQ(result->q.m, 4u);
  ASSERT_TRUE(result->best);
  ASSERT_EQ(result->best->size(), 3u);
  EXPECT_EQ(result->shown, 3u);
  for (const auto& best : *result->best) {
    ASSERT_EQ(best.size(), 3u);
    EXPECT_GE(best[0].R, best[1].R);
    EXPECT_GE(best[1].R, best[2].R);
  }
  ASSERT_FALSE(reports.empty());
  EXPECT_EQ(reports.front(), (std::pair<double, double>{0, 9}));

  // A run stopped at the combined correlations writes what came before them, without closing.
  CurrentLanguage = Language::English;
  const ResultBook partial = rlm::Sheet(settings, data, *result, {}, false);
  EXPECT_FALSE(partial.closing);
  EXPECT_EQ(TextAt(FirstSheet(partial).blocks.back(), 0, 0), "Correlations");
  const ResultBook whole = rlm::Sheet(settings, data, *result, {});
  EXPECT_EQ(TextAt(FirstSheet(whole).blocks.back(), 0, 0), "Cross");
  EXPECT_TRUE(whole.closing);
}

// Robust errors replace the SE and t cells and name themselves in the header; the diagnostics
// follow the last block after one empty row; the residuals sheet goes after "RLM" and the chart
// plots its residual column over its fitted column.
TEST(RegressionSheet, RobustErrorsDiagnosticsAndResiduals) {
  rlm::Settings settings;
  settings.combined = true;
  settings.errors = Covariancia::HC3;
  settings.diagnostics = true;
  settings.residuals = true;
  const Matriz data = RegressionData(true);
  const auto result = rlm::Analyse(settings, data);
  ASSERT_TRUE(result);
  const auto classical = rlm::Analyse({}, data);
  ASSERT_TRUE(classical);
  const auto hc3 = erros_padrao_regressao(data, classical->fit, classical->q, Covariancia::HC3);
  for (std::size_t j = 0; j < 4; ++j) {
    EXPECT_EQ(result->q.erro_padrao[j].valor, hc3[j].valor);
    EXPECT_DOUBLE_EQ(result->q.t[j].valor, result->q.b[j] / hc3[j].valor);
    EXPECT_NE(result->q.erro_padrao[j].valor, classical->q.erro_padrao[j].valor);
  }

  rlm::PValues p;
  p.reset = 0.25;
  for (Language language : {Language::English, Language::Portuguese}) {
    CurrentLanguage = language;
    const bool en = language == Language::English;
    const ResultBook book = rlm::Sheet(settings, data, *result, p);
    const Worksheet& sheet = FirstSheet(book);
    const Block& coefficients = sheet.blocks[2];
    EXPECT_EQ(TextAt(coefficients, 0, 2), en ? "SE (HC3)" : "EP (HC3)");
    const Block& combined = sheet.blocks[sheet.blocks.size() - 2];
    const Block& diagnostics = sheet.blocks.back();
    EXPECT_EQ(diagnostics.first_row(), combined.first_row() + combined.rows() + 1);
    EXPECT_EQ(kvp::AnsiToUtf8(TextAt(diagnostics, 0, 0)), en ? "Diagnostics" : "Diagnósticos");
    ASSERT_EQ(diagnostics.rows(), 9u); // header, four tests, condition number, three VIFs
    EXPECT_EQ(TextAt(diagnostics, 4, 0), "RESET (2,3)");
    EXPECT_EQ(std::get<double>(diagnostics.At(4, 3)), 0.25);
    EXPECT_EQ(TextAt(diagnostics, 8, 0), "VIF X3");
    ASSERT_TRUE(book.closing);
    EXPECT_EQ(book.closing->used.last_row, diagnostics.first_row() + diagnostics.rows());

    ASSERT_EQ(book.sheets.size(), 3u);
    const auto& residuals = std::get<Worksheet>(book.sheets[1]);
    EXPECT_EQ(kvp::AnsiToUtf8(residuals.name), en ? "Residuals" : "Resíduos");
    EXPECT_EQ(residuals.place, SheetPlace::AtEnd);
    ASSERT_EQ(residuals.blocks.back().rows(), 15u);
    EXPECT_EQ(residuals.blocks.back().first_row(), 1u);
    EXPECT_EQ(std::get<double>(residuals.blocks.back().At(14, 1)), data[14][0]);
    const auto& chart = std::get<ChartSheet>(book.sheets[2]);
    EXPECT_EQ(kvp::AnsiToUtf8(chart.name), en ? "Residual plot" : "Gráfico de resíduos");
    const auto& series = std::get<chart::Series>(chart.parts.front());
    EXPECT_EQ(series.x_ref, ColumnReference(residuals.name, 2, 16, 3));
    EXPECT_EQ(series.y_ref, ColumnReference(residuals.name, 2, 16, 4));
  }
}

TEST(ArchAnalysis, ReasonsOfAStop) {
  arch::Settings settings; // no model chosen
  const std::vector<double> prices = Prices(30);
  EXPECT_EQ(arch::Analyse(settings, prices).motivo(), arch::Falha::NoModel);
  settings.model = ModeloArch::Garch;
  settings.q = 0;
  EXPECT_EQ(arch::Analyse(settings, prices).motivo(), arch::Falha::NoOrder);
  settings.q = 1;
  std::vector<double> negative = prices;
  negative[5] = -1;
  EXPECT_EQ(arch::Analyse(settings, negative).motivo(), arch::Falha::NonPositiveRatio);
  EXPECT_EQ(arch::Analyse(settings, {100, 101}).motivo(), arch::Falha::TooShort);
  settings.model.reset();
  settings.best = true; // with no model to try
  EXPECT_EQ(arch::Analyse(settings, prices).motivo(), arch::Falha::NoCandidate);

  // Nothing is opened without a model or an order; after that, the result sheet is.
  EXPECT_TRUE(arch::StoppedSheet(settings, arch::Falha::NoModel).sheets.empty());
  CurrentLanguage = Language::English;
  const ResultBook opened = arch::StoppedSheet(settings, arch::Falha::NonPositiveRatio);
  ASSERT_EQ(opened.sheets.size(), 1u);
  EXPECT_EQ(FirstSheet(opened).name, "Best ARCH");
}

// A GARCH(1,1) fit with Student's t errors, written with every option: the distribution in
// heading row 3, nu after the betas without a test, the standard errors beside the tests (an
// empty optional an empty cell), the forecast after the criteria and the backtest after it, each
// after one empty row, in both languages; the closing's best fit reaching the last row written.
TEST(ArchSheet, DistributionStandardErrorsForecastAndBacktest) {
  arch::Settings settings;
  settings.model = ModeloArch::Garch;
  settings.distribution = DistribuicaoArch::Student;
  settings.standard_errors = true;
  settings.horizon = 3;
  settings.backtest = true;
  arch::Result r;
  r.fit.espec = espec_arch(ModeloArch::Garch, 1, 1, DistribuicaoArch::Student);
  r.fit.resultado = 1;
  r.fit.theta = {2e-6, 0.08, 0.9, 5.5};
  r.fit.LL = 3000;
  r.name = "GARCH (1,1)";
  r.x.assign(500, 0.01);
  r.lr = {9, 40, 900, 0};
  r.current_volatility = 0.012;
  r.criteria = {-12, -11.9, -11.8};
  r.standard_errors = {
      {1e-6, 2, 2e-6, 1}, {0.02, 4, std::nullopt, std::nullopt}, {}, {0.9, 6.1, 1.4, 3.9}};
  r.forecast = {{1e-4, 0.01, 0.01, 0.02, 0.03},
                {1.1e-4, 0.0105, 0.0145, 0.03, 0.045},
                {1.2e-4, 0.011, 0.018, 0.04, 0.055}};
  r.backtest =
      std::array<BacktestArch, 2>{BacktestArch{30, 25, 0.97, 0.4}, BacktestArch{9, 5, 2.5, 0}};
  arch::PValues p;
  p.lr = {0.003, 1e-10, 0, std::nullopt};
  p.backtest = {{{0.32, 0.53}, {std::nullopt, 1}}}; // Excel refused one

  struct Texts {
    Language language;
    const char* distribution;
    const char* se;
    const char* robust_z;
    const char* forecast;
    const char* cumulative;
    const char* backtest;
    const char* expected;
  };
  for (const Texts& t :
       {Texts{Language::Portuguese, "Distribuição: t de Student", "Erro-padrão", "z robusto",
              "Previsão", "Vol. acumulada", "Backtest (na amostra)", "Esperadas"},
        Texts{Language::English, "Distribution: Student's t", "Std. error", "Robust z", "Forecast",
              "Cumulative vol.", "Backtest (in sample)", "Expected"}}) {
    CurrentLanguage = t.language;
    // The add-in's texts are in code page 1252.
    auto text = [](const Block& block, std::size_t row, std::size_t column) {
      return kvp::AnsiToUtf8(TextAt(block, row, column));
    };
    const ResultBook book = arch::Sheet(settings, r, p);
    const auto& blocks = FirstSheet(book).blocks;
    ASSERT_EQ(blocks.size(), 5u) << "heading, table, criteria, forecast, backtest";
    EXPECT_EQ(TextAt(blocks[0], 2, 0), "GARCH (1,1)");
    EXPECT_EQ(text(blocks[0], 3, 0), t.distribution);
    EXPECT_EQ(std::get<Count>(blocks[0].At(9, 1)).value, 4u) << "nu counts as a parameter";

    const Block& table = blocks[1];
    ASSERT_EQ(table.columns(), 8u);
    ASSERT_EQ(table.rows(), 4u + 7u);
    EXPECT_EQ(text(table, 0, 4), t.se);
    EXPECT_EQ(TextAt(table, 0, 5), "z");
    EXPECT_EQ(text(table, 0, 7), t.robust_z);
    EXPECT_EQ(TextAt(table, 3, 0), "B1");
    EXPECT_EQ(TextAt(table, 4, 0), "Nu");
    EXPECT_EQ(std::get<double>(table.At(4, 1)), 5.5);
    for (std::size_t c : {2u, 3u})
      EXPECT_TRUE(std::holds_alternative<std::monostate>(table.At(4, c))) << "nu has no LR test";
    EXPECT_EQ(std::get<double>(table.At(1, 3)), 0.003);
    EXPECT_EQ(std::get<double>(table.At(2, 5)), 4.0);
    EXPECT_EQ(std::get<double>(table.At(4, 7)), 3.9);
    for (std::size_t c = 4; c < 8; ++c)
      EXPECT_TRUE(std::holds_alternative<std::monostate>(table.At(3, c))) << "beta's SE: " << c;
    EXPECT_TRUE(std::holds_alternative<std::monostate>(table.At(2, 6)));
    EXPECT_EQ(TextAt(table, 6, 0), t.language == Language::English ? "Cond. Vol." : "Vol. Atual");

    const Block& criteria = blocks[2];
    EXPECT_EQ(criteria.first_row(), 11u + 4 + 8);
    const Block& forecast = blocks[3];
    EXPECT_EQ(forecast.first_row(), criteria.first_row() + 3 + 1) << "after one empty row";
    ASSERT_EQ(forecast.rows(), 4u);
    ASSERT_EQ(forecast.columns(), 6u);
    EXPECT_EQ(text(forecast, 0, 0), t.forecast);
    EXPECT_EQ(text(forecast, 0, 3), t.cumulative);
    EXPECT_EQ(TextAt(forecast, 0, 5), "VaR 99%");
    for (std::size_t h = 1; h <= 3; ++h) {
      EXPECT_EQ(std::get<Count>(forecast.At(h, 0)).value, h);
      const arch::ForecastRow& f = r.forecast[h - 1];
      const double row[] = {f.variance, f.volatility, f.cumulative_volatility, f.var95, f.var99};
      for (std::size_t c = 0; c < 5; ++c)
        EXPECT_EQ(std::get<double>(forecast.At(h, c + 1)), row[c]) << h << " " << c;
    }
    const Block& backtest = blocks[4];
    EXPECT_EQ(backtest.first_row(), forecast.first_row() + 4 + 1) << "after one empty row";
    ASSERT_EQ(backtest.rows(), 3u);
    ASSERT_EQ(backtest.columns(), 7u);
    EXPECT_EQ(text(backtest, 0, 0), t.backtest);
    EXPECT_EQ(text(backtest, 0, 2), t.expected);
    EXPECT_EQ(TextAt(backtest, 0, 5), "Christoffersen LR");
    EXPECT_EQ(TextAt(backtest, 2, 0), "VaR 99%");
    EXPECT_EQ(std::get<Count>(backtest.At(1, 1)).value, 30u);
    EXPECT_EQ(std::get<double>(backtest.At(1, 3)), 0.97);
    EXPECT_EQ(std::get<double>(backtest.At(1, 6)), 0.53);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(backtest.At(2, 4))) << "Excel refused";
    EXPECT_EQ(std::get<double>(backtest.At(2, 5)), 0.0);
    EXPECT_EQ(std::get<double>(backtest.At(2, 6)), 1.0);

    // The variance in scientific notation, the volatilities and VaRs as percentages.
    auto format_of = [](const Block& block, std::size_t row, std::size_t col) {
      std::string format;
      for (const RangeStyle& style : block.styles())
        if (!style.number_format.empty() && style.at.first_row <= row && row <= style.at.last_row &&
            style.at.first_col <= col && col <= style.at.last_col)
          format = style.number_format;
      return format;
    };
    const std::size_t first_day = forecast.first_row() + 1;
    EXPECT_EQ(format_of(forecast, first_day, 1), "0.000E+00");
    EXPECT_EQ(format_of(forecast, first_day, 5), "0.000%");
    EXPECT_EQ(format_of(table, 11 + 1, 4), "0.00000");
    EXPECT_EQ(format_of(table, 11 + 1, 7), "0.000");
    ASSERT_TRUE(book.closing);
    EXPECT_EQ(book.closing->used.last_row, 3u + 34) << "the tables' rows as without the options";
  }

  // A longer forecast takes the best fit down to the backtest's last row. A Gaussian winner of
  // the search over all distributions is named too.
  r.forecast.resize(20);
  const ResultBook longer = arch::Sheet(settings, r, p);
  const auto& blocks = FirstSheet(longer).blocks;
  EXPECT_EQ(longer.closing->used.last_row, blocks.back().first_row() + 2);
  arch::Settings all = settings;
  all.model.reset();
  all.best = true;
  all.distribution = DistribuicaoArch::Normal;
  all.all_distributions = true;
  r.fit.espec = espec_arch(ModeloArch::Garch, 1, 1);
  r.fit.theta.pop_back();
  r.standard_errors.clear();
  EXPECT_EQ(TextAt(FirstSheet(arch::Sheet(all, r, p)).blocks[0], 3, 0), "Distribution: Normal");
}
