#include "ArchModelos.h"

#include <cmath>
#include <cstddef>
#include <numbers>

namespace {
constexpr double kDelta = kDeltaArch;
constexpr long kIterationLimit = 100000;

// Where each group of parameters starts in theta.
struct Layout {
  int q, r, p;
  int alpha(int i) const { return i; }        // i = 1 .. q
  int gamma(int i) const { return q + i; }    // i = 1 .. r
  int beta(int j) const { return q + r + j; } // j = 1 .. p
};
// The pattern search on the series as given.
int Search(ModeloArch model, int q, int r, int p, const std::vector<double>& e,
           std::vector<double>& theta, double& best, DiagnosticoArch& diag) {
  const Layout at{q, r, p};
  const bool sum_bounded = model == ModeloArch::Arch || model == ModeloArch::Garch;
  const int n = (model == ModeloArch::Egarch || model == ModeloArch::Gjr) ? q + r + p : q + p;

  auto evaluate = [&] {
    ++diag.avaliacoes;
    return log_verossimilhanca(model, q, r, p, e, theta);
  };
  double S = n * kDelta;
  best = evaluate();

  int k = 0, d = 1, partner = -1, parado = 0;
  long m = 1;
  bool primeiro = true, reduzido = false;
  long iteration = 0;
  bool stopped = false;

  // The pair alpha_i + gamma_i that a GJR move of coordinate k touches, if any.
  auto gjr_pair_ok = [&](int c) {
    int i = 0;
    if (c >= 1 && c <= q)
      i = c;
    else if (c > q && c <= q + r)
      i = c - q;
    if (i == 0 || i > r) return true;
    return theta[at.alpha(i)] + theta[at.gamma(i)] >= kDelta;
  };

  while (iteration < kIterationLimit) {
    ++iteration;
    const double step = d * kDelta * static_cast<double>(m);
    theta[k] += step;
    if (sum_bounded && k > 0) S += step;

    bool admissible;
    switch (model) {
    case ModeloArch::Arch:
    case ModeloArch::Garch: admissible = theta[k] >= kDelta && S <= 1 - kDelta; break;
    case ModeloArch::Igarch: admissible = theta[k] >= kDelta; break;
    case ModeloArch::Egarch: admissible = true; break;
    default: {
      const bool is_gamma = k > q && k <= q + r;
      admissible = (is_gamma || theta[k] >= kDelta) && gjr_pair_ok(k);
    }
    }

    bool improved = false;
    bool igarch_rule = model == ModeloArch::Igarch;
    if (admissible) {
      if (model == ModeloArch::Igarch && k > 0) {
        if (partner >= 0) {
          theta[partner] -= step;
          if (theta[partner] >= kDelta) {
            const double L = evaluate();
            if (L > best) {
              best = L;
              improved = true;
            }
          }
          if (!improved) theta[partner] += step;
        } else {
          for (int j = 1; j <= q + p; ++j) {
            if (j == k) continue;
            theta[j] -= step;
            if (theta[j] >= kDelta) {
              const double L = evaluate();
              if (L > best) {
                best = L;
                partner = j;
              }
            }
            theta[j] += step;
          }
          if (partner >= 0) {
            theta[partner] -= step;
            improved = true;
          }
        }
      } else {
        const double L = evaluate();
        if (L > best) {
          best = L;
          improved = true;
        }
      }
    }

    bool next_coordinate = false;
    if (improved) {
      parado = 0;
      primeiro = false;
      if (!reduzido && m < static_cast<long>(0.1 / kDelta)) m *= 10;
    } else {
      theta[k] -= step;
      if (sum_bounded && k > 0) S -= step;
      if (primeiro) {
        primeiro = false;
        d = -d;
        reduzido = false;
      } else {
        m /= 10;
        reduzido = true;
        // After a trial that was evaluated (and, for IGARCH, any trial) the size 1 turns the
        // direction once more.
        if (m == 1 && (admissible || igarch_rule)) primeiro = true;
        if (m == 0) next_coordinate = true;
      }
    }
    if (next_coordinate) {
      m = 1;
      reduzido = false;
      k = k + 1 > n ? 0 : k + 1;
      d = 1;
      primeiro = true;
      partner = -1;
      ++parado;
      if (parado > n) {
        stopped = true;
        break;
      }
    }
  }
  diag.iteracoes = iteration;
  return stopped ? 1 : -1;
}
} // namespace

int estima_arch(ModeloArch model, int q, int r, int p, const std::vector<double>& e,
                std::vector<double>& theta, double& LL, DiagnosticoArch* diagnostico) {
  DiagnosticoArch local;
  DiagnosticoArch& diag = diagnostico ? *diagnostico : local;
  diag = DiagnosticoArch{};
  if (model != ModeloArch::Egarch && model != ModeloArch::Gjr) r = 0;
  theta.assign(static_cast<std::size_t>(1 + q + r + p), kDelta);
  const int code = static_cast<int>(model);
  if (code < 0 || code > 4) return 0;
  if (model == ModeloArch::Igarch) theta[1] = 1 - (q + p - 1) * kDelta;

  const int k = escala_arch(e);
  diag.escala = k;
  if (k == 0) return Search(model, q, r, p, e, theta, LL, diag);

  const double ten_k = std::pow(10.0, std::abs(k)); // exact for the scales that occur
  std::vector<double> scaled(e);
  for (double& v : scaled)
    v = k > 0 ? v * ten_k : v / ten_k;
  const int result = Search(model, q, r, p, scaled, theta, LL, diag);
  const double ln10 = std::numbers::ln10;
  if (model == ModeloArch::Egarch) {
    double beta_sum = 0;
    for (int j = 1; j <= p; ++j)
      beta_sum += theta[static_cast<std::size_t>(q + r + j)];
    theta[0] -= 2 * k * ln10 * (1 - beta_sum);
  } else {
    theta[0] = k > 0 ? theta[0] / (ten_k * ten_k) : theta[0] * (ten_k * ten_k);
  }
  LL += static_cast<double>(e.size()) * k * ln10;
  return result;
}
