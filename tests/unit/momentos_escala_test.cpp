// Moments and correlations of data of any size, from 10^-300 to 10^300 and into the subnormal
// doubles. Two exact facts stand as references: multiplying data by 2^k is exact, so every
// standardised moment and correlation stays what it was (and a standard deviation is multiplied
// by 2^k); and the exact (60-digit) skewness and kurtosis of the reference sets
// (tests/reference/data/worksheet_functions.json) hold for those sets times 2^k. Multiplying by
// 10^k rounds each value once, so the results then agree to 1e-12 relative.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "Funcoes/Autovalores.h"
#include "Funcoes/Estatistica.h"
#include "Funcoes/Frequencias.h"
#include "Funcoes/Matriz.h"
#include "support/reference_data.h"

namespace {
std::vector<double> Scaled(std::vector<double> x, double factor) {
  for (double& v : x)
    v *= factor;
  return x;
}

::testing::AssertionResult Close(double computed, double expected, double relative,
                                 double absolute = 0) {
  const double error = std::fabs(computed - expected);
  if (std::isfinite(computed) && error <= std::max(relative * std::fabs(expected), absolute))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "computed " << computed << ", expected " << expected
                                       << ", relative error " << error / std::fabs(expected);
}

// The well-conditioned reference sets (the NIST sets near 10^7 are held elsewhere).
bool WellConditioned(const std::string& name) {
  return name.rfind("NumAcc", 0) != 0 && name != "Mavro";
}

// Each scale and what it multiplies by: powers of two (exact) and of ten (rounded once).
struct Scale {
  double factor;
  std::string name;
};
std::vector<Scale> Scales() {
  std::vector<Scale> scales;
  for (int k : {-1000, -900, -600, -300, 300, 600, 900, 1000})
    scales.push_back({std::ldexp(1.0, k), "2^" + std::to_string(k)});
  for (int k : {-300, -200, -100, -80, 80, 100, 200, 300})
    scales.push_back({std::pow(10.0, k), "1e" + std::to_string(k)});
  return scales;
}
} // namespace

// Skewness and kurtosis against the exact values of the reference sets, at every scale the
// data survive without falling below the normal doubles; the standard deviation scaled with
// the data.
TEST(MomentsAtAnyScale, SkewnessKurtosisAndDeviationKeepTheirDigits) {
  int compared = 0;
  for (const auto& c : kvtest::ReferenceCases("worksheet_functions.json", "statistics")) {
    const std::string name = c["name"];
    if (!WellConditioned(name)) continue;
    const bool population = c["population"].get<bool>();
    const Dispersion dispersion = population ? Dispersion::Population : Dispersion::Sample;
    const auto x = c["data"].get<std::vector<double>>();
    const double sd = StandardDeviation(ComputeCentralMoments(x), dispersion);
    const double expected_skew = c["skew_moment"];
    // A rounding of each value, an ulp of the largest, moves the standardised moments by about
    // that ulp over s: on data near 300 moving by 0.08 (Michelso) about 4000 times 1e-16. And a
    // skewness that is zero has no relative error.
    double largest = 0;
    for (double v : x)
      largest = std::max(largest, std::fabs(v));
    const double condition = largest / sd;
    for (const Scale& scale : Scales()) {
      const std::vector<double> y = Scaled(x, scale.factor);
      const bool exact = scale.name.front() == '2';
      const double absolute = (exact ? 1e-15 : 1e-14) * condition;
      const std::string what = name + (population ? " population" : " sample") + " x " + scale.name;
      const StatValue skew = Skewness(y, dispersion, SkewForm::Moment, 0);
      ASSERT_TRUE(skew.ok()) << what;
      EXPECT_TRUE(Close(*skew, expected_skew, 1e-12, absolute)) << what << " skewness";
      if (!c["kurt"].is_null()) {
        const StatValue kurt = Kurtosis(y, dispersion);
        ASSERT_TRUE(kurt.ok()) << what;
        EXPECT_TRUE(Close(*kurt, c["kurt"].get<double>(), 1e-12, absolute)) << what << " kurtosis";
      }
      const CentralMoments m = ComputeCentralMoments(y);
      EXPECT_TRUE(Close(StandardDeviation(m, dispersion), sd * scale.factor, 1e-12))
          << what << " standard deviation";
      EXPECT_TRUE(Close(m.mean, Mean(x) * scale.factor, 1e-12)) << what << " mean";
      EXPECT_TRUE(Close(Mean(y), Mean(x) * scale.factor, 1e-12)) << what << " mean alone";
      ++compared;
    }
  }
  EXPECT_GT(compared, 50);
}

