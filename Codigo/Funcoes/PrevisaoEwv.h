// The RiskMetrics criterion for the decay of the exponentially weighted variance: how well the
// variance of each decay forecasts the next squared observation. Plain C++ on vectors; nothing
// here knows of Excel.
#pragma once

#include <cstddef>
#include <vector>

#include "Resultado.h"

struct ResultadoPrevisao {
  double lambda = 0;     // the decay of least RMSE
  double rmse = 0;       // its RMSE
  std::size_t erros = 0; // forecasts scored, N - 20
};

// Series x(0) .. x(N-1), oldest first; y(t) = x(t) - c, with c the mean of the whole series, or
// c = 0 when `media_nula`. For each decay lambda = (800 + j) / 1000, j = 0 .. 199 (0.800 to
// 0.999), the one-day-ahead forecast of the variance
//   s2(20 | 19)  = (y(0)^2 + ... + y(19)^2) / 20
//   s2(t+1 | t)  = lambda s2(t | t-1) + (1 - lambda) y(t)^2
// is scored from t = 20 on against the squared observation it forecasts:
//   RMSE(lambda) = sqrt( sum_{t=20}^{N-1} (y(t)^2 - s2(t | t-1))^2 / (N - 20) ).
// The result is the first lambda of least RMSE (a later one replaces it only when strictly
// smaller). O(N) per decay.
enum class FalhaPrevisao {
  TooShort,  // N < 21: no forecast to score
  NotFinite, // a value, or the least RMSE, is not finite
};
Resultado<ResultadoPrevisao, FalhaPrevisao> melhor_previsao_ewv(const std::vector<double>& x,
                                                                bool media_nula);
