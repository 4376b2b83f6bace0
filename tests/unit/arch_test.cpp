// The conditional-volatility tool: what it reports of a fit (variances against the independent
// likelihoods of tests/reference/data/arch.json, projections, likelihood-ratio tests, points of
// the chart), the best-model search (candidates, threads, the choice), and whole runs from OK
// to the last call: the sheet, the chart data, the messages, and two golden call sequences in
// tests/unit/golden (one call per line).
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include "Arch/Arch.h"
#include "Funcoes/EstatisticasArch.h"
#include "Funcoes/MelhorArch.h"
#include "Lancamento.h"
#include "Tabelas.h"
#include "support/call_transcript.h"
#include "support/recording_dispatcher.h"
#include "support/reference_data.h"
#include "support/tool_run.h"
#include "support/xloper_builders.h"

using kvtest::Call;
using kvtest::RecordingDispatcher;
using nlohmann::json;

namespace {
std::vector<double> Dax(double factor = 1) {
  auto e = kvtest::ReferenceFile("arch.json")["dax_log_returns"].get<std::vector<double>>();
  for (double& v : e)
    v *= factor;
  return e;
}

double Likelihood(const std::vector<double>& e, const std::vector<double>& h) {
  double sum = 0;
  for (std::size_t t = 0; t < e.size(); ++t)
    sum += e[t] * e[t] / h[t] + std::log(h[t]);
  return -0.5 * static_cast<double>(e.size()) * std::log(2 * std::numbers::pi) - 0.5 * sum;
}

// The fitted parameters written in the series' units for returns 100 times larger: the
// variance scales by 10^4 (for EGARCH, omega moves by 2 ln 100 (1 - sum beta)).
std::vector<double> InPercent(const EspecArch& m, std::vector<double> theta) {
  if (m.modelo == ModeloArch::Egarch) {
    double beta = 0;
    for (int j = 1; j <= m.p; ++j)
      beta += theta[static_cast<std::size_t>(m.q + m.r + j)];
    theta[0] += 2 * std::log(100.0) * (1 - beta);
  } else {
    theta[0] *= 1e4;
  }
  return theta;
}
} // namespace

// h(0) .. h(T-1) give the likelihood of an independent implementation at its points, for
// every model; h(T) continues the same recursion one step.
TEST(EstatisticasArch, VariancesGiveTheIndependentLikelihoods) {
  const auto e = kvtest::ReferenceFile("arch.json")["series"].get<std::vector<double>>();
  for (const json& c : kvtest::ReferenceCases("arch.json", "likelihoods")) {
    const auto theta = c["theta"].get<std::vector<double>>();
    const EspecArch m{static_cast<ModeloArch>(c["model"].get<int>()), c["q"].get<int>(),
                      c["r"].get<int>(), c["p"].get<int>()};
    const std::string name = std::to_string(c["model"].get<int>()) + " " + c["theta"].dump();
    const auto h = variancias_condicionais(m, e, theta);
    ASSERT_EQ(h.size(), e.size() + 1);
    const double expected = c["ll"];
    EXPECT_NEAR(Likelihood(e, h), expected, 1e-9 * std::fabs(expected)) << name;
    // One more observation, repeating the last: its variance at T is the old h(T).
    std::vector<double> longer = e;
    longer.push_back(e.back());
    if (m.modelo == ModeloArch::Egarch || m.modelo == ModeloArch::Gjr || !estacionario(m, theta))
      continue; // the start value is the mean square, which the longer series changes
    EXPECT_NEAR(variancias_condicionais(m, longer, theta)[e.size()], h.back(), 1e-12 * h.back())
        << name;
  }
}

// GARCH(1,1) forecasts approach the unconditional variance geometrically; ARCH(2) keeps the
// last observed shock in its second step and replaces only future shocks by their variances.
TEST(EstatisticasArch, ProjectionsReplaceOnlyFutureShocks) {
  const auto e = Dax();
  const std::vector<double> garch{4.6e-6, 0.068, 0.889};
  const EspecArch g{ModeloArch::Garch, 1, 0, 1};
  const auto h = variancias_condicionais(g, e, garch);
  const auto projected = variancias_projetadas(g, e, garch, 20);
  ASSERT_TRUE(projected);
  const std::vector<double>& ahead = *projected;
  ASSERT_EQ(ahead.size(), 20u);
  EXPECT_EQ(ahead[0], h.back());
  const double s2 = garch[0] / (1 - garch[1] - garch[2]);
  for (std::size_t j = 0; j < ahead.size(); ++j)
    EXPECT_NEAR(ahead[j], s2 + std::pow(garch[1] + garch[2], j) * (h.back() - s2), 1e-15) << j;

  const std::vector<double> arch{5e-5, 0.2, 0.3};
  const EspecArch a{ModeloArch::Arch, 2, 0, 0};
  const auto projected_arch = variancias_projetadas(a, e, arch, 3);
  ASSERT_TRUE(projected_arch);
  const std::vector<double>& b = *projected_arch;
  const double last = e.back() * e.back(), before = e[e.size() - 2] * e[e.size() - 2];
  EXPECT_DOUBLE_EQ(b[0], arch[0] + arch[1] * last + arch[2] * before);
  EXPECT_DOUBLE_EQ(b[1], arch[0] + arch[1] * b[0] + arch[2] * last);
  EXPECT_DOUBLE_EQ(b[2], arch[0] + arch[1] * b[1] + arch[2] * b[0]);

  // Only a stationary fit has projections.
  const auto igarch = variancias_projetadas({ModeloArch::Igarch, 1, 0, 1}, e, {1e-6, 0.1, 0.9}, 3);
  ASSERT_FALSE(igarch);
  EXPECT_EQ(igarch.motivo(), FalhaProjecao::NotStationary);
  EXPECT_FALSE(variancias_projetadas({ModeloArch::Gjr, 1, 1, 1}, e, {1e-6, 0.05, 0.1, 0.8}, 3));
}

