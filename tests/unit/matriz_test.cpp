// The matrix library: column statistics against exact arithmetic, and the product, transpose and
// inverse with their reasons and the result codes of their specified forms.
#include <cstring>
#include <random>
#include <tuple>
#include <utility>

#include "Funcoes/ProdutosEscalares.h"
#include "unit/multivariate_support.h"

using kvtest::MaxDifference;
using kvtest::Near;

TEST(MatrixStatistics, ThreeObservationsWorkedByHand) {
  const Matriz x = {{1, 2}, {2, 4}, {3, 7}};
  Matriz r, s;
  std::vector<double> means, sd;
  ASSERT_TRUE(correlacoes(x, r, means, sd));
  EXPECT_TRUE(Near(means[0], 2.0, 1e-15));
  EXPECT_TRUE(Near(means[1], 13.0 / 3, 1e-15));
  EXPECT_TRUE(Near(sd[0], 1.0, 1e-15));
  EXPECT_TRUE(Near(sd[1], std::sqrt(19.0 / 3), 1e-15));
  EXPECT_EQ(r[0][0], 1.0);
  EXPECT_EQ(r[1][1], 1.0);
  EXPECT_TRUE(Near(r[0][1], 2.5 / std::sqrt(19.0 / 3), 1e-15));
  EXPECT_EQ(r[0][1], r[1][0]);
  const auto moments = matriz_de_correlacoes(x);
  ASSERT_TRUE(moments.ok());
  EXPECT_EQ(moments->matriz, r);
  EXPECT_EQ(moments->medias, means);
  EXPECT_EQ(moments->desvios, sd);

  ASSERT_TRUE(covariancias(x, s, means, sd));
  EXPECT_TRUE(Near(s[0][0], 1.0, 1e-15));
  EXPECT_TRUE(Near(s[1][1], 19.0 / 3, 1e-14));
  EXPECT_TRUE(Near(s[0][1], 2.5, 1e-15));
  EXPECT_EQ(s[0][1], s[1][0]);

  // Perfectly related columns correlate at exactly +-1, never beyond.
  ASSERT_TRUE(correlacoes(Matriz{{1, 3, -1}, {2, 5, -4}, {4, 9, -10}, {7, 15, -19}}, r, means, sd));
  EXPECT_EQ(r[0][1], 1.0);
  EXPECT_EQ(r[0][2], -1.0);
}

// Against 50-digit arithmetic on the same doubles. The set of price levels near 10^7 is the one
// a one-pass sum of squares gets wrong from the 7th digit on.
TEST(MatrixStatistics, AgainstExactArithmetic) {
  for (const auto& c : kvtest::MultivariateCases("statistics")) {
    const std::string name = c["name"];
    const Matriz x = kvtest::ToMatriz(c["data"]);
    const auto want_means = c["means"].get<std::vector<double>>();
    const auto want_sd = c["sd"].get<std::vector<double>>();
    const Matriz want_r = kvtest::ToMatriz(c["correlation"]);
    const Matriz want_s = kvtest::ToMatriz(c["covariance"]);
    Matriz r, s;
    std::vector<double> means, sd, means2, sd2;
    ASSERT_TRUE(correlacoes(x, r, means, sd)) << name;
    ASSERT_TRUE(covariancias(x, s, means2, sd2)) << name;
    EXPECT_EQ(means, means2) << name;
    EXPECT_EQ(sd, sd2) << name;
    for (std::size_t j = 0; j < want_means.size(); ++j) {
      EXPECT_TRUE(Near(means[j], want_means[j], 4e-16 * (std::fabs(want_means[j]) + want_sd[j])))
          << name;
      EXPECT_TRUE(Near(sd[j], want_sd[j], 1e-13 * want_sd[j])) << name << " sd " << j;
      for (std::size_t q = 0; q < want_means.size(); ++q) {
        EXPECT_TRUE(Near(r[j][q], want_r[j][q], 1e-13)) << name << " R " << j << "," << q;
        EXPECT_TRUE(Near(s[j][q], want_s[j][q], 1e-13 * want_s[j][j])) << name << " S " << j << q;
      }
    }
  }
}

// Each zero divisor has its reason; the specified forms answer false with empty outputs.
TEST(MatrixStatistics, ZeroDivisorsAreReportedNotComputed) {
  Matriz r = {{9}}, s;
  std::vector<double> means = {9}, sd = {9};
  const Matriz constant_column = {{1, 5}, {2, 5}, {4, 5}};
  EXPECT_FALSE(correlacoes(constant_column, r, means, sd));
  EXPECT_TRUE(r.empty() && means.empty() && sd.empty());
  const auto constant = matriz_de_correlacoes(constant_column);
  ASSERT_FALSE(constant.ok());
  EXPECT_EQ(constant.motivo(), FalhaMomentos::VariavelConstante);
  ASSERT_TRUE(covariancias(constant_column, s, means, sd)); // a zero variance divides nothing
  EXPECT_EQ(s[1][1], 0.0);
  EXPECT_EQ(sd[1], 0.0);

  const Matriz one_observation = {{1, 2, 3}};
  EXPECT_FALSE(correlacoes(one_observation, r, means, sd));
  EXPECT_FALSE(covariancias(one_observation, s, means, sd));
  EXPECT_TRUE(s.empty() && means.empty() && sd.empty());
  const Matriz no_variable = {{}, {}, {}};
  for (const auto& [x, reason] : {std::pair{one_observation, FalhaMomentos::PoucasObservacoes},
                                  std::pair{Matriz{}, FalhaMomentos::PoucasObservacoes},
                                  std::pair{no_variable, FalhaMomentos::SemVariaveis}}) {
    const auto correlations = matriz_de_correlacoes(x);
    const auto covariances = matriz_de_covariancias(x);
    ASSERT_FALSE(correlations.ok() || covariances.ok()) << descricao(reason);
    EXPECT_EQ(correlations.motivo(), reason);
    EXPECT_EQ(covariances.motivo(), reason);
  }
}

