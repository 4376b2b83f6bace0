// The principal and independent component tools' analyses without Excel: their settings in, their
// result or reason out, with what a stop reached. (What the sheets hold is pinned by the tools'
// call transcripts and the recorded runs of tests/e2e.)
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <variant>

#include "Ica/Analise.h"
#include "Pca/Analise.h"
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
