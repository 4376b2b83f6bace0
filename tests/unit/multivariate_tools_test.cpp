// The principal and independent component tools without Excel: their settings in, their
// analysis's result or reason out, with what a stop reached; and the workbook each describes for
// a result or a stop (where the blocks start, which chart, whether the closing steps run).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <variant>

#include "Ica/Analise.h"
#include "Ica/Folha.h"
#include "Pca/Analise.h"
#include "Pca/Folha.h"
#include "Tabelas.h"
#include "multivariate_support.h"

using kvtest::MaxDifference;
using kvtest::Near;
using kvtest::Product;
using kvtest::Transposed;

namespace {

// Eight observations of three variables, the first two strongly related: one eigenvalue above 1.
const Matriz kObservations{{2.1, 4.0, 7.5},  {2.9, 6.1, 3.2},  {3.8, 7.7, 5.9},  {5.2, 9.9, 2.8},
                           {6.1, 12.8, 6.6}, {7.4, 14.1, 4.1}, {8.0, 16.9, 8.3}, {9.3, 18.2, 1.9}};
// Two pairs of related variables, given as their correlation matrix: two eigenvalues above 1.
const Matriz kTwoPairs{
    {1, 0.8, 0.1, 0.1}, {0.8, 1, 0.1, 0.1}, {0.1, 0.1, 1, 0.7}, {0.1, 0.1, 0.7, 1}};
// Variables without any correlation: every eigenvalue is 1, none above it.
const Matriz kUncorrelated{{1, 1, 1}, {-1, 1, -1}, {1, -1, -1}, {-1, -1, 1}};

pca::Settings OfMatrix() {
  pca::Settings s;
  s.correlation_input = true;
  return s;
}

const Worksheet& FirstSheet(const ResultBook& book) {
  return std::get<Worksheet>(book.sheets.at(0));
}

std::vector<std::size_t> FirstRows(const Worksheet& sheet) {
  std::vector<std::size_t> rows;
  for (const Block& block : sheet.blocks)
    rows.push_back(block.first_row());
  return rows;
}

std::string TextAt(const Block& block, std::size_t row, std::size_t column) {
  const auto* text = std::get_if<std::string>(&block.At(row, column));
  return text ? *text : "<not a text>";
}

} // namespace

// A complete run: the data's summary, the eigen-decomposition of their correlations, the
// factors reaching 99 % of the variance, and a rotation that keeps what each variable shares
// with the factors. The column sums of squares of the loadings are the eigenvalues (unit
// eigenvectors), and an orthogonal rotation moves variance between factors but keeps each
// communality, all to rounding (1e-12).
TEST(PcaAnalysis, CompleteRunReachesEveryPart) {
  pca::Settings settings;
  settings.criterion = pca::Criterion::Proportion;
  settings.percentage = 99;
  const auto run = pca::Analyse(settings, kObservations);
  ASSERT_TRUE(run.ok()) << pca::Reason(run.motivo());
  const pca::Analysis& a = *run;
  EXPECT_EQ(a.variables, 3u);
  ASSERT_TRUE(a.data && a.eigen && a.factors && a.rotation);
  EXPECT_EQ(a.data->observations, 8u);
  const auto correlations = matriz_de_correlacoes(kObservations);
  ASSERT_TRUE(correlations.ok());
  EXPECT_EQ(a.data->correlations, correlations->matriz);
  EXPECT_EQ(a.eigen->values, decomposicao_espectral(correlations->matriz)->valores);

  const std::size_t k = a.factors->count;
  EXPECT_EQ(k, fatores_proporcao(a.eigen->table.acumuladas, 99));
  ASSERT_GE(k, 2u) << "a rotation of more than one factor";
  double sum = 0;
  for (std::size_t j = 0; j < k; ++j) {
    double squares = 0;
    for (const auto& row : a.factors->loadings)
      squares += row[j] * row[j];
    EXPECT_TRUE(Near(squares, a.eigen->values[j], 1e-12)) << "factor " << j + 1;
    sum += a.eigen->values[j];
  }
  EXPECT_TRUE(Near(a.factors->total_variance, sum, 1e-12));

  const pca::Rotation& r = *a.rotation;
  EXPECT_LE(MaxDifference(Product(Transposed(r.rotation), r.rotation), Identity(k)), 1e-12);
  EXPECT_EQ(r.rotated, Product(a.factors->loadings, r.rotation));
  EXPECT_GT(MaxDifference(r.rotated, a.factors->loadings), 1e-3) << "a rotation that moves";
  for (std::size_t i = 0; i < 3; ++i)
    EXPECT_TRUE(Near(r.communalities[i], a.factors->communalities[i], 1e-12)) << "variable " << i;
  EXPECT_TRUE(Near(r.total_variance, a.factors->total_variance, 1e-12));

  // Without the rotation, everything but it.
  pca::Settings unrotated = settings;
  unrotated.rotate = false;
  const auto plain = pca::Analyse(unrotated, kObservations);
  ASSERT_TRUE(plain.ok());
  EXPECT_FALSE(plain->rotation);
  EXPECT_EQ(plain->factors->loadings, a.factors->loadings);
}