TEST(MatrixProduct, ShapesAndAliasing) {
  Matriz m = {{1}};
  const Matriz a = {{1, 2, 3}, {4, 5, 6}};
  EXPECT_FALSE(multiplica(a, a, m)) << "2x3 by 2x3";
  EXPECT_TRUE(m.empty());
  const auto mismatched = produto(a, a);
  ASSERT_FALSE(mismatched.ok());
  EXPECT_EQ(mismatched.motivo(), FalhaProduto::DimensoesIncompativeis);

  const Matriz b = {{1, 0}, {-1, 2}, {0.5, 1}};
  ASSERT_TRUE(multiplica(a, b, m));
  EXPECT_EQ(m, (Matriz{{0.5, 7}, {2, 16}}));
  const auto product = produto(a, b);
  ASSERT_TRUE(product.ok());
  EXPECT_EQ(*product, m);
  EXPECT_EQ(transposta(a), (Matriz{{1, 4}, {2, 5}, {3, 6}}));
  EXPECT_TRUE(transposta(Matriz{}).empty());

  // The output may be one of the inputs.
  Matriz c = a;
  ASSERT_TRUE(multiplica(c, b, c));
  EXPECT_EQ(c, m);
  Matriz t = a;
  ASSERT_TRUE(transpoe(t, t));
  EXPECT_EQ(t, (Matriz{{1, 4}, {2, 5}, {3, 6}}));
  Matriz copy;
  ASSERT_TRUE(copia(a, copy));
  EXPECT_EQ(copy, a);
}

// Each reason, and the integer code the specified form turns it into.
TEST(MatrixInverse, ResultCodes) {
  const std::tuple<const char*, Matriz, FalhaInversa, int> refused[] = {
      {"2x3", Matriz{{1, 2, 3}, {4, 5, 6}}, FalhaInversa::NaoQuadrada, -1},
      {"a row of zeros", Matriz{{1, 2, 3}, {0, 0, 0}, {4, 5, 7}}, FalhaInversa::Singular, 0},
      // Singular without a row of zeros: elimination meets a zero pivot and stops there.
      {"a zero pivot", Matriz{{1, 2}, {2, 4}}, FalhaInversa::Singular, 0},
      // Invertible, but it would take a row exchange: counted as singular, never divided by 0.
      {"a row exchange", Matriz{{0, 1}, {1, 0}}, FalhaInversa::Singular, 0}};
  for (const auto& [what, a, reason, code] : refused) {
    const auto inverse = inversa(a);
    ASSERT_FALSE(inverse.ok()) << what;
    EXPECT_EQ(inverse.motivo(), reason) << what;
    Matriz b = {{7}};
    EXPECT_EQ(inverte(a, b), code) << what;
    EXPECT_TRUE(b.empty()) << what;
  }
  Matriz b;
  ASSERT_EQ(inverte(Identity(4), b), 1);
  EXPECT_EQ(b, Identity(4));
  EXPECT_EQ(*inversa(Identity(4)), Identity(4));
}

TEST(MatrixInverse, TimesTheMatrixIsTheIdentity) {
  // Symmetric positive definite, as X^T X of a regression is.
  Matriz a(6, std::vector<double>(6));
  for (std::size_t i = 0; i < 6; ++i)
    for (std::size_t j = 0; j < 6; ++j)
      a[i][j] = 1.0 / (1.0 + static_cast<double>(i + j)) + (i == j ? 1.0 : 0.0);
  Matriz b;
  ASSERT_EQ(inverte(a, b), 1);
  EXPECT_LE(MaxDifference(kvtest::Product(a, b), Identity(6)), 1e-14);
  EXPECT_LE(MaxDifference(kvtest::Product(b, a), Identity(6)), 1e-14);
}

#if defined(__x86_64__)
// Four columns at once give each column's sum to the last bit, for every length's parity and
// for signed zeros, against the loop the compiler vectorises.
TEST(DotProducts, FourAtOnceEqualOneAtATimeToTheBit) {
#if defined(__OPTIMIZE__) && !defined(__SANITIZE_ADDRESS__)
  EXPECT_TRUE(DotProducts4Exact()) << "the release build sums four columns at a time";
#endif
  if (!DotProducts4Exact()) GTEST_SKIP() << "this build adds the one-column loop in another order";
  std::mt19937_64 rng(4);
  std::normal_distribution<double> normal(0.0, 1e3);
  for (const std::size_t n : {1, 2, 3, 4, 5, 7, 16, 63, 64, 1001, 20000}) {
    std::vector<double> a(n), b(4 * n);
    for (double& v : a)
      v = normal(rng);
    for (double& v : b)
      v = normal(rng);
    if (n == 1) b[0] = -0.0; // a sum of one negative zero: -0 + 0 is +0
    double sums[4];
    DotProducts4(a.data(), b.data(), n, sums);
    for (std::size_t k = 0; k < 4; ++k) {
      const double one = DotProduct(a.data(), b.data() + k * n, n);
      EXPECT_EQ(std::memcmp(&sums[k], &one, sizeof one), 0)
          << "n " << n << " column " << k << ": " << sums[k] << " vs " << one;
    }
  }
}
#endif
