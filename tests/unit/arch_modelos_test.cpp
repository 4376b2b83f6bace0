// The ARCH-family likelihood against an independent implementation, and the estimator against
// the maxima scipy.optimize finds for the same likelihood and R fGarch's GARCH(1,1), generated
// by tests/reference/generate_arch.py into reference/data.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <bit>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>

#include "Funcoes/ArchModelos.h"
#include "support/reference_data.h"

using nlohmann::json;

namespace {
const json& Reference() {
  return kvtest::ReferenceFile("arch.json");
}

const json& Cases(const std::string& key) {
  return kvtest::ReferenceCases("arch.json", key);
}

ModeloArch Model(const json& c) {
  return static_cast<ModeloArch>(c["model"].get<int>());
}

std::vector<double> Dax(double factor) {
  auto e = Reference()["dax_log_returns"].get<std::vector<double>>();
  for (double& v : e)
    v *= factor;
  return e;
}

bool SameBits(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// The pattern search as the rules in ArchModelos.h state it, one likelihood at a time.
struct PlainResult {
  std::vector<double> theta;
  double ll;
  long passes = 0, evaluations = 0;
  int code;
};

PlainResult PlainSearch(ModeloArch model, int q, int r, int p, const std::vector<double>& e) {
  constexpr double d0 = 1e-5;
  const bool egarch = model == ModeloArch::Egarch, gjr = model == ModeloArch::Gjr;
  const bool igarch = model == ModeloArch::Igarch, bounded = !egarch && !gjr && !igarch;
  if (!egarch && !gjr) r = 0;
  const int n = q + r + p;
  PlainResult res{std::vector<double>(static_cast<std::size_t>(n + 1), d0), 0, 0, 0, -1};
  std::vector<double>& th = res.theta;
  if (igarch) th[1] = 1 - (q + p - 1) * d0;
  auto eval = [&] {
    ++res.evaluations;
    return log_verossimilhanca(model, q, r, p, e, th);
  };
  double best = eval(), S = n * d0;
  int k = 0, d = 1, partner = -1, parado = 0;
  long m = 1;
  bool primeiro = true, reduzido = false;
  while (res.passes < 100000) {
    ++res.passes;
    const double step = d * d0 * static_cast<double>(m);
    th[k] += step;
    if (bounded && k > 0) S += step;
    const int pair = k >= 1 && k <= r ? k : (k > q && k <= q + r ? k - q : 0);
    bool ok = true;
    if (bounded) ok = th[k] >= d0 && S <= 1 - d0;
    if (igarch) ok = th[k] >= d0;
    if (gjr)
      ok = ((k > q && k <= q + r) || th[k] >= d0) && (!pair || th[pair] + th[q + pair] >= d0);
    bool better = false;
    if (ok && igarch && k > 0 && partner >= 0) { // the remembered partner compensates
      th[partner] -= step;
      if (th[partner] >= d0) {
        const double L = eval();
        if (L > best) best = L, better = true;
      }
      if (!better) th[partner] += step;
    } else if (ok && igarch && k > 0) { // the first of the best partners
      for (int j = 1; j <= q + p; ++j) {
        if (j == k) continue;
        th[j] -= step;
        if (th[j] >= d0) {
          const double L = eval();
          if (L > best) best = L, partner = j;
        }
        th[j] += step;
      }
      if (partner >= 0) th[partner] -= step, better = true;
    } else if (ok) {
      const double L = eval();
      if (L > best) best = L, better = true;
    }
    if (better) {
      parado = 0, primeiro = false;
      if (!reduzido && m < 10000) m *= 10;
      continue;
    }
    th[k] -= step;
    if (bounded && k > 0) S -= step;
    if (primeiro) {
      primeiro = false, d = -d, reduzido = false;
      continue;
    }
    m /= 10, reduzido = true;
    if (m == 1 && (ok || igarch)) primeiro = true;
    if (m > 0) continue;
    m = 1, reduzido = false, k = k + 1 > n ? 0 : k + 1, d = 1, primeiro = true, partner = -1;
    if (++parado > n) {
      res.code = 1;
      break;
    }
  }
  res.ll = best;
  return res;
}
} // namespace

TEST(LogVerossimilhanca, AgreesWithIndependentImplementation) {
  const auto e = Reference()["series"].get<std::vector<double>>();
  for (const json& c : Cases("likelihoods")) {
    const double ll = log_verossimilhanca(Model(c), c["q"], c["r"], c["p"], e,
                                          c["theta"].get<std::vector<double>>());
    const double want = c["ll"];
    EXPECT_NEAR(ll, want, 1e-11 * std::fabs(want)) << "model " << c["model"] << " " << c["theta"];
  }
}

// A batch gives every vector the value it has alone, bit for bit: the compiled small orders
// and a larger one, batches split in groups, GARCH's start h0 = omega / (1 - S) and its
// fallback, non-normal variances, EGARCH's sentinel and GJR's negative asymmetry.
TEST(LogVerossimilhanca, BatchEqualsSingleCallsBitForBit) {
  const auto e = Dax(100.0);
  struct Order {
    int q, r, p;
  };
  for (int code = 0; code < 5; ++code) {
    const auto model = static_cast<ModeloArch>(code);
    const bool asym = model == ModeloArch::Egarch || model == ModeloArch::Gjr;
    for (const Order o : {Order{1, 1, 1}, Order{2, 2, 2}, Order{1, 0, 2}, Order{3, 3, 1}}) {
      const int r = asym ? o.r : 0, size = 1 + o.q + r + o.p;
      std::vector<std::vector<double>> thetas;
      for (int v = 0; v < 7; ++v) {
        std::vector<double> th(static_cast<std::size_t>(size));
        for (int i = 0; i < size; ++i)
          th[i] = 0.3 / size + 0.01 * ((v * 7 + i * 3) % 5);
        if (asym && r > 0) th[o.q + 1] = -0.04 * v; // asymmetry of either sign
        thetas.push_back(th);
      }
      thetas[1][o.q + r + 1] = 1.0; // persistence above 1: h0 from mean(e^2)
      thetas[2][0] = -3.0;          // negative variances, or EGARCH's small ones
      thetas[3][0] = 0.0;           // zero variance at the start
      if (model == ModeloArch::Egarch)
        thetas[4] = std::vector<double>(size, 0.0), thetas[4][0] = -800;
      const auto batch = log_verossimilhancas(model, o.q, r, o.p, e, thetas);
      ASSERT_EQ(batch.size(), thetas.size());
      for (std::size_t v = 0; v < thetas.size(); ++v) {
        const double single = log_verossimilhanca(model, o.q, r, o.p, e, thetas[v]);
        EXPECT_TRUE(SameBits(batch[v], single))
            << "model " << code << " (" << o.q << "," << r << "," << o.p << ") vector " << v << ": "
            << batch[v] << " vs " << single;
      }
      if (model == ModeloArch::Egarch) {
        EXPECT_EQ(batch[4], kSentinelaArch);
      }
    }
  }
}

// One observation: h(0) is omega + alpha h0 + beta h0 with h0 = omega / (1 - alpha - beta), that
// is h0 itself; EGARCH starts from e(0)^2.
TEST(LogVerossimilhanca, SeriesOfLengthOne) {
  const std::vector<double> e{0.7};
  const double h0 = 0.2 / (1 - 0.1 - 0.6);
  const double want = -0.5 * std::log(2 * std::numbers::pi) - 0.5 * (0.49 / h0 + std::log(h0));
  EXPECT_NEAR(log_verossimilhanca(ModeloArch::Garch, 1, 0, 1, e, {0.2, 0.1, 0.6}), want, 1e-15);
  const double lnh = 0.1 + 0.3 * (1 - 0.2) + 0.5 * std::log(0.49);
  const double egarch = -0.5 * std::log(2 * std::numbers::pi) - 0.5 * (0.49 / std::exp(lnh) + lnh);
  EXPECT_NEAR(log_verossimilhanca(ModeloArch::Egarch, 1, 1, 1, e, {0.1, 0.3, -0.2, 0.5}), egarch,
              1e-14);
  // A variance that underflows is the sentinel.
  EXPECT_EQ(log_verossimilhanca(ModeloArch::Egarch, 1, 1, 1, std::vector<double>{0.7, 0.1},
                                {-800, 0.0, 0.0, 0.0}),
            kSentinelaArch);
}

// Each model on the DAX log returns, in units and in percent: the search stops by its own
// criterion within 0.01 of the best maximum scipy finds from several starts in the region.
TEST(EstimaArch, ReachesTheMaximumOnDaxReturns) {
  const auto units = Dax(1.0), percent = Dax(100.0);
  for (const json& c : Cases("maxima")) {
    const std::string scale = c["scale"], name = c["name"].get<std::string>() + " " + scale;
    const auto& e = scale == "units" ? units : percent;
    std::vector<double> theta;
    double ll = 0;
    DiagnosticoArch diag;
    const auto start = std::chrono::steady_clock::now();
    const int result = estima_arch(Model(c), c["q"], c["r"], c["p"], e, theta, ll, &diag);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const double best = c["ll"];
    std::printf("%-20s LL %.4f  gap to scipy %+.5f  evaluations %6ld  %7.1f ms  k %d\n",
                name.c_str(), ll, ll - best, diag.avaliacoes, ms, diag.escala);
    EXPECT_EQ(result, 1) << name;
    EXPECT_GE(ll, best - 0.01) << name;
    EXPECT_NEAR(ll, log_verossimilhanca(Model(c), c["q"], c["r"], c["p"], e, theta),
                1e-6 * std::fabs(ll))
        << name << ": the reported LL is not the likelihood of the reported point";
    if (Model(c) == ModeloArch::Igarch) {
      EXPECT_NEAR(theta[1] + theta[2], 1.0, 1e-12) << name;
    }
  }
}

TEST(EstimaArch, GarchMatchesFGarchOnPercentReturns) {
  std::vector<double> theta;
  double ll;
  ASSERT_EQ(estima_arch(ModeloArch::Garch, 1, 0, 1, Dax(100.0), theta, ll), 1);
  const json& fg = Reference()["fgarch_garch11_percent"];
  EXPECT_NEAR(theta[1], fg["alpha"].get<double>(), 0.01);
  EXPECT_NEAR(theta[2], fg["beta"].get<double>(), 0.01);
}

// Start values, codes and region rules that the maximum alone would not show.
TEST(EstimaArch, StartPointsAndRegions) {
  std::vector<double> theta{9, 9};
  double ll = 123;
  EXPECT_EQ(estima_arch(static_cast<ModeloArch>(7), 1, 0, 1, Dax(100.0), theta, ll), 0);
  EXPECT_EQ(theta, (std::vector<double>{1e-5, 1e-5, 1e-5}));
  EXPECT_EQ(ll, 123);

  // The returns with their sign turned: bad news raise the variance less than good news, so
  // the GJR asymmetry comes out negative, with alpha + gamma kept at or above delta.
  auto flipped = Dax(-100.0);
  ASSERT_EQ(estima_arch(ModeloArch::Gjr, 1, 1, 1, flipped, theta, ll), 1);
  EXPECT_LT(theta[2], 0);
  EXPECT_GE(theta[1] + theta[2], 1e-5 - 1e-15);

  // GARCH never leaves alpha + beta <= 1 - delta: on a series whose variance jumps the
  // persistence presses against the bound.
  std::vector<double> regime;
  for (int i = 0; i < 400; ++i)
    regime.push_back((i < 200 ? 0.5 : 3.0) * std::sin(1.7 * i + 0.3 * i * i));
  ASSERT_EQ(estima_arch(ModeloArch::Garch, 1, 0, 1, regime, theta, ll), 1);
  EXPECT_LE(theta[1] + theta[2], 1 - 1e-5 + 1e-12);
  EXPECT_GE(theta[0], 1e-5);

  // ARCH(1) on a constant series stays inside omega >= delta, delta <= alpha <= 1 - delta.
  ASSERT_EQ(estima_arch(ModeloArch::Arch, 1, 0, 0, std::vector<double>(50, 0.8), theta, ll), 1);
  EXPECT_GE(theta[0], 1e-5);
  EXPECT_GE(theta[1], 1e-5);
  EXPECT_LE(theta[1], 1 - 1e-5 + 1e-12);
}

// The search that evaluates its trials in batches takes the path of the plain one: the same
// passes, evaluations, point and likelihood, to the last bit.
TEST(EstimaArch, TakesThePathOfThePlainSearch) {
  const auto all = Dax(100.0);
  const std::vector<double> e(all.begin(), all.begin() + 500);
  struct Case {
    ModeloArch model;
    int q, r, p;
  };
  for (const Case c : {Case{ModeloArch::Arch, 2, 0, 0}, Case{ModeloArch::Garch, 1, 0, 1},
                       Case{ModeloArch::Igarch, 2, 0, 1}, Case{ModeloArch::Egarch, 1, 1, 1},
                       Case{ModeloArch::Egarch, 2, 2, 1}, Case{ModeloArch::Gjr, 1, 1, 1}}) {
    const PlainResult plain = PlainSearch(c.model, c.q, c.r, c.p, e);
    std::vector<double> theta;
    double ll;
    DiagnosticoArch diag;
    const int code = estima_arch(c.model, c.q, c.r, c.p, e, theta, ll, &diag);
    const std::string name = "model " + std::to_string(static_cast<int>(c.model)) + " q " +
                             std::to_string(c.q) + " p " + std::to_string(c.p);
    EXPECT_EQ(code, plain.code) << name;
    EXPECT_EQ(diag.iteracoes, plain.passes) << name;
    EXPECT_EQ(diag.avaliacoes, plain.evaluations) << name;
    EXPECT_TRUE(SameBits(ll, plain.ll)) << name << ": " << ll << " vs " << plain.ll;
    ASSERT_EQ(theta.size(), plain.theta.size()) << name;
    for (std::size_t i = 0; i < theta.size(); ++i)
      EXPECT_TRUE(SameBits(theta[i], plain.theta[i])) << name << " theta " << i;
    if (c.model == ModeloArch::Egarch) {
      EXPECT_GT(diag.especulativas, 0) << name;
    } else {
      EXPECT_EQ(diag.especulativas, 0) << name;
    }
  }
}

// Returns in units are fitted on the percent scale and carried back exactly: the same point
// and a likelihood that differs by T ln(100).
TEST(EstimaArch, DecimalScalingIsExact) {
  const auto units = Dax(1.0), percent = Dax(100.0);
  for (ModeloArch model : {ModeloArch::Garch, ModeloArch::Egarch}) {
    const bool egarch = model == ModeloArch::Egarch;
    const int r = egarch ? 1 : 0;
    std::vector<double> tu, tp;
    double lu, lp;
    DiagnosticoArch du, dp;
    ASSERT_EQ(estima_arch(model, 1, r, 1, units, tu, lu, &du), 1);
    ASSERT_EQ(estima_arch(model, 1, r, 1, percent, tp, lp, &dp), 1);
    EXPECT_EQ(du.escala, 2);
    EXPECT_EQ(dp.escala, 0);
    EXPECT_NEAR(lu - lp, units.size() * std::log(100.0), 1e-6) << "EGARCH " << egarch;
    for (std::size_t i = 1; i < tu.size(); ++i)
      EXPECT_NEAR(tu[i], tp[i], 1e-9) << "EGARCH " << egarch << " " << i;
    const double omega = egarch ? tp[0] - 2 * 2 * std::log(10.0) * (1 - tp[3]) : tp[0] * 1e-4;
    EXPECT_NEAR(tu[0], omega, 1e-9 * std::fabs(omega) + 1e-15) << "EGARCH " << egarch;
  }
}