// Stationarity needs the margin 2 delta (q + p) and belongs to ARCH and GARCH fits alone.
TEST(EstatisticasArch, StationaryFitsAndChartPoints) {
  EXPECT_TRUE(estacionario({ModeloArch::Garch, 1, 0, 1}, {1, 0.1, 0.89995}));
  EXPECT_FALSE(estacionario({ModeloArch::Garch, 1, 0, 1}, {1, 0.1, 0.89996}));
  EXPECT_FALSE(estacionario({ModeloArch::Igarch, 1, 0, 1}, {1, 0.1, 0.5}));
  EXPECT_FALSE(estacionario({ModeloArch::Egarch, 0, 0, 1}, {-0.1, 0.5}));
  EXPECT_FALSE(estacionario({ModeloArch::Gjr, 0, 0, 1}, {0.1, 0.5}));

  struct Case {
    std::size_t T;
    bool stationary;
    std::size_t observed, points;
  };
  for (const Case& c : {Case{300, true, 230, 250}, Case{100, true, 100, 107},
                        Case{233, true, 233, 249}, Case{234, true, 230, 250}, Case{3, true, 3, 3},
                        Case{249, false, 249, 249}, Case{250, false, 230, 250}}) {
    const PontosGrafico p = pontos_grafico(c.T, c.stationary);
    EXPECT_EQ(p.observacoes, c.observed) << c.T;
    EXPECT_EQ(p.pontos, c.points) << c.T;
  }
  const CriteriosArch tight = criterios_arch(10, 3, 2);
  EXPECT_FALSE(tight.aicc) << "T - k - 1 = 0";
  EXPECT_DOUBLE_EQ(tight.aic, (-20 + 4) / 3.0);
  EXPECT_TRUE(criterios_arch(10, 4, 2).aicc);
}

// The test of omega restricts it on the scale of the search, so returns in units and in percent
// give the same statistics; a GJR alpha restricted with a negative gamma takes gamma with it, or
// the variance of a negative shock could turn negative.
TEST(EstatisticasArch, LikelihoodRatiosDoNotDependOnTheUnits) {
  const auto units = Dax(), percent = Dax(100);
  const std::vector<std::pair<EspecArch, std::vector<double>>> fits{
      {{ModeloArch::Garch, 1, 0, 1}, {4.6e-6, 0.068, 0.889}},
      {{ModeloArch::Arch, 2, 0, 0}, {1e-4, 0.1, 0.12}},
      {{ModeloArch::Egarch, 1, 1, 1}, {-0.25, 0.14, -0.4, 0.97}},
      {{ModeloArch::Gjr, 1, 1, 1}, {4e-6, 0.09, -0.05, 0.88}}};
  for (const auto& [m, theta] : fits) {
    const auto a = razoes_verossimilhanca(m, units, theta);
    const auto b = razoes_verossimilhanca(m, percent, InPercent(m, theta));
    ASSERT_EQ(a.size(), theta.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
      EXPECT_TRUE(std::isfinite(a[i])) << i;
      EXPECT_NEAR(a[i], b[i], 1e-6 * std::fabs(a[i])) << static_cast<int>(m.modelo) << " " << i;
    }
  }
  // GJR: restricting alpha_1 = 0.09 with gamma_1 = -0.1 alone would give the negative shocks
  // the weight -0.01.
  const EspecArch gjr{ModeloArch::Gjr, 1, 1, 1};
  const auto lr = razoes_verossimilhanca(gjr, units, {4e-6, 0.09, -0.08, 0.88});
  EXPECT_TRUE(std::isfinite(lr[1]));
}

