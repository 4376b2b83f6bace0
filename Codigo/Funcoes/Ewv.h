// Exponentially weighted volatility of a series.
#pragma once

#include <vector>

#include "Resultado.h"

// What the series holds: values to use as they are, or prices to turn into returns.
enum class EwvSeries { Values, LogReturns, SimpleReturns };
EwvSeries EwvSeriesOf(int retornos); // 0 values, 1 log returns, anything else simple returns

struct EwvResult {
  double volatility;
  double mean;
  double tolerance; // lambda^N: the weight of the infinite window the N observations miss
};

// With the series newest first (reversed when `newest_first` is false) and N observations y_i
// (the values, or the returns y_i = ln(x_i / x_{i+1}) or x_i / x_{i+1} - 1):
//   weights  w_i = (1 - lambda) lambda^i, i = 0 (newest) .. N - 1, not normalised;
//   mean     = sum(y_i) / N;  c = 0 when `null_mean`, else the mean;
//   vol      = sqrt(sum w_i (y_i - c)^2);
//   result   = (vol, mean, lambda^N), and for log returns (e^vol - 1, e^mean - 1, lambda^N).
enum class FalhaEwv {
  DecayOutOfRange, // lambda not strictly between 0 and 1
  TooFewValues,    // fewer than 2 observations remain
};
Resultado<EwvResult, FalhaEwv> ExponentiallyWeightedVolatility(std::vector<double> series,
                                                               double lambda, bool newest_first,
                                                               EwvSeries kind, bool null_mean);
