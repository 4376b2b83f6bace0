// The polish after the ARCH-family search: the gradient it climbs on, the maxima it must reach
// (scipy's, from tests/reference/generate_arch_maxima.py), and the search's point kept whenever
// the polish finds nothing higher.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>
#include <string>

#include "Funcoes/ArchGradiente.h"
#include "Funcoes/ArchPolimento.h"
#include "support/arch_maxima.h"

using nlohmann::json;

namespace {
// The gradient against central differences of log_verossimilhanca, and the value against it,
// for each model: stationary and integrated starts of the GARCH family, a negative GJR gamma,
// an EGARCH with leverage and two lags of each kind.
TEST(ArchGradiente, MatchesTheLikelihoodAndItsDifferences) {
  const std::vector<double> e = kvtest::ArchSeries("t5");
  struct Case {
    EspecArch m;
    std::vector<double> theta;
  };
  const Case cases[] = {
      {espec_arch(ModeloArch::Arch, 2, 0), {2e-5, 0.2, 0.3}},
      {espec_arch(ModeloArch::Garch, 2, 1), {1e-5, 0.05, 0.1, 0.8}},
      // past 1 - 2 delta (q + p) the start value is the mean square, not omega / (1 - S)
      {espec_arch(ModeloArch::Garch, 1, 1), {1e-5, 0.1, 0.89999}},
      {espec_arch(ModeloArch::Igarch, 1, 2), {1e-6, 0.1, 0.5, 0.4}},
      {espec_arch(ModeloArch::Egarch, 2, 2), {-0.5, 0.15, 0.05, -0.4, 0.3, 0.6, 0.34}},
      {espec_arch(ModeloArch::Gjr, 2, 1), {1e-5, 0.05, 0.02, 0.1, -0.01, 0.8}},
  };
  for (const Case& c : cases) {
    const EspecArch& m = c.m;
    std::vector<double> g;
    const double ll = log_verossimilhanca_gradiente(m, e, c.theta, g);
    const double plain = log_verossimilhanca(m.modelo, m.q, m.r, m.p, e, c.theta);
    EXPECT_NEAR(ll, plain, 1e-10 * std::fabs(plain)) << static_cast<int>(m.modelo);
    ASSERT_EQ(g.size(), c.theta.size());
    for (std::size_t i = 0; i < g.size(); ++i) {
      const double h = 1e-6 * std::max(std::fabs(c.theta[i]), 1e-4);
      auto up = c.theta, down = c.theta;
      up[i] += h;
      down[i] -= h;
      const double difference = (log_verossimilhanca(m.modelo, m.q, m.r, m.p, e, up) -
                                 log_verossimilhanca(m.modelo, m.q, m.r, m.p, e, down)) /
                                (2 * h);
      EXPECT_NEAR(g[i], difference, 1e-5 * std::max(std::fabs(difference), 1.0))
          << "model " << static_cast<int>(m.modelo) << " parameter " << i;
    }
  }
  std::vector<double> g;
  EXPECT_EQ(
      log_verossimilhanca_gradiente(espec_arch(ModeloArch::Egarch, 1, 1), e, {900, 0, 0, 0}, g),
      -std::numeric_limits<double>::infinity())
      << "a variance that overflows";
}

// Each model at (1,1) on 300 Student-t returns, where the search stops short of the maximum
// for some: the polish reaches scipy's (the other series and orders in arch_maxima_tests).
TEST(AjustaArch, ReachesTheMaximaOnStudentReturns) {
  const std::vector<double> e = kvtest::ArchSeries("t5");
  for (int code = 0; code < 5; ++code) {
    const EspecArch m = espec_arch(static_cast<ModeloArch>(code), 1, 1);
    const AjusteArch fit = ajusta_arch(m, e);
    EXPECT_GE(fit.LL, kvtest::ArchMaximum("t5", m) - 0.01) << code;
    kvtest::ExpectPolishRule(m, e, fit, "t5 model " + std::to_string(code));
  }
}

// Series with nothing to find: zeros, a constant, two values. Nothing breaks and the rule holds.
TEST(AjustaArch, DegenerateSeries) {
  const std::vector<std::vector<double>> series{
      std::vector<double>(40, 0.0), std::vector<double>(40, 0.02), {1e-3, -2e-3}};
  for (const std::vector<double>& e : series)
    for (const EspecArch& m :
         {espec_arch(ModeloArch::Arch, 2, 0), espec_arch(ModeloArch::Garch, 1, 1),
          espec_arch(ModeloArch::Egarch, 1, 1), espec_arch(ModeloArch::Igarch, 1, 1),
          espec_arch(ModeloArch::Gjr, 2, 2)})
      kvtest::ExpectPolishRule(m, e, ajusta_arch(m, e), "model " + std::to_string(int(m.modelo)));
}
} // namespace
