#include "PrevisaoEwv.h"

#include <cmath>
#include <span>

#include "Estatistica.h"

namespace {
constexpr std::size_t kStart = 20; // squared values that start the forecast
constexpr int kDecays = 200;       // 0.800, 0.801, ... 0.999
} // namespace

Resultado<ResultadoPrevisao, FalhaPrevisao> melhor_previsao_ewv(const std::vector<double>& x,
                                                                bool media_nula) {
  const std::size_t n = x.size();
  if (n <= kStart) return Falhou{FalhaPrevisao::TooShort};
  for (double v : x)
    if (!std::isfinite(v)) return Falhou{FalhaPrevisao::NotFinite};

  // The squared observations about c, once for every decay.
  const double c = media_nula ? 0.0 : Mean(std::span<const double>(x));
  std::vector<double> squares(n);
  for (std::size_t t = 0; t < n; ++t)
    squares[t] = (x[t] - c) * (x[t] - c);
  double start = 0;
  for (std::size_t t = 0; t < kStart; ++t)
    start += squares[t];
  start /= static_cast<double>(kStart);

  ResultadoPrevisao best;
  best.erros = n - kStart;
  bool found = false;
  for (int j = 0; j < kDecays; ++j) {
    const double lambda = (800.0 + j) / 1000.0;
    double forecast = start, sum = 0;
    for (std::size_t t = kStart; t < n; ++t) {
      const double error = squares[t] - forecast;
      sum += error * error;
      forecast = lambda * forecast + (1.0 - lambda) * squares[t];
    }
    const double rmse = std::sqrt(sum / static_cast<double>(best.erros));
    if (!found || rmse < best.rmse) {
      best.lambda = lambda;
      best.rmse = rmse;
      found = true;
    }
  }
  if (!std::isfinite(best.rmse)) return Falhou{FalhaPrevisao::NotFinite};
  return best;
}
