// The principal component tool's options in the numerical core: sampling adequacy and
// Bartlett's sphericity against psych, component scores against numpy and psych, and the
// parallel analysis against a numpy simulation (tests/reference/generate_pca_options.py).
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>

#include "Funcoes/AdequacaoPca.h"
#include "Funcoes/Aleatorio.h"
#include "Funcoes/AnaliseParalela.h"
#include "Funcoes/Autovalores.h"
#include "Funcoes/ComponentesPrincipais.h"
#include "Funcoes/Varimax.h"
#include "support/reference_data.h"

using nlohmann::json;

namespace {

const json& Cases(const char* key, std::size_t at_least) {
  return kvtest::ReferenceCases("pca_options.json", key, at_least);
}

// Column j of `computed` against some column of `expected` up to its sign, each used once.
void SameColumnsUpToSignAndOrder(const Matriz& computed, const Matriz& expected, double tol) {
  const std::size_t n = Rows(expected), k = Columns(expected);
  ASSERT_EQ(Rows(computed), n);
  ASSERT_EQ(Columns(computed), k);
  std::vector<bool> used(k, false);
  for (std::size_t j = 0; j < k; ++j) {
    double best = std::numeric_limits<double>::infinity();
    std::size_t match = k;
    for (std::size_t m = 0; m < k; ++m) {
      if (used[m]) continue;
      for (double sign : {1.0, -1.0}) {
        double error = 0;
        for (std::size_t i = 0; i < n; ++i)
          error = std::max(error, std::fabs(sign * computed[i][j] - expected[i][m]));
        if (error < best) {
          best = error;
          match = m;
        }
      }
    }
    EXPECT_LE(best, tol) << "column " << j;
    if (match < k) used[match] = true;
  }
}

TEST(PcaOptions, AdequacyAndScoresMatchPsychAndNumpy) {
  for (const json& c : Cases("adequacy", 2)) {
    SCOPED_TRACE(c["name"].get<std::string>());
    const Matriz X = c["data"].get<Matriz>();
    auto moments = matriz_de_correlacoes(X);
    ASSERT_TRUE(moments);
    const Matriz& R = moments->matriz;

    auto a = adequacao_amostra(R);
    ASSERT_TRUE(a);
    EXPECT_NEAR(a->kmo, c["kmo"].get<double>(), 1e-9);
    const auto msa = c["msa"].get<std::vector<double>>();
    ASSERT_EQ(a->msa.size(), msa.size());
    for (std::size_t j = 0; j < msa.size(); ++j)
      EXPECT_NEAR(a->msa[j], msa[j], 1e-9) << "MSA " << j;
    auto b = esfericidade_bartlett(R, Rows(X));
    ASSERT_TRUE(b);
    EXPECT_NEAR(b->qui2, c["chi2"].get<double>(), 1e-9 * c["chi2"].get<double>());
    EXPECT_EQ(b->gl, c["df"].get<double>());

    auto spectrum = decomposicao_espectral(R);
    ASSERT_TRUE(spectrum);
    const std::size_t k = c["k"];
    const Matriz F = escores_componentes(X, moments->medias, moments->desvios, spectrum->valores,
                                         spectrum->vetores, k);
    SameColumnsUpToSignAndOrder(F, c["scores"].get<Matriz>(), 1e-8);
    // Rotated with a tolerance far below psych's, so that both rotations have converged.
    auto varimax = rotacao_varimax(cargas(spectrum->valores, spectrum->vetores, k), 1e-14, 1000);
    ASSERT_TRUE(varimax);
    auto rotated = produto(F, varimax->T);
    ASSERT_TRUE(rotated);
    SameColumnsUpToSignAndOrder(*rotated, c["rotated"].get<Matriz>(), 1e-6);
  }
}

TEST(PcaOptions, AdequacyRefusesWhatItCannotCompute) {
  const Matriz singular{{1, 1}, {1, 1}};
  EXPECT_FALSE(adequacao_amostra(singular));
  EXPECT_FALSE(esfericidade_bartlett(singular, 50));
  // With p = 2, n - 1 - (2p + 5) / 6 = n - 2.5: positive from n = 3 on.
  const Matriz R{{1, 0.3}, {0.3, 1}};
  EXPECT_TRUE(esfericidade_bartlett(R, 3));
  EXPECT_FALSE(esfericidade_bartlett(R, 2));
}

TEST(PcaOptions, ParallelAnalysisMatchesSimulation) {
  const double replicas = static_cast<double>(kReplicasParalela);
  for (const json& c : Cases("parallel", 4)) {
    const std::size_t n = c["n"], p = c["p"];
    SCOPED_TRACE("n = " + std::to_string(n) + ", p = " + std::to_string(p));
    auto pa = analise_paralela(n, c["lambda"].get<std::vector<double>>());
    ASSERT_TRUE(pa);
    ASSERT_EQ(pa->media.size(), p);
    // The zero eigenvalues of a rank-deficient matrix (n - 1 < p) are rounding: 1e-12 slack.
    for (std::size_t j = 0; j < p; ++j) {
      const double se = c["sd"][j].get<double>() / std::sqrt(replicas);
      EXPECT_NEAR(pa->media[j], c["mean"][j].get<double>(), 4.5 * se + 1e-12) << "mean " << j;
      EXPECT_GE(pa->percentil95[j], c["low"][j].get<double>() - 1e-12) << "percentile " << j;
      EXPECT_LE(pa->percentil95[j], c["high"][j].get<double>() + 1e-12) << "percentile " << j;
    }
    EXPECT_EQ(pa->fatores, c["k"].get<std::size_t>());
  }
}

TEST(PcaOptions, LogarithmPercentileAndEigenvalues) {
  // The logarithm within two units in the last place of the library's over many magnitudes.
  for (double x = 1e-300; x < 1e300; x *= 1.37) {
    const double ours = logaritmo(x), theirs = std::log(x);
    EXPECT_LE(std::fabs(ours - theirs), 2 * std::fabs(std::nextafter(theirs, 0.0) - theirs) +
                                            std::numeric_limits<double>::denorm_min())
        << x;
  }
  EXPECT_TRUE(std::isnan(logaritmo(0)));
  // The type-7 percentile and the eigenvalues-only solver on small known cases.
  EXPECT_DOUBLE_EQ(percentil({4, 1, 3, 2}, 0.95), 3.85);
  // [[2, 1, 0], [1, 2, 1], [0, 1, 2]], row-major, of which the lower triangle is read.
  std::vector<double> full{2, 0, 0, 1, 2, 0, 0, 1, 2}, values;
  ASSERT_TRUE(autovalores_simetrica(full, 3, values));
  ASSERT_EQ(values.size(), 3u);
  EXPECT_NEAR(values[0], 2 + std::sqrt(2.0), 1e-14);
  EXPECT_NEAR(values[1], 2, 1e-14);
  EXPECT_NEAR(values[2], 2 - std::sqrt(2.0), 1e-14);
}

} // namespace
