// The standard errors of an ARCH-family fit: from the inverse of the negative Hessian of the
// log-likelihood, and the Bollerslev-Wooldridge sandwich H^-1 (sum_t s_t s_t') H^-1 of the
// per-observation scores s_t, which stays right when the errors' distribution is not the one
// assumed. Plain C++; nothing here knows of Excel.
#pragma once

#include <optional>
#include <vector>

#include "EstatisticasArch.h"

struct ErroPadraoArch {
  std::optional<double> hessiana; // sqrt of the diagonal of (-H)^-1
  std::optional<double> robusto;  // sqrt of the diagonal of the sandwich
};

// One per parameter of theta (the fit's, in the units of the series), in the same units. The
// derivatives are taken on the scale of the search (e 10^k, escala_arch), where the bounds live,
// and carried back by the delta method (omega's change of units; for EGARCH omega also moves
// with the betas). A parameter on or within 2 delta of a bound of the admissible region is held
// there and has no standard error: omega, alpha, beta >= delta; a GJR pair alpha_i + gamma_i >=
// delta (gamma_i held, alpha_i moving against it); an ARCH or GARCH sum of alphas and betas
// within 2 delta of 1 - delta (its largest term held, the others moving against it); nu within
// 2 delta (relative) of the ends of faixa_nu_arch. IGARCH's sum is the model's: its largest term
// moves against the others and has its error from theirs. Nothing at all when the negative
// Hessian of the free parameters is not positive definite.
std::vector<ErroPadraoArch> erros_padrao_arch(const EspecArch& m, const std::vector<double>& e,
                                              const std::vector<double>& theta);
