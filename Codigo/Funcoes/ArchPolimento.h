// A fit of the ARCH family as the conditional-volatility tool makes it: the pattern search of
// estima_arch, then a polish that takes it to the maximum where the search stops short.
// Plain C++ on vectors; nothing here knows of Excel.
#pragma once

#include <memory>
#include <vector>

#include "EstatisticasArch.h"

struct AjusteArch {
  EspecArch espec;
  int resultado = 0; // estima_arch's: 1 converged, -1 iteration limit, 0 unknown model
  bool polimento_convergiu = false; // the polish's best run ended by its own criterion
  bool polido = false;              // the polish's point replaced the search's
  std::vector<double> theta;
  double LL = 0;

  // The search stopped by its own rule, or the polish reached a maximum.
  bool convergiu() const { return resultado == 1 || polimento_convergiu; }
};

// How much higher the polish's log-likelihood must be for its point to replace the search's:
// below this the search's point stands bit for bit.
inline constexpr double kGanhoPolimentoArch = 0.001;

// The maxima of lower orders that the polishes of one series share; see ajusta_arch.
struct MemoriaPolimentoArch;
std::shared_ptr<MemoriaPolimentoArch> memoria_polimento_arch();

// estima_arch, then, on the same scaled series (e 10^k, escala_arch) and inside the same
// admissible region, quasi-Newton climbs (BFGS on the likelihood's analytic gradient, with the
// region mapped onto open coordinates) from:
//   the search's end point;
//   typical persistences (the variance level from mean(e^2)), each total spread evenly over
//   the lags (the betas' on the alphas when p is 0, but for EGARCH):
//     ARCH      sum alpha 0.3, 0.6, 0.9
//     GARCH     alpha 0.05, beta 0.90; alpha 0.15, beta 0.80; alpha 0.04, beta 0.95;
//               alpha 0.05, beta 0.30
//     IGARCH    alpha 0.05, beta 0.95; alpha 0.20, beta 0.80
//     EGARCH    alpha 0.10, gamma -0.5, beta 0.95; alpha 0.20, gamma 0, beta 0.90;
//               alpha 0.10, gamma -0.3, beta 0.99
//     GJR       alpha 0.03, gamma 0.08, beta 0.90; alpha 0.08, gamma 0, beta 0.85;
//               alpha 0.02, gamma 0.04, beta 0.96; alpha 0.05, gamma 0.05, beta 0.30
//   or, without shock terms (q = 0), sum beta 0.9, 0.99, 1 and 1.005 (as far as the region
//   goes), omega at the level (EGARCH) or 10 delta at least;
//   the maxima of the same model with q or p one lower, found the same way without a search
//   in fewer steps (past q + p = 3 from their own lower orders only), the terms they lack at
//   the region's floor, at the first lags and one lag later: so a larger model does not stop
//   below what the smaller ones it contains reach;
//   for EGARCH, the maximum at (q - 1, p - 1) with both polynomials times (1 - z): the
//   log-variance on a trend, where EGARCH's likelihood often has its highest ridge;
//   for EGARCH with p >= 2, beta (2, -1) likewise.
// The best admissible point replaces the search's only when its log_verossimilhanca is higher
// by more than kGanhoPolimentoArch. IGARCH's alphas and betas keep adding to 1. The lower
// orders' maxima are kept in `memoria` when one is given (one per series: the best-model
// search shares them among its candidates); the result depends on the series and the model
// only, whatever the memory holds.
// Under Student's t or the GED (m.dist) there is no search: climbs in every parameter, nu last,
// from the same model's Gaussian maximum found by the polish alone (kept in `memoria` like the
// lower orders') with several values of nu, from that maximum moved to the region's edge (ARCH,
// GARCH), and from the typical persistences; the highest is the fit. resultado is -1 (0 for a
// model code outside the five) and the fit has converged when its climbs have.
AjusteArch ajusta_arch(const EspecArch& m, const std::vector<double>& e,
                       const std::shared_ptr<MemoriaPolimentoArch>& memoria = nullptr);
