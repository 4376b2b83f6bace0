// The symmetric eigen-decomposition: its building blocks as they are defined, the worked
// cases, the inputs that trip a plain implementation, and LAPACK's answers (numpy.linalg.eigh) on
// correlation and covariance matrices.
#include <algorithm>
#include <functional>
#include <limits>
#include <sstream>

#include "Funcoes/Autovalores.h"
#include "Funcoes/AutovaloresInterno.h"
#include "unit/multivariate_support.h"

using kvtest::MaxDifference;
using kvtest::Near;
using kvtest::Product;
using kvtest::Transposed;

namespace {
Matriz Diagonal(const std::vector<double>& v) {
  Matriz a(v.size(), std::vector<double>(v.size(), 0.0));
  for (std::size_t i = 0; i < v.size(); ++i)
    a[i][i] = v[i];
  return a;
}

// |V^T V - I| and |A V - V diag(lambda)| / max|lambda|.
struct Residuals {
  double orthogonality, equation;
};
Residuals Check(const Matriz& a, const std::vector<double>& lambda, const Matriz& v) {
  Matriz vl = v;
  for (auto& row : vl)
    for (std::size_t j = 0; j < row.size(); ++j)
      row[j] *= lambda[j];
  double scale = 0;
  for (double x : lambda)
    scale = std::max(scale, std::fabs(x));
  return {MaxDifference(Product(Transposed(v), v), Identity(v.size())),
          MaxDifference(Product(a, v), vl) / scale};
}

// Eigenvalues, vectors and the checks every decomposition must pass: decreasing values, unit
// orthogonal vectors with positive component sums, A V = V Lambda. The same values and vectors
// through `autovalores`, the interface the tools were specified with.
void Decompose(const Matriz& a, std::vector<double>& lambda, Matriz& v, Espectro& spectrum,
               const std::string& what, Residuals* residuals = nullptr) {
  auto result = decomposicao_espectral(a);
  ASSERT_TRUE(result.ok()) << what << ": " << descricao(result.motivo().motivo);
  spectrum = *result;
  ASSERT_TRUE(autovalores(a, lambda, v)) << what;
  ASSERT_EQ(lambda, spectrum.valores) << what;
  ASSERT_EQ(v, spectrum.vetores) << what;
  ASSERT_EQ(lambda.size(), a.size()) << what;
  for (std::size_t j = 0; j + 1 < lambda.size(); ++j)
    EXPECT_GE(lambda[j], lambda[j + 1]) << what << " order at " << j;
  for (std::size_t j = 0; j < v.size(); ++j) {
    double sum = 0;
    for (const auto& row : v)
      sum += row[j];
    // Positive, or zero but for rounding (a vector orthogonal to (1, .., 1), as all but the
    // first are for a one-factor matrix, has a sum of rounding errors either way).
    EXPECT_GT(sum, -1e-13) << what << " sign of vector " << j;
  }
  const Residuals r = Check(a, lambda, v);
  EXPECT_LE(r.orthogonality, 1e-12) << what;
  EXPECT_LE(r.equation, 1e-13) << what;
  if (residuals) *residuals = r;
}
} // namespace

TEST(Eigen, TwoByTwoWorkedExample) {
  const Matriz a = {{2, 1}, {1, 1}};
  std::vector<double> lambda;
  Matriz v;
  Espectro report;
  Decompose(a, lambda, v, report, "((2,1),(1,1))");
  EXPECT_TRUE(Near(lambda[0], (3 + std::sqrt(5.0)) / 2, 1e-15)); // 2.6180
  EXPECT_TRUE(Near(lambda[1], (3 - std::sqrt(5.0)) / 2, 1e-15)); // 0.3820
  const double c = std::sqrt((5 + std::sqrt(5.0)) / 10), s = std::sqrt((5 - std::sqrt(5.0)) / 10);
  EXPECT_LE(MaxDifference(v, Matriz{{c, -s}, {s, c}}),
            2e-15); // (0.8507, 0.5257), (-0.5257, 0.8507)
  // The tolerance is 1e-5 times trace / n = 1.5e-5 here, which the sub-diagonal element meets
  // after 6 steps (1.333e-5); under the absolute 1e-5 of the full-matrix form it takes 7 (below).
  EXPECT_EQ(report.passos_qr, 6u);
}