// The criteria pick K from the same eigenvalues: Kaiser's two above 1, and the proportion's
// first factor whose cumulative proportion reaches the percentage.
TEST(PcaAnalysis, CriteriaChooseTheFactors) {
  const auto kaiser = pca::Analyse(OfMatrix(), kTwoPairs);
  ASSERT_TRUE(kaiser.ok());
  EXPECT_FALSE(kaiser->data) << "a range given as the matrix has no data summary";
  EXPECT_EQ(kaiser->factors->count, 2u);
  const std::vector<double>& cumulative = kaiser->eigen->table.acumuladas;
  for (double percentage : {10.0, 80.0, 99.0}) {
    pca::Settings s = OfMatrix();
    s.criterion = pca::Criterion::Proportion;
    s.percentage = percentage;
    const auto run = pca::Analyse(s, kTwoPairs);
    ASSERT_TRUE(run.ok());
    std::size_t expected = 1;
    while (cumulative[expected - 1] < 0.01 * percentage)
      ++expected;
    EXPECT_EQ(run->factors->count, expected) << percentage << " %";
  }
}

// Each stop with its cause and what it reached: nothing, the eigenvalues, or no more.
TEST(PcaAnalysis, StopsKeepWhatTheyReached) {
  const Matriz not_symmetric{{1, 0.5, 0.2}, {0.4, 1, 0.1}, {0.2, 0.1, 1}};
  const Matriz not_positive{{1, 0.9, -0.9}, {0.9, 1, 0.9}, {-0.9, 0.9, 1}};
  const Matriz constant{{1, 5, 2}, {2, 5, 1}, {3, 5, 4}, {4, 5, 3}};

  auto stop = [](const pca::Settings& s, const Matriz& data) {
    const auto run = pca::Analyse(s, data);
    EXPECT_FALSE(run.ok());
    return run ? pca::Failure{} : run.motivo();
  };

  pca::Failure f = stop(OfMatrix(), not_symmetric);
  EXPECT_EQ(f.stop, pca::Stop::NotACorrelationMatrix);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(f.cause));
  EXPECT_FALSE(f.reached.data || f.reached.eigen);
  EXPECT_EQ(f.reached.variables, 3u);

  f = stop(pca::Settings{}, constant);
  EXPECT_EQ(f.stop, pca::Stop::NoCorrelations);
  EXPECT_EQ(std::get<FalhaMomentos>(f.cause), FalhaMomentos::VariavelConstante);
  EXPECT_FALSE(f.reached.data);
  EXPECT_NE(pca::Reason(f).find(descricao(FalhaMomentos::VariavelConstante)), std::string::npos)
      << pca::Reason(f);

  f = stop(OfMatrix(), not_positive);
  EXPECT_EQ(f.stop, pca::Stop::NegativeEigenvalue);
  EXPECT_EQ(std::get<FalhaAutovalores>(f.cause), FalhaAutovalores::AutovalorNegativo);
  EXPECT_FALSE(f.reached.eigen) << "no eigenvalue table for a matrix that is not one";

  f = stop(pca::Settings{}, kUncorrelated);
  EXPECT_EQ(f.stop, pca::Stop::NoFactorByKaiser);
  ASSERT_TRUE(f.reached.data && f.reached.eigen);
  EXPECT_FALSE(f.reached.factors);
  for (double value : f.reached.eigen->values)
    EXPECT_TRUE(Near(value, 1.0, 1e-12));
}

