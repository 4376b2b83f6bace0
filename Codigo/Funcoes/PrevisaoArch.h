// What the conditional-volatility tool forecasts from a fitted ARCH-family model and how its
// in-sample value at risk is backtested: variances carried H steps past the series, the
// quantiles of the standardised error distributions, and Kupiec's and Christoffersen's
// likelihood-ratio tests. Plain C++; nothing here knows of Excel.
#pragma once

#include <cstddef>
#include <vector>

#include "EstatisticasArch.h"

// The variances forecast for t = T+1 .. T+H (H = count), from the fit's own recursion, every
// future shock replaced by its expectation given the past:
//   ARCH, GARCH, IGARCH: E e^2 = h;   GJR: E e^2 1{e < 0} = h / 2 (the distributions are
//   symmetric);   EGARCH: E|z| = media_absoluta_arch and E z = 0 in the log-variance (the
//   forecast is exp of the projected log-variance).
// The first value is h(T), the one-step forecast of variancias_condicionais; for a stationary
// ARCH or GARCH fit the values are those of variancias_projetadas.
std::vector<double> previsao_variancias_arch(const EspecArch& m, const std::vector<double>& e,
                                             const std::vector<double>& theta, std::size_t count);

// The alpha-quantile (0 < alpha < 1) of the standardised error distribution of the fit (nu
// ignored for the Gaussian).
double quantil_erro_arch(DistribuicaoArch dist, double nu, double alpha);

// Kupiec's proportion-of-failures test and Christoffersen's independence test of the exceptions
// of a value at risk at level alpha: an exception at t when e(t) < q_alpha sqrt(h(t)),
// t = 0 .. T-1.
struct BacktestArch {
  std::size_t excecoes = 0;
  double esperadas = 0;      // alpha T
  double kupiec = 0;         // LR of the proportion alpha, 1 degree of freedom
  double christoffersen = 0; // LR of independence of successive exceptions, 1 degree of freedom
};
// 0 ln 0 = 0; no transition out of an exception state gives Christoffersen's LR 0.
BacktestArch backtest_var_arch(const std::vector<double>& e, const std::vector<double>& h,
                               double quantil, double alpha);