// The full-matrix form, built from its own parts: reduction, then A <- R Q for A = Q R until
// `convergiu` at 1e-5. The tridiagonal iteration makes the same steps and reaches the same diagonal
// (the tolerance being exactly 1e-5 for a correlation matrix).
TEST(Eigen, SameIterationAsTheFullMatrixForm) {
  auto full_iteration = [](const Matriz& a, std::vector<double>& diagonal) {
    Matriz h, p, q, r;
    EXPECT_TRUE(reduz_hessenberg(a, h, p));
    unsigned steps = 0;
    do {
      EXPECT_TRUE(decompoe_qr(h, q, r));
      EXPECT_TRUE(multiplica(r, q, h));
      ++steps;
    } while (!convergiu(h, 1e-5));
    diagonal.clear();
    for (std::size_t i = 0; i < h.size(); ++i)
      diagonal.push_back(h[i][i]);
    std::sort(diagonal.begin(), diagonal.end(), std::greater<>());
    return steps;
  };
  std::vector<double> diagonal;
  EXPECT_EQ(full_iteration({{2, 1}, {1, 1}}, diagonal), 7u);

  for (const auto& c : kvtest::MultivariateCases("eigen")) {
    const int p = c["p"];
    if (p < 3 || p > 10 || c["family"] == "returns_covariance") continue;
    const std::string what = std::string(c["family"]) + " p=" + std::to_string(p);
    const Matriz a = kvtest::ToMatriz(c["matrix"]);
    const unsigned steps = full_iteration(a, diagonal);
    const auto spectrum = decomposicao_espectral(a);
    ASSERT_TRUE(spectrum.ok()) << what;
    const Espectro& report = *spectrum;
    EXPECT_EQ(report.passos_qr, steps) << what;
    std::vector<double> ours = report.diagonal_qr;
    std::sort(ours.begin(), ours.end(), std::greater<>());
    for (int i = 0; i < p; ++i)
      EXPECT_TRUE(Near(ours[i], diagonal[i], 1e-10)) << what << " diagonal " << i;
  }
}

// A negative eigenvalue withholds the vectors: the reason carries the eigenvalues, and
// `autovalores` answers true with them and an empty V, the caller testing the eigenvalues.
TEST(Eigen, NegativeEigenvalueKeepsTheValuesAndNoVectors) {
  const auto spectrum = decomposicao_espectral(Matriz{{1, 2}, {2, 1}});
  ASSERT_FALSE(spectrum.ok());
  EXPECT_EQ(spectrum.motivo().motivo, FalhaAutovalores::AutovalorNegativo);
  const std::vector<double>& values = spectrum.motivo().valores;
  ASSERT_EQ(values.size(), 2u);
  EXPECT_TRUE(Near(values[0], 3, 1e-15));
  EXPECT_TRUE(Near(values[1], -1, 1e-15));

  std::vector<double> lambda;
  Matriz v = {{1}};
  ASSERT_TRUE(autovalores(Matriz{{1, 2}, {2, 1}}, lambda, v));
  EXPECT_EQ(lambda, values);
  EXPECT_TRUE(v.empty());
}

// Exactly uncorrelated variables give a diagonal matrix: no reflection divides by the all-zero
// columns, one step converges, the values come back in decreasing order with unit vectors.
TEST(Eigen, DiagonalAndBlockDiagonalInputs) {
  std::vector<double> lambda;
  Matriz v;
  Espectro report;
  Decompose(Diagonal({1, 3, 2, 5, 4}), lambda, v, report, "diagonal 5x5");
  EXPECT_EQ(lambda, (std::vector<double>{5, 4, 3, 2, 1}));
  EXPECT_EQ(report.passos_qr, 1u);
  const std::vector<std::size_t> row_of = {3, 4, 1, 2, 0};
  for (std::size_t j = 0; j < 5; ++j)
    EXPECT_EQ(v[row_of[j]][j], 1.0) << "vector " << j;

  Decompose(Identity(4), lambda, v, report, "identity");
  EXPECT_EQ(lambda, (std::vector<double>(4, 1.0)));
  EXPECT_EQ(v, Identity(4));

  Decompose(Matriz{{2.5}}, lambda, v, report, "order 1");
  EXPECT_EQ(lambda, (std::vector<double>{2.5}));

  // Blocks with eigenvalues 1.5, 0.5 | 1 | 1.9, 0.1: returned in decreasing order all the same.
  const Matriz blocks = {
      {1, 0.5, 0, 0, 0}, {0.5, 1, 0, 0, 0}, {0, 0, 1, 0, 0}, {0, 0, 0, 1, 0.9}, {0, 0, 0, 0.9, 1}};
  Decompose(blocks, lambda, v, report, "block diagonal");
  const std::vector<double> want = {1.9, 1.5, 1, 0.5, 0.1};
  for (std::size_t j = 0; j < 5; ++j)
    EXPECT_TRUE(Near(lambda[j], want[j], 1e-15)) << j;
}