// Where the blocks start, counted from 0: with data of p variables the eigenvalue table at
// E = p + 10, then F = E + 6, Q = F + p + 5, W = Q + p + 5 and X = W + K + p + 7; with the matrix
// given as the range, E = 4. The scree chart points at rows E + 1 and E + 2 counted from 1.
TEST(PcaSheet, BlocksFollowFromVariablesAndFactors) {
  CurrentLanguage = Language::English;
  const auto run = pca::Analyse(pca::Settings{}, kObservations);
  ASSERT_TRUE(run.ok());
  ResultBook book = pca::Sheet(pca::Settings{}, *run);
  const std::size_t p = 3, k = 1, e = p + 10, f = e + 6, q = f + p + 5, w = q + p + 5;
  EXPECT_EQ(FirstRows(FirstSheet(book)), (std::vector<std::size_t>{0, e, f, q, w, w + k + p + 7}));
  EXPECT_EQ(TextAt(FirstSheet(book).blocks[1], 1, 0), "Eigenvalues");
  ASSERT_EQ(book.sheets.size(), 2u);
  const auto& scree = std::get<ChartSheet>(book.sheets[1]);
  EXPECT_EQ(scree.name, "Scree Test");
  const auto& series = std::get<chart::Series>(scree.parts.at(0));
  EXPECT_EQ(series.x_ref, "=PCA!R14C2:R14C4");
  EXPECT_EQ(series.y_ref, "=PCA!R15C2:R15C4");
  ASSERT_TRUE(book.closing);
  EXPECT_EQ(book.closing->sheet, "PCA");
  EXPECT_EQ(book.closing->used, (Rect{2, w + k + p + 7 + p + 4, 0, 2 * p + 2}));

  pca::Settings matrix = OfMatrix();
  matrix.scree = false;
  const auto given = pca::Analyse(matrix, kTwoPairs);
  ASSERT_TRUE(given.ok());
  book = pca::Sheet(matrix, *given);
  EXPECT_EQ(FirstRows(FirstSheet(book)).at(1), 4u);
  EXPECT_EQ(TextAt(FirstSheet(book).blocks[0], 1, 0), "Original data: Correlation matrix");
  EXPECT_EQ(book.sheets.size(), 1u) << "no scree chart when it is not asked for";
}

