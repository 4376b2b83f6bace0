#include "MelhorDecay.h"

#include <cmath>
#include <cstddef>

namespace {
// The sample variance of the changes of the running variance for one decay; false when fewer
// than two changes exist.
bool Stability(const std::vector<double>& x, double lambda, std::size_t m, bool media_nula,
               double& s2) {
  const std::size_t n = x.size();
  if (m < 1 || m + 2 > n) return false;
  const double w_new = 1.0 - lambda;

  // The start window, about its own mean (two passes).
  double mean = 0;
  if (!media_nula) {
    double sum = 0;
    for (std::size_t i = 0; i < m; ++i)
      sum += x[i];
    mean = sum / static_cast<double>(m);
    double correction = 0;
    for (std::size_t i = 0; i < m; ++i)
      correction += x[i] - mean;
    mean += correction / static_cast<double>(m);
  }
  double W = 0, A = 0, Q = 0; // Horner's rule from the oldest value of the window
  for (std::size_t i = 0; i < m; ++i) {
    const double dev = x[i] - mean;
    W = W * lambda + 1.0;
    A = A * lambda + dev;
    Q = Q * lambda + dev * dev;
  }
  double v = w_new * Q;

  double sum_d = 0, sum_d2 = 0;
  for (std::size_t t = m; t < n; ++t) {
    double next;
    if (media_nula) {
      next = lambda * v + w_new * x[t] * x[t];
    } else {
      W *= lambda;
      A *= lambda;
      Q *= lambda;
      const double delta = (x[t] - mean) / static_cast<double>(t + 1);
      Q += delta * (delta * W - 2.0 * A);
      A -= delta * W;
      mean += delta;
      const double dev = x[t] - mean;
      W += 1.0;
      A += dev;
      Q += dev * dev;
      next = w_new * Q;
    }
    const double d = next - v;
    sum_d += d;
    sum_d2 += d * d;
    v = next;
  }
  const double k = static_cast<double>(n - m);
  s2 = (sum_d2 - sum_d * sum_d / k) / (k - 1);
  return true;
}
} // namespace

Resultado<ResultadoDecay, FalhaDecay> melhor_decay(const std::vector<double>& x, double tol,
                                                   bool media_nula) {
  const double n = static_cast<double>(x.size());
  if (!(tol > 0 && tol < 1)) return Falhou{FalhaDecay::ToleranceOutOfRange};
  if (!(n > 29)) return Falhou{FalhaDecay::TooShort};
  const double ln_tol = std::log(tol);
  const double lambda_hat = std::exp(ln_tol / (n - 29));
  double lambda_max = std::floor(100 * lambda_hat) / 100;
  if (lambda_hat - lambda_max >= 0.005) lambda_max += 0.005;

  double lambda = 0.005;
  while (ln_tol / std::log(lambda) < 10)
    lambda += 0.005;

  ResultadoDecay best;
  best.lambda_max = lambda_max;
  bool found = false;
  for (; lambda <= lambda_max; lambda += 0.005) {
    const auto m = static_cast<std::size_t>(std::floor(ln_tol / std::log(lambda) + 0.5));
    double s2;
    if (!Stability(x, lambda, m, media_nula, s2)) continue;
    ++best.avaliados;
    if (!found || s2 < best.sde_minimo) {
      best.melhor_lambda = lambda;
      best.sde_minimo = s2;
      found = true;
    }
  }
  if (!found) return Falhou{FalhaDecay::NoDecayEvaluated};
  best.sde_minimo = std::sqrt(best.sde_minimo);
  if (!std::isfinite(best.sde_minimo)) return Falhou{FalhaDecay::NotFinite};
  return best;
}