// The last step scales each eigenvector to unit length and signs it so that its components have
// a positive sum; a vector whose sum is exactly 0 has no positive sign to take and is negated.
TEST(Eigen, SignOfTheVectorsAtAZeroSum) {
  const double r2 = std::sqrt(2.0), r5 = std::sqrt(5.0), r6 = std::sqrt(6.0);
  // Row-major columns (3, -3, 0) and (1, -2, 1), whose sums are exactly 0, and (0, 0, 0.5).
  const std::vector<double> zero_sums = {3, 1, 0, -3, -2, 0, 0, 1, 0.5};
  const Matriz got = interno::UnitColumns(zero_sums, 3);
  const Matriz want = {{-1 / r2, -1 / r6, 0}, {1 / r2, 2 / r6, 0}, {0, -1 / r6, 1}};
  for (std::size_t r = 0; r < 3; ++r)
    for (std::size_t c = 0; c < 3; ++c)
      EXPECT_TRUE(Near(got[r][c], want[r][c], 1e-15)) << "row " << r << " column " << c;

  // Columns (-1, -2, 0), sum -3, negated; (2, 1, 0) and (0, 0, 1), positive sums, kept.
  const std::vector<double> signed_sums = {-1, 2, 0, -2, 1, 0, 0, 0, 1};
  const Matriz got2 = interno::UnitColumns(signed_sums, 3);
  const Matriz want2 = {{1 / r5, 2 / r5, 0}, {2 / r5, 1 / r5, 0}, {0, 0, 1}};
  for (std::size_t r = 0; r < 3; ++r)
    for (std::size_t c = 0; c < 3; ++c)
      EXPECT_TRUE(Near(got2[r][c], want2[r][c], 1e-15)) << "row " << r << " column " << c;
}

// Only an eigenvalue below 0 withholds the vectors: a zero eigenvalue is not negative. A zero
// matrix has nothing to iterate (its tolerance is 0 and every sub-diagonal element is 0), and
// its vectors are the unit vectors.
TEST(Eigen, ZeroEigenvaluesKeepTheVectors) {
  for (std::size_t n : {1u, 3u}) {
    const std::string what = "zero matrix of order " + std::to_string(n);
    const auto spectrum = decomposicao_espectral(Matriz(n, std::vector<double>(n, 0.0)));
    ASSERT_TRUE(spectrum.ok()) << what;
    EXPECT_EQ(spectrum->valores, std::vector<double>(n, 0.0)) << what;
    EXPECT_EQ(spectrum->vetores, Identity(n)) << what;
  }
  const auto negative = decomposicao_espectral(Matriz{{-2.5}});
  ASSERT_FALSE(negative.ok());
  EXPECT_EQ(negative.motivo().motivo, FalhaAutovalores::AutovalorNegativo);
  EXPECT_EQ(negative.motivo().valores, (std::vector<double>{-2.5}));
}

// Each reason of a decomposition that is not made, and `autovalores` answering false with empty
// outputs for each.
TEST(Eigen, EqualAndOppositeEigenvaluesGiveUpAtTheStepLimit) {
  const auto opposite = decomposicao_espectral(Matriz{{0, 1}, {1, 0}});
  ASSERT_FALSE(opposite.ok());
  EXPECT_EQ(opposite.motivo().motivo, FalhaAutovalores::SemConvergencia);
  EXPECT_EQ(opposite.motivo().passos_qr, kEigenStepLimit);

  const std::pair<Matriz, FalhaAutovalores> refused[] = {
      {Matriz{{0, 1}, {1, 0}}, FalhaAutovalores::SemConvergencia},
      {Matriz{{1, 2, 3}, {4, 5, 6}}, FalhaAutovalores::NaoQuadrada},
      {Matriz{}, FalhaAutovalores::NaoQuadrada},
      {Matriz{{1, NAN}, {NAN, 1}}, FalhaAutovalores::NaoFinita},
      {Matriz{{1, INFINITY}, {INFINITY, 1}}, FalhaAutovalores::NaoFinita}};
  for (const auto& [a, reason] : refused) {
    const std::string what = descricao(reason);
    const auto spectrum = decomposicao_espectral(a);
    ASSERT_FALSE(spectrum.ok()) << what;
    EXPECT_EQ(spectrum.motivo().motivo, reason) << what;
    std::vector<double> lambda = {9};
    Matriz v = {{9}};
    EXPECT_FALSE(autovalores(a, lambda, v)) << what;
    EXPECT_TRUE(lambda.empty() && v.empty()) << what;
  }
}