// The candidates of the best-model search, in the order of the choice.
TEST(MelhorArch, CandidatesRunFromZeroToTheMaximumLessOne) {
  const auto garch = candidatos_arch({false, true, false, false, false}, 2, 2);
  ASSERT_EQ(garch.size(), 3u);
  const std::pair<int, int> orders[] = {{1, 0}, {0, 1}, {1, 1}};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(garch[i].q, orders[i].first);
    EXPECT_EQ(garch[i].p, orders[i].second);
  }
  const auto all = candidatos_arch({true, true, true, true, true}, 3, 3);
  EXPECT_EQ(all.size(), 34u);
  EXPECT_EQ(all[0].modelo, ModeloArch::Arch);
  EXPECT_EQ(all[1].q, 2);
  EXPECT_EQ(all[2].modelo, ModeloArch::Garch);
  EXPECT_EQ(all.back().modelo, ModeloArch::Gjr);
  EXPECT_EQ(all.back().r, 2);
  EXPECT_TRUE(candidatos_arch({true, true, true, true, true}, 1, 1).empty());
  EXPECT_EQ(candidatos_arch({true, false, false, false, false}, 3, 3).size(), 2u)
      << "ARCH has no order p";
}

// On one thread or four, every fit is the same to the last bit, in the candidates' order, and
// each end is reported on the calling thread; a failure in the report stops the search and is
// thrown after every thread stopped.
TEST(MelhorArch, ThreadsChangeNothing) {
  const auto e = Dax();
  const std::vector<double> shorter(e.end() - 250, e.end());
  const auto candidates = candidatos_arch({true, true, true, false, true}, 3, 2);
  std::vector<std::vector<AjusteArch>> runs;
  for (unsigned threads : {1u, 4u}) {
    std::size_t reports = 0;
    const auto caller = std::this_thread::get_id();
    runs.push_back(
        ajusta_candidatos(candidates, shorter, threads, [&](std::size_t done, const EspecArch&) {
          EXPECT_EQ(std::this_thread::get_id(), caller);
          EXPECT_EQ(done, ++reports);
        }));
    EXPECT_EQ(reports, candidates.size());
  }
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    EXPECT_EQ(runs[0][i].espec.modelo, candidates[i].modelo);
    EXPECT_EQ(runs[0][i].espec.q, candidates[i].q);
    EXPECT_EQ(runs[0][i].theta, runs[1][i].theta) << i;
    EXPECT_EQ(runs[0][i].LL, runs[1][i].LL) << i;
    const AjusteArch alone = ajusta_arch(candidates[i], shorter);
    EXPECT_EQ(alone.resultado, runs[1][i].resultado);
    EXPECT_EQ(alone.theta, runs[1][i].theta) << "fitted as if alone";
    EXPECT_EQ(alone.LL, runs[1][i].LL);
  }
  EXPECT_THROW(ajusta_candidatos(candidates, shorter, 2,
                                 [](std::size_t done, const EspecArch&) {
                                   if (done == 2) throw std::runtime_error("stop");
                                 }),
               std::runtime_error);
}

// The first of the least criterion wins; a fit at the iteration limit (unless its polish
// converged) or without the criterion cannot.
TEST(MelhorArch, ChoiceKeepsTheFirstOfTheLeast) {
  auto fit = [](ModeloArch m, int q, int p, double ll, int result = 1) {
    AjusteArch a;
    a.espec = espec_arch(m, q, p);
    a.LL = ll;
    a.resultado = result;
    return a;
  };
  const std::vector<AjusteArch> fits{fit(ModeloArch::Garch, 1, 0, 100),
                                     fit(ModeloArch::Garch, 0, 1, 100),
                                     fit(ModeloArch::Garch, 1, 1, 500, -1)};
  EXPECT_EQ(*melhor_ajuste(fits, 50, CriterioArch::Aic), 0u);
  const auto unconverged = melhor_ajuste({fits[2]}, 50, CriterioArch::Bic);
  ASSERT_FALSE(unconverged);
  EXPECT_EQ(unconverged.motivo(), FalhaMelhorAjuste::NoneQualifies);
  // A search stopped at the limit whose polish reached a maximum takes part.
  AjusteArch polished = fits[2];
  polished.polimento_convergiu = true;
  EXPECT_EQ(*melhor_ajuste({fits[0], polished}, 50, CriterioArch::Aic), 1u);
  // T = 3: AICc of the one-parameter fits divides by 3 - 1 - 1 = 1, of (1,1) by 0.
  const std::vector<AjusteArch> short_fits{fit(ModeloArch::Garch, 1, 0, 1),
                                           fit(ModeloArch::Garch, 1, 1, 50)};
  EXPECT_EQ(*melhor_ajuste(short_fits, 3, CriterioArch::Aic), 1u);
  EXPECT_EQ(*melhor_ajuste(short_fits, 3, CriterioArch::Aicc), 0u);
}
