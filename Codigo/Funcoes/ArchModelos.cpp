#include "ArchModelos.h"

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
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

double MeanSquare(const std::vector<double>& e) {
  double s = 0;
  for (double v : e)
    s += v * v;
  return s / static_cast<double>(e.size());
}

// sum ln h(t) as ln of products of mantissas in [1, 2) (32 at a time, so the product stays
// below 2^32) plus the binary exponents times ln 2. Every h must be a positive normal number.
double SumOfLogs(const double* h, std::size_t n) {
  constexpr std::size_t kBlock = 32;
  constexpr std::uint64_t kMantissa = 0x000FFFFFFFFFFFFFull, kOne = 0x3FF0000000000000ull;
  double total = 0;
  std::int64_t exponents = 0;
  for (std::size_t start = 0; start < n; start += kBlock) {
    const std::size_t end = start + kBlock < n ? start + kBlock : n;
    double product = 1;
    for (std::size_t t = start; t < end; ++t) {
      const std::uint64_t bits = std::bit_cast<std::uint64_t>(h[t]);
      exponents += static_cast<std::int64_t>(bits >> 52) - 1023;
      product *= std::bit_cast<double>((bits & kMantissa) | kOne);
    }
    total += std::log(product);
  }
  return total + static_cast<double>(exponents) * std::numbers::ln2;
}

double Gaussian(const std::vector<double>& e, const std::vector<double>& h, double sum_log) {
  const std::size_t n = e.size();
  double quad = 0;
  for (std::size_t t = 0; t < n; ++t)
    quad += e[t] * e[t] / h[t];
  const double two_pi = 2 * std::numbers::pi;
  return -0.5 * static_cast<double>(n) * std::log(two_pi) - 0.5 * (quad + sum_log);
}
} // namespace

double log_verossimilhanca(ModeloArch model, int q, int r, int p, const std::vector<double>& e,
                           const std::vector<double>& theta) {
  if (model != ModeloArch::Egarch && model != ModeloArch::Gjr) r = 0;
  const Layout at{q, r, p};
  const std::size_t n = e.size();
  std::vector<double> h(n);
  const double omega = theta[0];

  if (model == ModeloArch::Egarch) {
    // The recursion needs 1/sqrt(h(t)) = exp(-ln h(t)/2): one exponential per step, and the
    // likelihood takes e^2/h as (e exp(-ln h/2))^2 and ln h as it comes.
    const double h0 = MeanSquare(e), ln_h0 = std::log(h0);
    std::vector<double> ln_h(n);
    std::vector<double>& inv_sqrt = h;
    for (std::size_t t = 0; t < n; ++t) {
      double v = omega;
      for (int i = 1; i <= q; ++i) {
        const double a = theta[at.alpha(i)], g = i <= r ? theta[at.gamma(i)] : 0.0;
        if (t >= static_cast<std::size_t>(i)) {
          const double x = e[t - i];
          v += a * (std::fabs(x) + g * x) * inv_sqrt[t - i];
        } else {
          v += a * (1 + g);
        }
      }
      for (int j = 1; j <= p; ++j)
        v += theta[at.beta(j)] * (t >= static_cast<std::size_t>(j) ? ln_h[t - j] : ln_h0);
      if (v < -700 && std::exp(v) == 0) return kSentinelaArch; // h(t) underflows to 0
      ln_h[t] = v;
      inv_sqrt[t] = std::exp(-0.5 * v);
    }
    double quad = 0, sum_log = 0;
    for (std::size_t t = 0; t < n; ++t) {
      const double z = e[t] * inv_sqrt[t];
      quad += z * z;
      sum_log += ln_h[t];
    }
    const double two_pi = 2 * std::numbers::pi;
    return -0.5 * static_cast<double>(n) * std::log(two_pi) - 0.5 * (quad + sum_log);
  }

  double sum = 0;
  for (int i = 1; i <= q; ++i)
    sum += theta[at.alpha(i)];
  for (int j = 1; j <= p; ++j)
    sum += theta[at.beta(j)];
  double h0;
  if (model == ModeloArch::Gjr || !(1 - 2 * kDelta * (q + p) > sum))
    h0 = MeanSquare(e);
  else
    h0 = omega / (1 - sum);

  bool normal = true;
  if (q == 1 && p == 1 && r == 0) {
    // GARCH(1,1) and IGARCH(1,1), the common case, without the inner loops.
    const double a = theta[1], b = theta[2];
    double prev_e2 = h0, prev_h = h0;
    for (std::size_t t = 0; t < n; ++t) {
      const double v = omega + a * prev_e2 + b * prev_h;
      h[t] = v;
      normal &= v >= DBL_MIN && v <= DBL_MAX;
      prev_e2 = e[t] * e[t];
      prev_h = v;
    }
  } else {
    for (std::size_t t = 0; t < n; ++t) {
      double v = omega;
      for (int i = 1; i <= q; ++i) {
        const bool inside = t >= static_cast<std::size_t>(i);
        const double x = inside ? e[t - i] : 0.0;
        const double shock = inside ? x * x : h0;
        v += theta[at.alpha(i)] * shock;
        if (i <= r && (!inside || x < 0)) v += theta[at.gamma(i)] * shock;
      }
      for (int j = 1; j <= p; ++j)
        v += theta[at.beta(j)] * (t >= static_cast<std::size_t>(j) ? h[t - j] : h0);
      h[t] = v;
      normal &= v >= DBL_MIN && v <= DBL_MAX;
    }
  }
  double sum_log;
  if (normal) {
    sum_log = SumOfLogs(h.data(), n);
  } else { // outside the admissible region: whatever the arithmetic gives
    sum_log = 0;
    for (double v : h)
      sum_log += std::log(v);
  }
  return Gaussian(e, h, sum_log);
}

namespace {
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

int escala_arch(const std::vector<double>& e) {
  const double ms = MeanSquare(e);
  if (!(ms > 0) || !std::isfinite(ms)) return 0;
  return static_cast<int>(std::lround(-std::log10(ms) / 2));
}

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