// One factor behind 80 variables: R = (1 - rho) I + rho 1 1^T has the eigenvalue 1 + 79 rho with
// the vector 1 / sqrt(80), and 1 - rho 79 times.
TEST(Eigen, OneFactorOverEightyVariables) {
  const std::size_t p = 80;
  const double rho = 0.3;
  Matriz a(p, std::vector<double>(p, rho));
  for (std::size_t i = 0; i < p; ++i)
    a[i][i] = 1;
  std::vector<double> lambda;
  Matriz v;
  Espectro report;
  Decompose(a, lambda, v, report, "one factor, p = 80");
  EXPECT_TRUE(Near(lambda[0], 1 + 79 * rho, 1e-13));
  for (std::size_t i = 0; i < p; ++i)
    EXPECT_TRUE(Near(v[i][0], 1 / std::sqrt(80.0), 1e-14)) << "first vector, row " << i;
  for (std::size_t j = 1; j < p; ++j)
    EXPECT_TRUE(Near(lambda[j], 1 - rho, 1e-14 * lambda[0])) << j;
}

// LAPACK's answers. Eigenvalues within 1e-13 of the largest; each vector, up to sign, within
// the accuracy its gap to the nearest other eigenvalue allows, eps |A| / gap. The largest errors
// of each case are recorded as test properties (--gtest_output=json:FILE shows them).
TEST(Eigen, AgainstLapack) {
  for (const auto& c : kvtest::MultivariateCases("eigen")) {
    const std::string what = std::string(c["family"]) + " p=" + c["p"].dump();
    const Matriz a = kvtest::ToMatriz(c["matrix"]);
    const auto want = c["values"].get<std::vector<double>>();
    const Matriz want_v = kvtest::ToMatriz(c["vectors"]);
    std::vector<double> lambda;
    Matriz v;
    Espectro report;
    Residuals residuals{};
    Decompose(a, lambda, v, report, what, &residuals);
    if (testing::Test::HasFatalFailure()) return;
    const std::size_t p = want.size();
    double value_error = 0, vector_error = 0, diagonal_error = 0;
    for (std::size_t j = 0; j < p; ++j) {
      EXPECT_TRUE(Near(lambda[j], want[j], 1e-13 * want[0])) << what << " value " << j;
      value_error = std::max(value_error, std::fabs(lambda[j] - want[j]) / want[0]);
      double gap = INFINITY;
      if (j > 0) gap = std::min(gap, want[j - 1] - want[j]);
      if (j + 1 < p) gap = std::min(gap, want[j] - want[j + 1]);
      double dot = 0, error = 0;
      for (std::size_t i = 0; i < p; ++i)
        dot += v[i][j] * want_v[i][j];
      for (std::size_t i = 0; i < p; ++i)
        error = std::max(error, std::fabs(v[i][j] - (dot < 0 ? -1 : 1) * want_v[i][j]));
      EXPECT_LE(error, 1e-13 + 1e-14 * want[0] / gap) << what << " vector " << j << " gap " << gap;
      if (gap > 1e-6 * want[0]) vector_error = std::max(vector_error, error);
      // The relative tolerance: on returns (variances near 1e-6) an absolute 1e-5 would stop
      // before the first step had done anything; here the converged diagonal itself is close.
      EXPECT_TRUE(Near(report.diagonal_qr[j], want[j], 1e-6 * want[0]))
          << what << " diagonal " << j;
      diagonal_error =
          std::max(diagonal_error, std::fabs(report.diagonal_qr[j] - want[j]) / want[0]);
    }
    std::ostringstream errors;
    errors << "values " << value_error << " vectors " << vector_error << " VtV-I "
           << residuals.orthogonality << " AV-VL " << residuals.equation << " diagonal "
           << diagonal_error << " steps " << report.passos_qr;
    RecordProperty(what, errors.str());
  }
}