// A stop draws what it reached; the closing steps run only after the stops that end the
// analysis with a finished sheet, and no stop draws the scree chart.
TEST(PcaSheet, StopsDrawWhatTheyReached) {
  CurrentLanguage = Language::English;
  auto book_of = [](const pca::Settings& s, const Matriz& data) {
    const auto run = pca::Analyse(s, data);
    EXPECT_FALSE(run.ok());
    return run ? ResultBook{} : pca::Sheet(s, run.motivo());
  };

  const ResultBook kaiser = book_of(pca::Settings{}, kUncorrelated);
  EXPECT_EQ(FirstRows(FirstSheet(kaiser)), (std::vector<std::size_t>{0, 13}));
  EXPECT_EQ(kaiser.sheets.size(), 1u);
  ASSERT_TRUE(kaiser.closing);
  EXPECT_EQ(kaiser.closing->used, (Rect{2, 17, 0, 8})) << "rows 3 to E + 5, columns A to 2p + 3";

  const ResultBook not_matrix = book_of(OfMatrix(), {{1, 0.5, 0.2}, {0.4, 1, 0.1}, {0.2, 0.1, 1}});
  ASSERT_EQ(FirstSheet(not_matrix).blocks.size(), 1u);
  EXPECT_EQ(TextAt(FirstSheet(not_matrix).blocks[0], 1, 0), "Original data: Correlation matrix");
  ASSERT_TRUE(not_matrix.closing);
  EXPECT_EQ(not_matrix.closing->used, (Rect{2, 3, 0, 8}));

  const ResultBook constant =
      book_of(pca::Settings{}, {{1, 5, 2}, {2, 5, 1}, {3, 5, 4}, {4, 5, 3}});
  EXPECT_TRUE(FirstSheet(constant).blocks.empty()) << "the sheet opened, nothing on it";
  EXPECT_EQ(FirstSheet(constant).look, SheetLook::Styled);
  EXPECT_FALSE(constant.closing);
}

// Black and white is the book's: the writer shades nothing then; the scree chart leaves its area
// unfilled, draws its gridlines light and its texts black.
TEST(PcaSheet, BlackAndWhiteChart) {
  for (bool bw : {false, true}) {
    pca::Settings s;
    s.black_and_white = bw;
    const auto run = pca::Analyse(s, kObservations);
    ASSERT_TRUE(run.ok());
    const ResultBook book = pca::Sheet(s, *run);
    EXPECT_EQ(book.black_and_white, bw);
    const auto& parts = std::get<ChartSheet>(book.sheets.at(1)).parts;
    bool filled = false, light_grid = false;
    std::int16_t title_colour = 0;
    for (const chart::Element& part : parts) {
      if (std::holds_alternative<chart::ChartArea>(part)) filled = true;
      if (const auto* g = std::get_if<chart::Gridlines>(&part)) light_grid = g->black_and_white;
      if (const auto* t = std::get_if<chart::Title>(&part)) title_colour = t->colours.text;
    }
    EXPECT_EQ(filled, !bw) << "black and white " << bw;
    EXPECT_EQ(light_grid, bw);
    EXPECT_EQ(title_colour, bw ? palette::kBlack : palette::kLightOrange);
  }
}

namespace {
// n observations of three signals far from Gaussian.
Matriz Signals(std::size_t n, bool identical_third) {
  Matriz x(n, std::vector<double>(3));
  for (std::size_t t = 0; t < n; ++t)
    for (std::size_t j = 0; j < 3; ++j)
      x[t][j] = std::sin(static_cast<double>(t * (j + 2)) / 7.0 + static_cast<double>(j)) +
                0.3 * static_cast<double>(j) * std::fmod(static_cast<double>(t) / 5.0, 1.0);
  if (identical_third)
    for (auto& row : x)
      row[2] = row[0];
  return x;
}

ica::Settings Limited(int limit) {
  ica::Settings s;
  s.limited = true;
  s.limit = limit;
  return s;
}
} // namespace

// The settings give the number of components; the analysis extracts that many, or stops at the
// singular covariance matrix two identical signals leave.
TEST(IcaAnalysis, SettingsGiveTheComponents) {
  EXPECT_EQ(ica::Components(ica::Settings{}, 5), 5u);
  EXPECT_EQ(ica::Components(ica::Settings{}, 120), 99u);
  EXPECT_EQ(ica::Components(Limited(2), 5), 2u);

  const auto two = ica::Analyse(Limited(2), Signals(60, false));
  ASSERT_TRUE(two.ok()) << ica::Reason(two.motivo());
  EXPECT_EQ(Columns(two->mixing), 2u);
  EXPECT_EQ(Rows(two->fontes), 2u);

  const auto singular = ica::Analyse(ica::Settings{}, Signals(60, true));
  ASSERT_FALSE(singular.ok());
  EXPECT_EQ(singular.motivo().etapa, EtapaIca::AutovalorNaoPositivo);
  EXPECT_FALSE(ica::Reason(singular.motivo()).empty());
  const auto none = ica::Analyse(Limited(0), Signals(60, false));
  ASSERT_FALSE(none.ok());
  EXPECT_EQ(none.motivo().etapa, EtapaIca::Dimensoes);
}

