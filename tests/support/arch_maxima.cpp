#include "arch_maxima.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>

#include "Funcoes/MelhorArch.h"
#include "reference_data.h"

namespace kvtest {
namespace {
EspecArch Model(const nlohmann::json& fit) {
  return espec_arch(static_cast<ModeloArch>(fit["model"].get<int>()), fit["q"], fit["p"]);
}

std::string Label(const EspecArch& m) {
  static const char* const kNames[] = {"ARCH", "GARCH", "IGARCH", "EGARCH", "GJR"};
  return std::string(kNames[static_cast<int>(m.modelo)]) + "(" + std::to_string(m.q) + "," +
         std::to_string(m.p) + ")";
}
} // namespace

std::vector<double> ArchSeries(const std::string& name) {
  if (name == "dax")
    return ReferenceFile("arch.json")["dax_log_returns"].get<std::vector<double>>();
  if (name == "dem_gbp") {
    std::ifstream file(std::string(KV_SOURCE_DIR) + "/data/dem2gbp.csv");
    std::string header;
    std::getline(file, header);
    std::vector<double> e;
    for (double v; file >> v;)
      e.push_back(v);
    EXPECT_EQ(e.size(), 1974u);
    return e;
  }
  return ReferenceFile("arch_maxima.json")["series"][name].get<std::vector<double>>();
}

double ArchMaximum(const std::string& series, const EspecArch& m) {
  for (const auto& fit : ReferenceFile("arch_maxima.json")["maxima"][series]["fits"]) {
    const EspecArch r = Model(fit);
    if (r.modelo == m.modelo && r.q == m.q && r.p == m.p) return fit["ll"];
  }
  ADD_FAILURE() << "no maximum of " << Label(m) << " on " << series;
  return 0;
}

bool AdmissibleArch(const EspecArch& m, const std::vector<double>& th,
                    const std::vector<double>& e) {
  constexpr double delta = kDeltaArch;
  if (th.size() != static_cast<std::size_t>(m.parametros())) return false;
  const double omega_floor = delta * std::pow(10.0, -2 * escala_arch(e)) * (1 - 1e-12);
  if (m.modelo != ModeloArch::Egarch && th[0] < omega_floor) return false;
  if (m.modelo == ModeloArch::Egarch) return true;
  double sum = 0;
  for (int i = 1; i <= m.q; ++i) {
    sum += th[static_cast<std::size_t>(i)];
    if (th[static_cast<std::size_t>(i)] < delta) return false;
    if (i <= m.r && th[static_cast<std::size_t>(i)] + th[static_cast<std::size_t>(m.q + i)] < delta)
      return false;
  }
  for (int j = 1; j <= m.p; ++j) {
    sum += th[static_cast<std::size_t>(m.q + m.r + j)];
    if (th[static_cast<std::size_t>(m.q + m.r + j)] < delta) return false;
  }
  if (m.modelo == ModeloArch::Igarch) return std::fabs(sum - 1) <= 1e-12;
  return m.modelo == ModeloArch::Gjr || sum <= 1 - delta;
}

void ExpectPolishRule(const EspecArch& m, const std::vector<double>& e, const AjusteArch& fit,
                      const std::string& where) {
  std::vector<double> theta;
  double ll = 0;
  EXPECT_EQ(estima_arch(m.modelo, m.q, m.r, m.p, e, theta, ll), fit.resultado) << where;
  if (fit.polido) {
    EXPECT_GT(fit.LL, ll + kGanhoPolimentoArch) << where;
    EXPECT_TRUE(AdmissibleArch(m, fit.theta, e)) << where;
    return;
  }
  EXPECT_EQ(fit.theta.size(), theta.size()) << where;
  for (std::size_t i = 0; i < theta.size() && i < fit.theta.size(); ++i)
    EXPECT_EQ(std::bit_cast<std::uint64_t>(fit.theta[i]), std::bit_cast<std::uint64_t>(theta[i]))
        << where << ": the search's point must stand as it was";
  EXPECT_EQ(std::bit_cast<std::uint64_t>(fit.LL), std::bit_cast<std::uint64_t>(ll)) << where;
}

std::vector<AjusteArch> ExpectArchMaxima(const std::string& series, bool rule) {
  const std::vector<double> e = ArchSeries(series);
  const auto& references = ReferenceFile("arch_maxima.json")["maxima"][series]["fits"];
  EXPECT_EQ(references.size(), 34u) << series;
  std::vector<EspecArch> models;
  for (const auto& reference : references)
    models.push_back(Model(reference));
  const std::vector<AjusteArch> fits = ajusta_candidatos(models, e, 2, {});
  for (std::size_t c = 0; c < models.size(); ++c) {
    const auto& reference = references[c];
    const EspecArch& m = models[c];
    const AjusteArch& fit = fits[c];
    const double best = reference["ll"];
    std::printf("%-10s %-12s LL %11.4f  scipy %11.4f  %+9.4f%s%s\n", series.c_str(),
                Label(m).c_str(), fit.LL, best, fit.LL - best, fit.polido ? "  polished" : "",
                fit.convergiu() ? "" : "  not converged");
    const std::string where = series + " " + Label(m);
    // EGARCH's likelihood beyond (1,1) has ridges on each side of every alpha_i = 0, where the
    // term of gamma_i vanishes: a climb on one side does not cross to the other.
    const bool ridges = m.modelo == ModeloArch::Egarch && (m.q != 1 || m.p != 1);
    EXPECT_GE(fit.LL, best - (ridges ? 0.1 : 0.01)) << where;
    EXPECT_TRUE(AdmissibleArch(m, fit.theta, e)) << where;
    EXPECT_NEAR(fit.LL, log_verossimilhanca(m.modelo, m.q, m.r, m.p, e, fit.theta),
                1e-9 * std::fabs(fit.LL))
        << where << ": the LL is not the likelihood of the point";
    if (rule) ExpectPolishRule(m, e, fit, where);
  }
  return fits;
}

} // namespace kvtest
