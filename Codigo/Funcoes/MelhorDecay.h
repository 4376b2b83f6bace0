// Search for the decay factor of the exponentially weighted variance whose running estimate is
// the most stable. Plain C++ on vectors; nothing here knows of Excel.
#pragma once

#include <vector>

#include "Resultado.h"

struct ResultadoDecay {
  double lambda_max = 0;    // the largest decay of the grid
  double melhor_lambda = 0; // the decay of least SDE
  double sde_minimo = 0;    // its SDE
  int avaliados = 0;        // decays evaluated
};

// Series x(0) .. x(N-1), oldest first; tol the weight allowed outside the estimation window.
// Grid:
//   lambda_hat = exp(ln(tol) / (N - 29)); lambda_max = lambda_hat rounded down to a multiple of
//   0.005 (floor(100 lambda_hat)/100, plus 0.005 when lambda_hat exceeds that by 0.005 or more);
//   the smallest decay is the first of 0.005, 0.010, ... with ln(tol)/ln(lambda) >= 10; from it
//   lambda runs by a running sum of 0.005 while it does not exceed lambda_max (the accumulated
//   rounding of that sum may leave lambda_max itself out, as it always has).
// For each lambda, window m = floor(ln(tol)/ln(lambda) + 0.5), and with c the mean (0 when
// `media_nula`):
//   start  V(m-1) = sum_{i<m} (1 - lambda)(x(i) - c(m-1))^2 lambda^(m-1-i), c(m-1) = mean of
//   x(0..m-1) step t = m .. N-1:
//     zero mean:  V(t) = lambda V(t-1) + (1 - lambda) x(t)^2
//     otherwise:  V(t) = sum_{i<=t} (1 - lambda)(x(i) - c(t))^2 lambda^(t-i), c(t) = mean of
//     x(0..t)
//   d(t) = V(t) - V(t-1);  s^2 = (sum d^2 - (sum d)^2 / k) / (k - 1),  k = N - m;
// the best lambda is the first of least s^2 (a later one replaces it only when strictly smaller),
// and SDE = sqrt(s^2).
// The full sum about the current mean is kept in O(1) per step: with W = sum lambda^(t-i),
// A = sum lambda^(t-i) (x(i) - c), Q = sum lambda^(t-i) (x(i) - c)^2 about the current mean c,
// a step decays W, A, Q by lambda, moves them to the new mean c' = c + (x(t) - c)/(t + 1)
// (Q <- Q - 2 delta A + delta^2 W, A <- A - delta W, delta = c' - c) and adds the new term;
// V = (1 - lambda) Q. Everything stays about the current mean, so prices near 10^6 keep their
// digits.
enum class FalhaDecay {
  ToleranceOutOfRange, // tol outside (0, 1)
  TooShort,            // 29 values or fewer: no estimation window fits
  NoDecayEvaluated,    // no decay of the grid leaves two changes of the variance to compare
  NotFinite,           // the least SDE is not a number (a value that is not finite)
};
Resultado<ResultadoDecay, FalhaDecay> melhor_decay(const std::vector<double>& x, double tol,
                                                   bool media_nula);
