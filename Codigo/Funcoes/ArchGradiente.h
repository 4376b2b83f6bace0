// The ARCH-family log-likelihood with its gradient, for the polish that follows the search.
// Plain C++ on vectors; nothing here knows of Excel.
#pragma once

#include <vector>

#include "EstatisticasArch.h"

// The log-likelihood of log_verossimilhanca (the same recursions, start values and layout of
// theta) and its derivatives with respect to each parameter, in `gradient`. The derivatives of
// the variances run alongside the recursion:
//   GARCH family and GJR: dh(t) = d[omega + sum alpha x + sum gamma x 1{e<0} + sum beta h(t-j)],
//     h0 = omega / (1 - S) differentiated where it is the start value;
//   EGARCH: d ln h(t), each shock term alpha_i (|e| + gamma_i e) / sqrt(h(t-i)) carrying
//     -1/2 of it times d ln h(t-i);
//   dLL = 1/2 sum_t (e(t)^2 / h(t) - 1) dh(t) / h(t).
// Summed plainly, so the value may differ from log_verossimilhanca's in the last bits.
// Minus infinity (and no gradient) where a variance is not a positive finite number.
// Under the t and the GED, the log-likelihood of log_verossimilhanca_arch with the derivative by
// nu last: each observation adds d ln f / d ln h times d ln h.
double log_verossimilhanca_gradiente(const EspecArch& m, const std::vector<double>& e,
                                     const std::vector<double>& theta,
                                     std::vector<double>& gradient);

// The same, under any of the distributions, with each observation's contribution to the
// gradient in row t of `scores` (T rows of theta.size() values): the scores whose outer
// products make the robust covariance. With `fixed_start`, the ARCH, GARCH, IGARCH and GJR
// start value is that number, not a function of theta: where the sum of the alphas and betas is
// held, the start value cannot change, and the rule that picks it is not left to rounding.
double scores_arch(const EspecArch& m, const std::vector<double>& e,
                   const std::vector<double>& theta, std::vector<double>& gradient,
                   std::vector<double>& scores, const double* fixed_start = nullptr);
