// Varimax rotation and FastICA: their limits and guards, and the answers of R's stats::varimax
// and scikit-learn's FastICA on the same inputs.
#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>

#include "Funcoes/Autovalores.h"
#include "Funcoes/Exponencial.h"
#include "Funcoes/Fastica.h"
#include "Funcoes/Varimax.h"
#include "unit/multivariate_support.h"

using kvtest::MaxDifference;
using kvtest::Near;
using kvtest::Product;
using kvtest::Transposed;

namespace {
// Columns of `got` matched to columns of `want` by the largest |inner product|, each used once;
// the largest difference after that matching and the sign it implies.
double MatchedColumnsDifference(const Matriz& got, const Matriz& want) {
  const std::size_t k = Columns(want);
  std::vector<bool> used(k, false);
  double worst = 0;
  for (std::size_t j = 0; j < k; ++j) {
    std::size_t best = k;
    double best_dot = 0;
    for (std::size_t l = 0; l < k; ++l) {
      double dot = 0;
      for (std::size_t i = 0; i < Rows(got); ++i)
        dot += got[i][j] * want[i][l];
      if (!used[l] && std::fabs(dot) > std::fabs(best_dot)) best = l, best_dot = dot;
    }
    if (best == k) return INFINITY;
    used[best] = true;
    for (std::size_t i = 0; i < Rows(got); ++i)
      worst = std::max(worst, std::fabs(got[i][j] - (best_dot < 0 ? -1 : 1) * want[i][best]));
  }
  return worst;
}

// The ICA tool's whitening: centred data Xc, covariance E D E^T, Wh = D^-1/2 E^T, Dw = E D^1/2,
// Z = Wh Xc^T.
struct Whitened {
  Matriz xc_t, wh, dw, z;
};
Whitened Whiten(const Matriz& x) {
  Whitened w;
  Matriz cov, e;
  std::vector<double> means, sd, lambda;
  EXPECT_TRUE(covariancias(x, cov, means, sd));
  EXPECT_TRUE(autovalores(cov, lambda, e));
  Matriz xc = x;
  for (auto& row : xc)
    for (std::size_t j = 0; j < row.size(); ++j)
      row[j] -= means[j];
  const std::size_t d = lambda.size();
  Matriz inv_root(d, std::vector<double>(d, 0.0)), root = inv_root;
  for (std::size_t j = 0; j < d; ++j) {
    inv_root[j][j] = std::sqrt(1 / lambda[j]);
    root[j][j] = std::sqrt(lambda[j]);
  }
  w.wh = Product(inv_root, Transposed(e));
  w.dw = Product(e, root);
  w.xc_t = Transposed(xc);
  w.z = Product(w.wh, w.xc_t);
  return w;
}

} // namespace

TEST(Varimax, SweepLimitsAndSingleFactor) {
  const Matriz loadings = {{0.8, 0.3}, {0.7, 0.4}, {0.6, -0.2}, {0.3, 0.7}, {0.2, 0.8}};
  Matriz t;
  VarimaxReport report;
  ASSERT_TRUE(varimax(loadings, 1, 1e-9, 0, t, report));
  EXPECT_EQ(t, Identity(2)) << "no sweep at all";
  EXPECT_EQ(report.sweeps, 0u);

  ASSERT_TRUE(varimax(loadings, 1, 1e9, 1, t, report));
  EXPECT_EQ(report.sweeps, 1u) << "one sweep, whatever the tolerance";
  EXPECT_GT(MaxDifference(t, Identity(2)), 0.01);
  EXPECT_LE(MaxDifference(Product(Transposed(t), t), Identity(2)), 1e-15);

  ASSERT_TRUE(varimax(Matriz{{0.9}, {0.5}, {-0.3}}, 0, 1e-9, 100, t, report));
  EXPECT_EQ(t, Identity(1)) << "one factor, no pair to rotate";

  Matriz none;
  EXPECT_FALSE(varimax(Matriz{}, 0, 1e-9, 100, none));
}

