// The ARCH fits of every candidate, and the tool's single and best-model runs, on every series
// of tests/reference/data/arch_maxima.json, against scipy's maxima of the same likelihood.
// Most of a minute of fitting: the release build only.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "Arch/Analise.h"
#include "support/arch_maxima.h"

namespace {
const char* const kSeries[] = {"t5", "t5_outlier", "egarch", "gjr", "dax", "dem_gbp"};

arch::Settings AsGiven() {
  arch::Settings s;
  s.treatment = Tratamento::AsGiven;
  s.log_returns = false;
  return s;
}

// Each model at (1,1), values as given, as the tool fits it for its sheet.
TEST(ArchTool, SingleFitsReachTheMaxima) {
  for (const std::string name : kSeries) {
    const std::vector<double> e = kvtest::ArchSeries(name);
    for (int code = 0; code < 5; ++code) {
      arch::Settings s = AsGiven();
      s.model = static_cast<ModeloArch>(code);
      const auto result = arch::Analyse(s, e);
      ASSERT_TRUE(result) << name << " " << code;
      const EspecArch& m = result->fit.espec;
      EXPECT_TRUE(result->converged()) << name << " " << result->name;
      EXPECT_GE(result->fit.LL, kvtest::ArchMaximum(name, m) - 0.01) << name << " " << result->name;
    }
  }
}

// Every candidate of the best-model search up to (2,2) on every series reaches its maximum (on
// the short series, the search's point kept to the bit unless the polish is higher by more than
// 0.001). Best-model mode: the model chosen by AIC is the one of these fits of least AIC among
// those that converge, each taken at the higher of its fit and scipy's maximum (to the 0.01 of
// the fits), and reaches its maximum; so is BIC's choice.
TEST(ArchTool, FitsAndBestModelReachTheMaxima) {
  const std::array<bool, 5> all{true, true, true, true, true};
  for (const std::string name : kSeries) {
    const std::vector<AjusteArch> fits =
        kvtest::ExpectArchMaxima(name, name != "dax" && name != "dem_gbp");
    const std::vector<double> e = kvtest::ArchSeries(name);
    arch::Settings s = AsGiven();
    s.best = true;
    s.models_tried = all;
    s.q = s.p = 3;
    const auto result = arch::Analyse(s, e);
    ASSERT_TRUE(result) << name;
    EXPECT_GE(result->fit.LL, kvtest::ArchMaximum(name, result->fit.espec) - 0.01) << name;
    for (const CriterioArch criterion : {CriterioArch::Aic, CriterioArch::Bic}) {
      auto value = [&](const EspecArch& m, double ll) {
        const CriteriosArch c = criterios_arch(ll, e.size(), m.k());
        return criterion == CriterioArch::Aic ? c.aic : c.bic;
      };
      double least = std::numeric_limits<double>::infinity();
      for (const AjusteArch& fit : fits)
        if (fit.convergiu())
          least = std::min(
              least, value(fit.espec, std::max(fit.LL, kvtest::ArchMaximum(name, fit.espec))));
      const auto best = melhor_ajuste(fits, e.size(), criterion);
      ASSERT_TRUE(best) << name;
      const AjusteArch& pick = fits[*best];
      if (criterion == CriterioArch::Aic) {
        EXPECT_EQ(arch::NomeModeloArch(pick.espec), result->name) << name;
        EXPECT_EQ(pick.LL, result->fit.LL) << name << ": the tool's fit is the candidate's";
      }
      EXPECT_GE(pick.LL, kvtest::ArchMaximum(name, pick.espec) - 0.01) << name;
      EXPECT_LE(value(pick.espec, pick.LL), least + 2 * 0.01 / static_cast<double>(e.size()))
          << name << ": " << arch::NomeModeloArch(pick.espec) << " is not the least";
    }
  }
}
} // namespace
