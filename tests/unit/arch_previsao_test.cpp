// The ARCH tool's error distributions, forecasts and value-at-risk backtest, against the
// independent values of tests/reference/data/arch_previsao.json (scipy for the distributions,
// a plain loop for the forecasts, scipy's xlogy for the likelihood ratios).
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <string>
#include <vector>

#include "Funcoes/DistribuicaoArch.h"
#include "Funcoes/PrevisaoArch.h"
#include "support/reference_data.h"

using nlohmann::json;

namespace {
DistribuicaoArch Dist(const json& c) {
  return static_cast<DistribuicaoArch>(c["dist"].get<int>());
}
std::string Name(const json& c) {
  return "dist " + std::to_string(c["dist"].get<int>()) + " nu " + c["nu"].dump();
}
} // namespace

// Every alpha from 1e-6 to 1 - 1e-3 (0.4999999 where the quantile is tiny, 0.5 exactly 0) and
// every shape the search may reach, from the t's nu = 2.05 and the GED's 0.25 to both ends'
// near-Gaussians.
TEST(PrevisaoArch, QuantilesOfTheStandardisedErrors) {
  for (const json& c : kvtest::ReferenceCases("arch_previsao.json", "quantiles", 200)) {
    const double alpha = c["alpha"], expected = c["q"];
    const double q = quantil_erro_arch(Dist(c), c["nu"], alpha);
    EXPECT_NEAR(q, expected, 1e-11 * std::fabs(expected)) << Name(c) << " alpha " << alpha;
  }
}

// E|z| against quadrature of scipy's densities, digamma against scipy's, and the log-density
// with all its constants against scipy's logpdf rescaled to unit variance; its derivatives by
// ln h and by nu against central differences.
TEST(DistribuicaoArch, DensitiesAndTheirDerivatives) {
  for (const json& c : kvtest::ReferenceCases("arch_previsao.json", "mean_abs", 17)) {
    const double expected = c["value"];
    EXPECT_NEAR(media_absoluta_arch(Dist(c), c["nu"]), expected, 1e-13 * expected) << Name(c);
  }
  for (const json& c : kvtest::ReferenceCases("arch_previsao.json", "digamma", 10)) {
    const double expected = c["value"];
    EXPECT_NEAR(digama(c["x"]), expected, 1e-14 * (1 + std::fabs(expected))) << c["x"];
  }
  for (const json& c : kvtest::ReferenceCases("arch_previsao.json", "log_densities", 60)) {
    const DistribuicaoArch dist = Dist(c);
    const double nu = c["nu"], e = c["e"], h = c["h"], expected = c["value"];
    const DensidadeArch f(dist, nu);
    double by_log_h = 0, by_nu = 0;
    const std::string name = Name(c) + " e " + c["e"].dump() + " h " + c["h"].dump();
    EXPECT_NEAR(f.log(e, h), expected, 1e-13 * (1 + std::fabs(expected))) << name;
    EXPECT_EQ(f.log(e, h, by_log_h, by_nu), f.log(e, h)) << name;

    const double d = 1e-5;
    const double numeric_h = (f.log(e, h * std::exp(d)) - f.log(e, h * std::exp(-d))) / (2 * d);
    EXPECT_NEAR(by_log_h, numeric_h, 1e-7 * (1 + std::fabs(numeric_h))) << name;
    if (dist == DistribuicaoArch::Normal) {
      EXPECT_EQ(by_nu, 0) << name;
      continue;
    }
    const double dn = 1e-5 * nu;
    const double numeric_nu =
        (DensidadeArch(dist, nu + dn).log(e, h) - DensidadeArch(dist, nu - dn).log(e, h)) /
        (2 * dn);
    EXPECT_NEAR(by_nu, numeric_nu, 1e-6 * (1 + std::fabs(numeric_nu))) << name;
  }
}

// The forecasts start at h(T) of the recursion; a stationary GARCH or ARCH gives the
// projections to the bit; IGARCH, an explosive GARCH, GJR and EGARCH (with every error
// distribution, and with lags before a one-value series) follow the independent loop.
TEST(PrevisaoArch, VarianceForecasts) {
  const auto series =
      kvtest::ReferenceFile("arch_previsao.json")["series"].get<std::vector<double>>();
  for (const json& c : kvtest::ReferenceCases("arch_previsao.json", "forecasts", 10)) {
    const EspecArch m =
        espec_arch(static_cast<ModeloArch>(c["model"].get<int>()), c["q"], c["p"], Dist(c));
    const auto theta = c["theta"].get<std::vector<double>>();
    const auto expected = c["h"].get<std::vector<double>>();
    const std::vector<double> e(series.begin(), series.begin() + c["T"].get<long>());
    const auto h = previsao_variancias_arch(m, e, theta, expected.size());
    ASSERT_EQ(h.size(), expected.size()) << c["name"];
    EXPECT_EQ(h[0], variancias_condicionais(m, e, theta).back()) << c["name"];
    for (std::size_t j = 0; j < h.size(); ++j)
      EXPECT_NEAR(h[j], expected[j], 1e-13 * expected[j]) << c["name"] << " step " << j;
  }
  for (const EspecArch& m : {espec_arch(ModeloArch::Garch, 1, 1, DistribuicaoArch::Student),
                             espec_arch(ModeloArch::Arch, 2, 0)}) {
    const std::vector<double> theta = m.modelo == ModeloArch::Garch
                                          ? std::vector<double>{0.05, 0.08, 0.9, 6.0}
                                          : std::vector<double>{0.1, 0.3, 0.2};
    ASSERT_TRUE(estacionario(m, theta));
    EXPECT_EQ(previsao_variancias_arch(m, series, theta, 30),
              *variancias_projetadas(m, series, theta, 30));
  }
  EXPECT_TRUE(previsao_variancias_arch(espec_arch(ModeloArch::Gjr, 1, 1), series,
                                       {0.04, 0.03, 0.1, 0.88}, 0)
                  .empty());
}

// The exceptions and both likelihood ratios on the series at three levels, and on the edges:
// no exception, nothing but exceptions, one exception at the very end (no transition out of
// it), and clustered exceptions.
TEST(PrevisaoArch, ValueAtRiskBacktest) {
  for (const json& c : kvtest::ReferenceCases("arch_previsao.json", "backtests", 7)) {
    const auto e = c["e"].get<std::vector<double>>();
    const auto h = c["h"].get<std::vector<double>>();
    const BacktestArch b = backtest_var_arch(e, h, c["quantile"], c["alpha"]);
    const double kupiec = c["kupiec"], christoffersen = c["christoffersen"];
    EXPECT_EQ(b.excecoes, c["exceptions"].get<std::size_t>()) << c["name"];
    EXPECT_DOUBLE_EQ(b.esperadas, c["expected"].get<double>()) << c["name"];
    EXPECT_NEAR(b.kupiec, kupiec, 1e-12 * (1 + kupiec)) << c["name"];
    EXPECT_NEAR(b.christoffersen, christoffersen, 1e-12 * (1 + christoffersen)) << c["name"];
  }
}