TEST(Hessenberg, ReducesWithAnOrthogonalMatrix) {
  const Matriz a = {{4, 1, -2, 2, 0.5},
                    {1, 2, 0, 1, 3},
                    {-2, 0, 3, -2, 1},
                    {2, 1, -2, -1, 0},
                    {7, 0.5, 1, 0, 2}}; // not symmetric
  Matriz h, p;
  ASSERT_TRUE(reduz_hessenberg(a, h, p));
  for (std::size_t i = 0; i < 5; ++i)
    for (std::size_t j = 0; j + 1 < i; ++j)
      EXPECT_EQ(h[i][j], 0.0) << i << "," << j;
  // A product of reflections is orthogonal to a few n ε: 5 · 5 ε = 2.8e-15 here.
  EXPECT_LE(MaxDifference(Product(Transposed(p), p), Identity(5)),
            25 * std::numeric_limits<double>::epsilon());
  EXPECT_LE(MaxDifference(Product(Product(Transposed(p), a), p), h), 1e-14);

  // Order 2: nothing to do. A first column already reduced: no reflection, no division by 0.
  ASSERT_TRUE(reduz_hessenberg(Matriz{{1, 2}, {3, 4}}, h, p));
  EXPECT_EQ(h, (Matriz{{1, 2}, {3, 4}}));
  EXPECT_EQ(p, Identity(2));
  const Matriz reduced = {{1, 0, 0, 0}, {0, 2, 1, 0}, {0, 1, 3, 1}, {0, 0, 1, 4}};
  ASSERT_TRUE(reduz_hessenberg(reduced, h, p));
  EXPECT_LE(MaxDifference(Product(Product(Transposed(p), reduced), p), h), 1e-15);
  EXPECT_EQ(h[1][0], 0.0);
  EXPECT_FALSE(reduz_hessenberg(Matriz{{1, 2, 3}}, h, p));
  EXPECT_TRUE(h.empty() && p.empty());
  const auto not_square = forma_de_hessenberg(Matriz{{1, 2, 3}});
  ASSERT_FALSE(not_square.ok());
  EXPECT_EQ(not_square.motivo(), FalhaMatrizCheia::NaoQuadrada);
}

TEST(QrDecomposition, FactorsWithTheReflectorSigns) {
  const Matriz a = {{-3, 1, 2, 0}, {4, 1, 0, 2}, {0, 2, 5, 1}, {1, -1, 0, 3}};
  Matriz q, r;
  ASSERT_TRUE(decompoe_qr(a, q, r));
  EXPECT_LE(MaxDifference(Product(q, r), a), 1e-14);
  EXPECT_LE(MaxDifference(Product(Transposed(q), q), Identity(4)), 1e-15);
  for (std::size_t i = 0; i < 4; ++i)
    for (std::size_t j = 0; j < i; ++j)
      EXPECT_EQ(r[i][j], 0.0);
  // The first reflector maps the column (-3, 4, 0, 1) to (+|x|, 0, 0, 0): its x0 is negative.
  EXPECT_TRUE(Near(r[0][0], std::sqrt(26.0), 1e-14));

  ASSERT_TRUE(decompoe_qr(Matriz{{5}}, q, r));
  EXPECT_EQ(q, Identity(1));
  EXPECT_EQ(r, (Matriz{{5}}));
  // A zero column is already reduced.
  ASSERT_TRUE(decompoe_qr(Matriz{{0, 1}, {0, 2}}, q, r));
  EXPECT_EQ(q, Identity(2));
  EXPECT_FALSE(decompoe_qr(Matriz{{1, 2}}, q, r));
  EXPECT_TRUE(q.empty() && r.empty());
  const auto not_square = fatoracao_qr(Matriz{{1, 2}, {3}});
  ASSERT_FALSE(not_square.ok());
  EXPECT_EQ(not_square.motivo(), FalhaMatrizCheia::NaoQuadrada);
}

TEST(Convergence, OnlyBelowTheDiagonalCounts) {
  EXPECT_TRUE(convergiu(Matriz{{1, 99}, {1e-5, 2}}, 1e-5)) << "the bound is included";
  EXPECT_TRUE(convergiu(Matriz{{1, 99}, {-1e-5, 2}}, 1e-5));
  EXPECT_FALSE(convergiu(Matriz{{1, 0, 0}, {0, 2, 0}, {0, 2e-5, 3}}, 1e-5));
  EXPECT_FALSE(convergiu(Matriz{{1, 0}, {-2e-5, 2}}, 1e-5));
  EXPECT_TRUE(convergiu(Matriz{{1, 0}, {NAN, 2}}, 1e-5)) << "a NaN fails neither comparison";
}
