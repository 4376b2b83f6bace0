// The ARCH family under Student's t and the GED against tests/reference/data/arch_dist.json
// (tests/reference/generate_arch_dist.py): our likelihood at fixed points, the fits against the
// maxima scipy finds of the same likelihood and against R's fGarch, the standard errors, and the
// gradient the polish climbs on.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <string>
#include <vector>

#include "Funcoes/ArchGradiente.h"
#include "Funcoes/ArchPolimento.h"
#include "Funcoes/DistribuicaoArch.h"
#include "Funcoes/ErrosPadraoArch.h"
#include "support/reference_data.h"

namespace {
using nlohmann::json;

DistribuicaoArch DistributionNamed(const std::string& name) {
  if (name == "std") return DistribuicaoArch::Student;
  if (name == "ged") return DistribuicaoArch::Ged;
  return DistribuicaoArch::Normal;
}

EspecArch SpecOf(const json& c) {
  EspecArch m = espec_arch(static_cast<ModeloArch>(c["model"].get<int>()), c["q"].get<int>(),
                           c["p"].get<int>(), DistributionNamed(c["dist"].get<std::string>()));
  return m;
}

const json& Data() {
  static const json data = kvtest::ReferenceFile("arch_dist.json");
  return data;
}

std::vector<double> Series(const std::string& name) {
  return Data()[name == "dax" ? "dax_log_returns" : "dem2gbp"].get<std::vector<double>>();
}

TEST(ArchDistribution, LikelihoodAtFixedPointsIsThePythonForms) {
  const auto small = kvtest::ReferenceFile("arch.json")["series"].get<std::vector<double>>();
  for (const json& point : Data()["points"]) {
    const EspecArch m = SpecOf(point);
    const auto theta = point["theta"].get<std::vector<double>>();
    const double expected = point["ll"].get<double>();
    EXPECT_NEAR(log_verossimilhanca_arch(m, small, theta), expected, 1e-10 * std::fabs(expected))
        << point.dump();
    // The gradient's own sum is the same likelihood, and its derivatives are the likelihood's.
    std::vector<double> g;
    EXPECT_NEAR(log_verossimilhanca_gradiente(m, small, theta, g), expected,
                1e-9 * std::fabs(expected));
    for (std::size_t i = 0; i < theta.size(); ++i) {
      const double h = 1e-6 * std::max(std::fabs(theta[i]), 1e-2);
      auto up = theta, down = theta;
      up[i] += h;
      down[i] -= h;
      const double numeric =
          (log_verossimilhanca_arch(m, small, up) - log_verossimilhanca_arch(m, small, down)) /
          (2 * h);
      EXPECT_NEAR(g[i], numeric, 1e-5 * (1 + std::fabs(numeric))) << point.dump() << " i " << i;
    }
  }
}

// Every fit reaches the highest point scipy found of our likelihood from several starts; where
// the maximum is inside the region, its standard errors are scipy's numerical ones.
TEST(ArchDistribution, FitsReachTheMaximaAndTheirStandardErrors) {
  for (const json& c : Data()["maxima"]) {
    const EspecArch m = SpecOf(c);
    if (!m.tem_nu()) continue;
    const auto e = Series(c["series"].get<std::string>());
    const AjusteArch fit = ajusta_arch(m, e);
    SCOPED_TRACE(c["series"].get<std::string>() + " " + c["name"].get<std::string>() + " " +
                 c["dist"].get<std::string>());
    EXPECT_TRUE(fit.convergiu());
    EXPECT_GE(fit.LL, c["ll"].get<double>() - 0.01);
    const std::vector<ErroPadraoArch> se = erros_padrao_arch(m, e, fit.theta);
    ASSERT_EQ(se.size(), fit.theta.size());
    if (c["se"].is_null()) {
      // At the bound of the sum of alpha and beta (or where the start value changes rule) the
      // largest of them is held and has no error.
      EXPECT_FALSE(se[2].hessiana);
      EXPECT_FALSE(se[2].robusto);
      continue;
    }
    const auto ref_se = c["se"].get<std::vector<double>>();
    const auto ref_robust = c["robust_se"].get<std::vector<double>>();
    for (std::size_t i = 0; i < ref_se.size(); ++i) {
      ASSERT_TRUE(se[i].hessiana && se[i].robusto) << i;
      EXPECT_NEAR(*se[i].hessiana, ref_se[i], 0.03 * ref_se[i]) << i;
      EXPECT_NEAR(*se[i].robusto, ref_robust[i], 0.05 * ref_robust[i]) << i;
    }
  }
}

// Beside fGarch on the DAX, where its maxima lie inside our region: alpha and beta within 0.02,
// nu within 5 %, the Hessian standard errors within 15 % (the two start the variances apart).
TEST(ArchDistribution, DaxFitsAgreeWithFGarch) {
  const auto e = Series("dax");
  for (const std::string dist : {"std", "ged"}) {
    SCOPED_TRACE(dist);
    const json& ref = Data()["fgarch"]["dax"][dist];
    const auto coef = ref["coef"].get<std::vector<double>>();
    const auto ref_se = ref["se"].get<std::vector<double>>();
    const EspecArch m = espec_arch(ModeloArch::Garch, 1, 1, DistributionNamed(dist));
    const AjusteArch fit = ajusta_arch(m, e);
    EXPECT_NEAR(fit.theta[1], coef[1], 0.02);
    EXPECT_NEAR(fit.theta[2], coef[2], 0.02);
    EXPECT_NEAR(fit.theta[3], coef[3], 0.05 * coef[3]);
    const std::vector<ErroPadraoArch> se = erros_padrao_arch(m, e, fit.theta);
    for (std::size_t i = 0; i < 4; ++i) {
      ASSERT_TRUE(se[i].hessiana);
      EXPECT_NEAR(*se[i].hessiana, ref_se[i], 0.15 * ref_se[i]) << i;
    }
  }
}

// A parameter on its floor has no standard error; the others still have theirs.
TEST(ArchDistribution, ParametersOnTheirBoundsHaveNoStandardError) {
  const auto e = Series("dem2gbp");
  const EspecArch m = espec_arch(ModeloArch::Garch, 2, 1, DistribuicaoArch::Student);
  AjusteArch fit = ajusta_arch(m, e);
  // The second alpha pushed to the floor, as a fit on another series might leave it.
  fit.theta[2] = kDeltaArch;
  const std::vector<ErroPadraoArch> se = erros_padrao_arch(m, e, fit.theta);
  EXPECT_FALSE(se[2].hessiana);
  EXPECT_FALSE(se[2].robusto);
  EXPECT_TRUE(se[0].hessiana);
  EXPECT_TRUE(se[4].hessiana); // nu
}
} // namespace