// Each variable on a single factor: every pair has num = 0 and den > 0, the rotation is the
// identity and the second sweep stops on an unchanged criterion.
TEST(Varimax, SimpleStructureStaysPut) {
  const Matriz simple = {{0.9, 0, 0}, {0, -0.7, 0}, {0.6, 0, 0}, {0, 0, 0.8}};
  Matriz t;
  VarimaxReport report;
  ASSERT_TRUE(varimax(simple, 2, 1e-12, 100, t, report));
  EXPECT_EQ(t, Identity(3));
  EXPECT_EQ(report.sweeps, 1u);
}

// A variable with no loading at all (h = 0) stays at zero, and a pair whose criterion has no
// preferred angle (num = den = 0, as for a single variable) is left as it is: no division by 0.
TEST(Varimax, ZeroRowAndFlatPair) {
  const Matriz with_zero_row = {{0.8, 0.3}, {0, 0}, {0.6, -0.2}, {0.3, 0.7}, {0.2, 0.8}};
  Matriz t;
  ASSERT_TRUE(varimax(with_zero_row, 1, 1e-12, 100, t));
  const Matriz rotated = Product(with_zero_row, t);
  EXPECT_EQ(rotated[1], (std::vector<double>{0, 0}));
  for (const auto& row : rotated)
    for (double v : row)
      EXPECT_TRUE(std::isfinite(v));
  EXPECT_LE(MaxDifference(Product(Transposed(t), t), Identity(2)), 1e-15);

  ASSERT_TRUE(varimax(Matriz{{0.6, 0.8}}, 1, 1e-12, 100, t));
  EXPECT_EQ(t, Identity(2));
}

// R's stats::varimax (normalize = TRUE, run until its criterion stops increasing) reaches the same
// maximum by another route (an SVD per iteration); the rotated loadings agree up to column sign
// and order.
TEST(Varimax, AgainstR) {
  for (const auto& c : kvtest::MultivariateCases("varimax")) {
    const Matriz loadings = kvtest::ToMatriz(c["loadings"]);
    const Matriz want = kvtest::ToMatriz(c["rotated"]);
    Matriz t;
    VarimaxReport report;
    ASSERT_TRUE(varimax(loadings, static_cast<std::int32_t>(Columns(loadings)) - 1, 1e-15, 1000, t,
                        report));
    EXPECT_LT(report.sweeps, 1000u) << c["name"];
    const double difference = MatchedColumnsDifference(Product(loadings, t), want);
    EXPECT_LE(difference, 1e-7) << c["name"] << " after " << report.sweeps << " sweeps";
    std::ostringstream summary;
    summary << difference << " after " << report.sweeps << " sweeps";
    RecordProperty(c["name"], summary.str());
  }
}

TEST(Fastica, RefusesWhatDoesNotFit) {
  const Matriz z = {{1, -1, 0.5, 2}, {0.3, 0.2, -1, 1}};
  Matriz a, w;
  EXPECT_FALSE(fastica(z, Identity(2), Identity(2), 0, a, w));
  EXPECT_FALSE(fastica(z, Identity(2), Identity(2), 3, a, w));
  EXPECT_FALSE(fastica(z, Identity(3), Identity(2), 2, a, w));
  EXPECT_FALSE(fastica(Matriz{{}, {}}, Identity(2), Identity(2), 1, a, w));
  // A single signal: the fixed start vector w(0) = 0 has no direction to normalise.
  EXPECT_FALSE(fastica(Matriz{{1, -1, 0.5}}, Identity(1), Identity(1), 1, a, w));
  EXPECT_TRUE(a.empty() && w.empty());
}