// Whole numbers times 2^-1060 are subnormal doubles, exactly: their skewness and kurtosis are
// those of the whole numbers, the Pearson forms too, and their deviation (itself subnormal) is
// right to the last place a subnormal has.
TEST(MomentsAtAnyScale, SubnormalDataHaveTheMomentsOfTheirMultiples) {
  const std::vector<double> whole{3, 7, 7, 1, 12, 9, 4, 7, 2, 15, 8, 6, 7, 3};
  const std::vector<double> tiny = Scaled(whole, std::ldexp(1.0, -1060));
  for (Dispersion dispersion : {Dispersion::Sample, Dispersion::Population}) {
    for (SkewForm form : {SkewForm::Moment, SkewForm::PearsonMode, SkewForm::PearsonMedian}) {
      const StatValue expected = Skewness(whole, dispersion, form, 3);
      const StatValue computed = Skewness(tiny, dispersion, form, 3);
      ASSERT_TRUE(expected.ok() && computed.ok()) << static_cast<int>(form);
      EXPECT_TRUE(Close(*computed, *expected, 1e-14)) << "skewness form " << static_cast<int>(form);
    }
    EXPECT_TRUE(Close(*Kurtosis(tiny, dispersion), *Kurtosis(whole, dispersion), 1e-14));
    const double sd = StandardDeviation(ComputeCentralMoments(whole), dispersion);
    EXPECT_NEAR(StandardDeviation(ComputeCentralMoments(tiny), dispersion), std::ldexp(sd, -1060),
                std::ldexp(1.0, -1074));
    EXPECT_GT(StandardDeviation(ComputeCentralMoments(tiny), dispersion), 0);
  }
}

// The histogram's table: skewness, kurtosis and deviation of data near 10^-300 and 10^300 as of
// the same data near 1; a deviation that has no double is a reason, not an infinity.
TEST(MomentsAtAnyScale, HistogramStatisticsAtTheEdgesOfTheDoubles) {
  const auto x = kvtest::ReferenceCases("worksheet_functions.json", "statistics")[0]["data"]
                     .get<std::vector<double>>();
  const auto plain = monta_histograma(x, 4, Dispersion::Sample);
  ASSERT_TRUE(plain.ok());
  for (double factor : {1e-300, 1e-100, 1e100, 1e300}) {
    const auto scaled = monta_histograma(Scaled(x, factor), 4, Dispersion::Sample);
    ASSERT_TRUE(scaled.ok()) << factor;
    ASSERT_TRUE(scaled->skewness && scaled->excess_kurtosis) << factor;
    EXPECT_TRUE(Close(*scaled->skewness, *plain->skewness, 1e-12)) << factor;
    EXPECT_TRUE(Close(*scaled->excess_kurtosis, *plain->excess_kurtosis, 1e-12)) << factor;
    EXPECT_TRUE(Close(scaled->std_dev, plain->std_dev * factor, 1e-12)) << factor;
  }
  const auto overflow =
      monta_histograma({1.7e308, -1.7e308, 1.7e308, -1.7e308}, 2, Dispersion::Sample);
  EXPECT_FALSE(overflow.ok()) << "a sample deviation of 1.96e308 has no double";
}

// Correlations of columns near 10^80 (whose products of sums of squares overflow) and near
// 10^-100 (whose products underflow) are those of the same columns near 1; so are the
// principal components' eigenvalues, and the covariances scale by the product of the factors.
TEST(MomentsAtAnyScale, CorrelationsOfHugeAndTinyColumns) {
  const Matriz x{{1, 2.5, -3, 7}, {2, 1.5, -1, 8},  {4, 0.5, -4, 6},  {3, 3.5, 0, 9},
                 {5, 2, -2, 5.5}, {6, 4.5, 1, 7.5}, {2.5, 1, -5, 6.5}};
  const auto plain = matriz_de_correlacoes(x);
  ASSERT_TRUE(plain.ok());
  const auto plain_spectrum = decomposicao_espectral(plain->matriz);
  ASSERT_TRUE(plain_spectrum.ok());
  for (double factor : {1e80, 1e-100, 1e300, 1e-300, std::ldexp(1.0, 1000)}) {
    Matriz y = x;
    for (auto& row : y)
      for (std::size_t j = 0; j < row.size(); ++j)
        row[j] *= j == 1 ? 1.0 : factor; // one column left as it is
    const auto r = matriz_de_correlacoes(y);
    ASSERT_TRUE(r.ok()) << factor;
    for (std::size_t i = 0; i < 4; ++i) {
      EXPECT_TRUE(Close(r->desvios[i], plain->desvios[i] * (i == 1 ? 1.0 : factor), 1e-12))
          << factor;
      for (std::size_t j = 0; j < 4; ++j)
        EXPECT_NEAR(r->matriz[i][j], plain->matriz[i][j], 1e-13)
            << factor << " R(" << i << ", " << j << ")";
    }
    const auto spectrum = decomposicao_espectral(r->matriz);
    ASSERT_TRUE(spectrum.ok()) << factor;
    for (std::size_t j = 0; j < 4; ++j)
      EXPECT_NEAR(spectrum->valores[j], plain_spectrum->valores[j], 1e-12) << factor;
  }
  const auto plain_cov = matriz_de_covariancias(x);
  const double f = 1e-100;
  Matriz y = x;
  for (auto& row : y)
    for (double& v : row)
      v *= f;
  const auto cov = matriz_de_covariancias(y);
  ASSERT_TRUE(plain_cov.ok() && cov.ok());
  for (std::size_t i = 0; i < 4; ++i)
    for (std::size_t j = 0; j < 4; ++j)
      EXPECT_TRUE(Close(cov->matriz[i][j], plain_cov->matriz[i][j] * f * f, 1e-12));
}
