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
  const auto result = rlm::Analyse(settings, RegressionData(true), [&](double done, double total) {
    reports.emplace_back(done, total);
  });
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
  const ResultBook partial = rlm::Sheet(settings, *result, {}, false);
  EXPECT_FALSE(partial.closing);
  EXPECT_EQ(TextAt(FirstSheet(partial).blocks.back(), 0, 0), "Correlations");
  const ResultBook whole = rlm::Sheet(settings, *result, {});
  EXPECT_EQ(TextAt(FirstSheet(whole).blocks.back(), 0, 0), "Cross");
  EXPECT_TRUE(whole.closing);
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
