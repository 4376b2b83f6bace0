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
double log_verossimilhanca_gradiente(const EspecArch& m, const std::vector<double>& e,
                                     const std::vector<double>& theta,
                                     std::vector<double>& gradient);