// Rows of the blocks, counted from 0: eigenvalues at p + 11, the matrices at p + 14, the
// sources at 2p + 16 after the matrices or p + 14 without them. The sheet's 256 columns hold
// p + k + 3 columns of matrices, its 65536 rows sources down to row 65535.
TEST(IcaSheet, LayoutAndWhatTheSheetHolds) {
  ica::Settings s;
  s.sources = true;
  ica::Layout at = ica::PlaceBlocks(s, 3, 16);
  EXPECT_EQ(at.eigen_row, 14u);
  EXPECT_EQ(at.mix_row, 17u);
  EXPECT_EQ(at.sources_row, 22u);
  EXPECT_EQ(at.LastRow(), 38u);
  s.mixing = false;
  at = ica::PlaceBlocks(s, 3, 16);
  EXPECT_EQ(at.sources_row, 17u);
  EXPECT_EQ(at.Columns(), 4u);

  EXPECT_FALSE(ica::ExcessOf(ica::PlaceBlocks(Limited(53), 200, 200))) << "256 columns";
  EXPECT_EQ(ica::ExcessOf(ica::PlaceBlocks(Limited(54), 200, 200)), ica::Excess::Columns);
  ica::Settings sources;
  sources.sources = true;
  EXPECT_FALSE(ica::ExcessOf(ica::PlaceBlocks(sources, 2, 65515))) << "down to row 65535";
  EXPECT_EQ(ica::ExcessOf(ica::PlaceBlocks(sources, 2, 65516)), ica::Excess::Rows);
  EXPECT_EQ(ica::PlaceBlocks(sources, 2, 65516).MostObservations(), 65515u);
}

// A complete run's blocks where the layout puts them, with the closing steps over the columns of
// the matrices; a failed run leaves the sheet opened without its look.
TEST(IcaSheet, BlocksAndTheBareSheet) {
  CurrentLanguage = Language::English;
  ica::Settings s = Limited(2);
  s.sources = true;
  const Matriz x = Signals(16, false);
  const auto run = ica::Analyse(s, x);
  ASSERT_TRUE(run.ok());
  const ica::Layout at = ica::PlaceBlocks(s, 3, 16);
  const ResultBook book = ica::Sheet(s, at, *run);
  const Worksheet& sheet = FirstSheet(book);
  EXPECT_EQ(sheet.name, "ICA");
  EXPECT_EQ(sheet.look, SheetLook::Styled);
  EXPECT_EQ(FirstRows(sheet), (std::vector<std::size_t>{0, 14, 17, 22}));
  EXPECT_EQ(TextAt(sheet.blocks[3], 0, 0), "Sources");
  EXPECT_EQ(std::get<Count>(sheet.blocks[3].At(16, 0)).value, 16u) << "the last observation";
  EXPECT_EQ(std::get<double>(sheet.blocks[3].At(16, 2)), run->fontes[1][15]);
  ASSERT_TRUE(book.closing);
  EXPECT_EQ(book.closing->used, (Rect{2, 38, 0, 7}));

  const ResultBook bare = ica::BareSheet();
  ASSERT_EQ(bare.sheets.size(), 1u);
  EXPECT_EQ(FirstSheet(bare).name, "ICA");
  EXPECT_EQ(FirstSheet(bare).look, SheetLook::Bare);
  EXPECT_TRUE(FirstSheet(bare).blocks.empty());
  EXPECT_FALSE(bare.closing);
}
