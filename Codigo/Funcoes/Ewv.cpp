#include "Ewv.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "Estatistica.h"
#include "Retornos.h"

EwvSeries EwvSeriesOf(int retornos) {
  if (retornos == 0) return EwvSeries::Values;
  return retornos == 1 ? EwvSeries::LogReturns : EwvSeries::SimpleReturns;
}

namespace {
// sum_{i} lambda^i (y_i - c)^2, by blocks: inside a block by Horner's rule from its oldest
// element (one multiply-add per value, all terms positive, so the rounding stays near one ulp
// per block), and each block scaled by lambda^start computed directly rather than by a long
// chain of products.
double WeightedSquares(std::span<const double> y, double lambda, double c) {
  constexpr std::size_t kBlock = 256;
  double total = 0;
  for (std::size_t start = 0; start < y.size(); start += kBlock) {
    const std::size_t end = std::min(y.size(), start + kBlock);
    double block = 0;
    for (std::size_t i = end; i-- > start;) {
      const double d = y[i] - c;
      block = block * lambda + d * d;
    }
    total += std::pow(lambda, static_cast<double>(start)) * block;
  }
  return total;
}
} // namespace

Resultado<EwvResult, FalhaEwv> ExponentiallyWeightedVolatility(std::vector<double> series,
                                                               double lambda, bool newest_first,
                                                               EwvSeries kind, bool null_mean) {
  if (!(lambda > 0 && lambda < 1)) return Falhou{FalhaEwv::DecayOutOfRange};
  if (!newest_first) std::reverse(series.begin(), series.end());
  if (kind != EwvSeries::Values)
    series =
        retornos(std::move(series),
                 kind == EwvSeries::LogReturns ? TipoRetorno::Logaritmico : TipoRetorno::Simples,
                 OrdemDados::MaisRecentesPrimeiro);
  if (series.size() < 2) return Falhou{FalhaEwv::TooFewValues};
  const double mean = Mean(series);
  const double centre = null_mean ? 0.0 : mean;
  const double volatility = std::sqrt((1 - lambda) * WeightedSquares(series, lambda, centre));
  const double tolerance = std::pow(lambda, static_cast<double>(series.size()));
  if (kind == EwvSeries::LogReturns)
    return EwvResult{std::expm1(volatility), std::expm1(mean), tolerance};
  return EwvResult{volatility, mean, tolerance};
}
