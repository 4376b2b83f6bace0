// The best-decay search: the grid on a short series, and the O(N) running variances against
// the variance recomputed in full at every step (in long double) on short series.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "Funcoes/MelhorDecay.h"

namespace {
// The grid and the criterion written out literally, each variance summed in full.
ResultadoDecay Literal(const std::vector<double>& x, double tol, bool media_nula) {
  const std::size_t n = x.size();
  const double ln_tol = std::log(tol);
  const double lambda_hat = std::exp(ln_tol / (static_cast<double>(n) - 29));
  ResultadoDecay r;
  r.lambda_max = std::floor(100 * lambda_hat) / 100;
  if (lambda_hat - r.lambda_max >= 0.005) r.lambda_max += 0.005;
  double lambda = 0.005;
  while (ln_tol / std::log(lambda) < 10)
    lambda += 0.005;
  long double best = 0;
  for (; lambda <= r.lambda_max; lambda += 0.005) {
    const auto m = static_cast<std::size_t>(std::floor(ln_tol / std::log(lambda) + 0.5));
    auto variance = [&](std::size_t t) { // sum over x(0..t) about the mean of x(0..t)
      long double mean = 0, v = 0;
      if (!media_nula) {
        for (std::size_t i = 0; i <= t; ++i)
          mean += x[i];
        mean /= static_cast<long double>(t + 1);
      }
      for (std::size_t i = 0; i <= t; ++i) // lambda^(t-i) by Horner's rule
        v = v * lambda + (x[i] - mean) * (x[i] - mean);
      return (1 - static_cast<long double>(lambda)) * v;
    };
    long double prev = variance(m - 1), sum = 0, sum2 = 0;
    for (std::size_t t = m; t < n; ++t) {
      long double v;
      if (media_nula)
        v = lambda * prev + (1 - static_cast<long double>(lambda)) * x[t] * x[t];
      else
        v = variance(t);
      sum += v - prev;
      sum2 += (v - prev) * (v - prev);
      prev = v;
    }
    const long double k = static_cast<long double>(n - m);
    const long double s2 = (sum2 - sum * sum / k) / (k - 1);
    if (r.avaliados++ == 0 || s2 < best) {
      best = s2;
      r.melhor_lambda = lambda;
    }
  }
  r.sde_minimo = static_cast<double>(std::sqrt(best));
  return r;
}
} // namespace

// 41 observations at 1 %: lambda_hat = 0.01^(1/12) = 0.6813, lambda_max = 0.680; the grid starts
// at 0.635 (0.01^(1/10) = 0.631 is the least decay with a window of 10), and the running sum of
// 0.005 drifts above 0.680, so the grid is 0.635 .. 0.675.
TEST(MelhorDecay, GridOfFortyOneObservations) {
  std::mt19937_64 rng(41);
  std::normal_distribution<double> normal(0.0, 0.01);
  std::vector<double> x(41);
  for (double& v : x)
    v = normal(rng);
  const auto found = melhor_decay(x, 0.01, false);
  ASSERT_TRUE(found);
  const ResultadoDecay& r = *found;
  EXPECT_DOUBLE_EQ(r.lambda_max, 0.68);
  EXPECT_EQ(r.avaliados, 9);
  EXPECT_GE(r.melhor_lambda, 0.635 - 1e-12);
  EXPECT_LE(r.melhor_lambda, 0.68);
  EXPECT_GT(r.sde_minimo, 0);

  const auto short_series = melhor_decay(std::vector<double>(29, 1.0), 0.01, false);
  ASSERT_FALSE(short_series);
  EXPECT_EQ(short_series.motivo(), FalhaDecay::TooShort);
  const auto no_tolerance = melhor_decay(x, 0.0, false);
  ASSERT_FALSE(no_tolerance);
  EXPECT_EQ(no_tolerance.motivo(), FalhaDecay::ToleranceOutOfRange);
}

// The same best decay and the same SDE to 1e-12 as the full recomputation, on returns, on
// prices near 10^6 with and without the mean, and over several tolerances.
TEST(MelhorDecay, AgreesWithFullRecomputation) {
  std::mt19937_64 rng(7);
  std::normal_distribution<double> normal(0.0, 1.0);
  struct Case {
    const char* name;
    std::vector<double> x;
  };
  std::vector<Case> cases;
  std::vector<double> returns(240), prices(250), regime(200);
  for (double& v : returns)
    v = 0.0003 + 0.012 * normal(rng);
  double p = 1.0e6;
  for (double& v : prices)
    v = p += 150 * normal(rng);
  for (std::size_t i = 0; i < regime.size(); ++i)
    regime[i] = (i < 100 ? 0.01 : 0.03) * normal(rng);
  cases.push_back({"returns", returns});
  cases.push_back({"prices near 1e6", prices});
  cases.push_back({"volatility regime", regime});
  for (const Case& c : cases) {
    for (double tol : {0.01, 0.001, 0.0001}) {
      for (bool media_nula : {false, true}) {
        const auto found = melhor_decay(c.x, tol, media_nula);
        ASSERT_TRUE(found);
        const ResultadoDecay& fast = *found;
        const ResultadoDecay slow = Literal(c.x, tol, media_nula);
        const std::string what =
            std::string(c.name) + " tol " + std::to_string(tol) + (media_nula ? " zero mean" : "");
        EXPECT_EQ(fast.lambda_max, slow.lambda_max) << what;
        EXPECT_EQ(fast.avaliados, slow.avaliados) << what;
        EXPECT_EQ(fast.melhor_lambda, slow.melhor_lambda) << what;
        EXPECT_NEAR(fast.sde_minimo, slow.sde_minimo, 1e-12 * slow.sde_minimo) << what;
      }
    }
  }
}
