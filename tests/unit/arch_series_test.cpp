// Series the ARCH tool cannot fit, refused before any fit: a series whose values are all equal
// (zeros, or a constant), and EGARCH on returns whose zeros leave its likelihood without a
// maximum (zeros alternating with nonzero returns: the variance at each zero can fall to 0 while
// the others stay). What it fits instead never carries EGARCH's mark of a variance at 0.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "Arch/Analise.h"

namespace {
arch::Settings Single(ModeloArch model) {
  arch::Settings s;
  s.model = model;
  s.treatment = Tratamento::AsGiven;
  s.log_returns = false;
  return s;
}

arch::Settings Best(std::array<bool, 5> models) {
  arch::Settings s = Single(ModeloArch::Arch);
  s.model.reset();
  s.best = true;
  s.models_tried = models;
  s.q = s.p = 2;
  return s;
}

// 300 returns near 1%: every other one zero, or the first half zero.
std::vector<double> Returns(bool alternate) {
  std::mt19937_64 random(7);
  std::normal_distribution<double> normal(0, 0.01);
  std::vector<double> e(300);
  for (std::size_t t = 0; t < e.size(); ++t)
    e[t] = (alternate ? t % 2 == 1 : t >= 150) ? normal(random) : 0.0;
  return e;
}

// Every number the sheet takes from the fit is a number, and none is EGARCH's mark.
void ExpectWritable(const arch::Result& r) {
  EXPECT_TRUE(std::isfinite(r.fit.LL) && r.fit.LL > kSentinelaArch) << r.name << " " << r.fit.LL;
  for (double v : r.fit.theta)
    EXPECT_TRUE(std::isfinite(v)) << r.name;
  for (double v : r.lr)
    EXPECT_TRUE(std::isfinite(v)) << r.name;
  EXPECT_TRUE(std::isfinite(r.current_volatility)) << r.name;
  EXPECT_TRUE(std::isfinite(r.criteria.aic) && std::isfinite(r.criteria.bic)) << r.name;
}
} // namespace

TEST(ArchSeries, EqualValuesAreRefusedForEveryModel) {
  const std::array<bool, 5> all{true, true, true, true, true};
  for (double value : {0.0, 0.01, -3.0}) {
    const std::vector<double> x(300, value);
    for (int code = 0; code < 5; ++code) {
      const auto r = arch::Analyse(Single(static_cast<ModeloArch>(code)), x);
      ASSERT_FALSE(r) << value << " model " << code << " LL " << r->fit.LL;
      EXPECT_EQ(r.motivo(), arch::Falha::ZeroVariance) << value << " model " << code;
    }
    const auto best = arch::Analyse(Best(all), x);
    ASSERT_FALSE(best) << value;
    EXPECT_EQ(best.motivo(), arch::Falha::ZeroVariance);
  }
  // Constant prices: their returns are all zero.
  arch::Settings prices = Single(ModeloArch::Garch);
  prices.treatment = Tratamento::LogReturns;
  const auto r = arch::Analyse(prices, std::vector<double>(50, 100.0));
  ASSERT_FALSE(r);
  EXPECT_EQ(r.motivo(), arch::Falha::ZeroVariance);
}

// Zeros alternating with returns: EGARCH with a lagged return, alone or as the only candidate
// of the search, is refused, and the search leaves it out. The other models fit. The first half
// zero leaves EGARCH a maximum (each return after the zeros follows a return of either sign), and
// it is fitted.
TEST(ArchSeries, EgarchWithoutAMaximumIsRefused) {
  const std::vector<double> alternate = Returns(true);
  for (int q : {1, 2}) {
    arch::Settings s = Single(ModeloArch::Egarch);
    s.q = q;
    const auto r = arch::Analyse(s, alternate);
    ASSERT_FALSE(r) << "EGARCH (" << q << ",1) LL " << r->fit.LL;
    EXPECT_EQ(r.motivo(), arch::Falha::Unbounded);
  }
  // Orders below (2, 1): EGARCH (1,0) alone, refused. Below (2, 2): EGARCH (0,1), with no
  // lagged return, keeps its maximum and is the only EGARCH candidate left.
  arch::Settings only = Best({false, false, false, true, false});
  only.p = 1;
  const auto refused = arch::Analyse(only, alternate);
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.motivo(), arch::Falha::Unbounded);
  for (const auto models : {std::array<bool, 5>{false, false, false, true, false},
                            std::array<bool, 5>{false, true, false, true, false}}) {
    const auto best = arch::Analyse(Best(models), alternate);
    ASSERT_TRUE(best);
    EXPECT_FALSE(best->fit.espec.modelo == ModeloArch::Egarch && best->fit.espec.q > 0)
        << best->name;
    ExpectWritable(*best);
  }
  for (ModeloArch model : {ModeloArch::Arch, ModeloArch::Garch, ModeloArch::Gjr}) {
    const auto fit = arch::Analyse(Single(model), alternate);
    ASSERT_TRUE(fit) << static_cast<int>(model);
    ExpectWritable(*fit);
  }
  const auto half = arch::Analyse(Single(ModeloArch::Egarch), Returns(false));
  ASSERT_TRUE(half);
  ExpectWritable(*half);
  // Below the bound of the nonzero terms, -1/2 sum (ln 2 pi + ln e^2 + 1), plus what 150 zeros
  // at a variance no smaller than the smallest return's square could add.
  double bound = 0, smallest = HUGE_VAL;
  for (double e : Returns(false))
    if (e != 0)
      bound -= 0.5 * (std::log(2 * M_PI) + std::log(e * e) + 1),
          smallest = std::min(smallest, e * e);
  bound -= 150 * 0.5 * (std::log(2 * M_PI) + std::log(smallest));
  EXPECT_LT(half->fit.LL, bound);
}