// On each set of mixed signals, whitened as the ICA tool whitens them: two runs give the same
// bits; the accepted vectors are orthonormal (B^T B = I, with B^T = W Dw); extracting fewer
// components gives the first ones of the full run; and the sources match scikit-learn's, up to
// sign and order, with |correlation| >= 0.99.
TEST(Fastica, AgainstScikitLearn) {
  for (const auto& c : kvtest::MultivariateCases("fastica")) {
    const std::string name = c["name"];
    const Matriz x = kvtest::ToMatriz(c["data"]);
    const Whitened white = Whiten(x);
    const std::size_t d = Rows(white.wh);
    Matriz a, w, a2, w2;
    FasticaReport report;
    ASSERT_TRUE(fastica(white.z, white.wh, white.dw, static_cast<std::uint32_t>(d), a, w, report))
        << name;
    ASSERT_TRUE(fastica(white.z, white.wh, white.dw, static_cast<std::uint32_t>(d), a2, w2))
        << name;
    EXPECT_EQ(a, a2) << name;
    EXPECT_EQ(w, w2) << name;
    for (const auto& component : report.components)
      EXPECT_TRUE(component.accepted && component.fine_tuned) << name;
    const Matriz bt = Product(w, white.dw);
    EXPECT_LE(MaxDifference(Product(bt, Transposed(bt)), Identity(d)), 1e-12) << name;
    EXPECT_LE(MaxDifference(Product(white.wh, white.dw), Identity(d)), 1e-12) << name;

    ASSERT_TRUE(fastica(white.z, white.wh, white.dw, 2, a2, w2)) << name;
    ASSERT_EQ(Columns(a2), 2u);
    for (std::size_t r = 0; r < d; ++r)
      for (std::size_t q = 0; q < 2; ++q) {
        EXPECT_EQ(a2[r][q], a[r][q]) << name;
        EXPECT_EQ(w2[q][r], w[q][r]) << name;
      }

    const Matriz ours = Product(w, white.xc_t);
    const Matriz theirs = Product(kvtest::ToMatriz(c["unmixing"]), white.xc_t);
    std::vector<bool> used(d, false);
    double lowest = 1;
    for (std::size_t q = 0; q < d; ++q) {
      std::size_t best = d;
      double best_corr = 0;
      for (std::size_t l = 0; l < d; ++l) {
        const double r = std::fabs(kvtest::Correlation(ours[q], theirs[l]));
        if (!used[l] && r > best_corr) best = l, best_corr = r;
      }
      ASSERT_LT(best, d) << name;
      used[best] = true;
      EXPECT_GE(best_corr, 0.99) << name << " component " << q;
      lowest = std::min(lowest, best_corr);
    }
    std::ostringstream summary;
    summary << "lowest |correlation| " << lowest << ", iterations";
    for (const auto& component : report.components)
      summary << " " << component.iterations;
    RecordProperty(name, summary.str());
  }
}

// The contrast's exponential against the C library's, and its block form against its one-value
// form, bit for bit.
TEST(Fastica, ExponentialOfTheContrast) {
  std::vector<double> x;
  for (double v = 0; v > -708; v -= 0.01234567)
    x.push_back(v);
  x.push_back(-707.9999999);
  std::vector<double> block(x.size());
  ExpOfNonPositive(x.data(), block.data(), x.size());
  double worst_ulps = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const double want = std::exp(x[i]);
    const double ulp = std::nextafter(want, INFINITY) - want;
    worst_ulps = std::max(worst_ulps, std::fabs(block[i] - want) / ulp);
    ASSERT_EQ(block[i], ExpOfNonPositive(x[i])) << x[i];
  }
  EXPECT_LE(worst_ulps, 1.0);
  EXPECT_EQ(ExpOfNonPositive(0.0), 1.0);
  EXPECT_EQ(ExpOfNonPositive(-708.5), 0.0);
  EXPECT_EQ(ExpOfNonPositive(-std::numeric_limits<double>::infinity()), 0.0);
  EXPECT_TRUE(std::isnan(ExpOfNonPositive(NAN)));
}
