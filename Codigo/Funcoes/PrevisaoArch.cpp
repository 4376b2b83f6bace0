#include "PrevisaoArch.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "DistribuicaoArch.h"
#include "FuncoesEspeciais.h"

namespace {
// Where each group of parameters starts in theta.
struct Layout {
  int q, r;
  std::size_t alpha(int i) const { return static_cast<std::size_t>(i); }
  std::size_t gamma(int i) const { return static_cast<std::size_t>(q + i); }
  std::size_t beta(int j) const { return static_cast<std::size_t>(q + r + j); }
};

// The recursion's value for every lag before the start of the series.
double StartValue(const EspecArch& m, const std::vector<double>& e,
                  const std::vector<double>& theta) {
  if (m.modelo == ModeloArch::Egarch || m.modelo == ModeloArch::Gjr)
    return media_quadratica_arch(e);
  const double S = soma_persistencia(m, theta);
  return 1 - 2 * kDeltaArch * (m.q + m.p) > S ? theta[0] / (1 - S) : media_quadratica_arch(e);
}

// The probability that Z > z (z > 0) as the pair {P(0 < Z < z), P(Z > z)}, and the density at z,
// of a symmetric standardised distribution.
struct Cauda {
  double centro = 0;
  double cauda = 0;
  double densidade = 0;
};

Cauda CaudaStudent(double nu, const DensidadeArch& f, double z) {
  // P(T > x) = I_y(nu/2, 1/2) / 2 for T ~ t_nu, y = nu / (nu + x^2), x = z sqrt(nu / (nu-2)).
  const double s = nu - 2 + z * z;
  const auto I = beta_incompleta(nu / 2, 0.5, (nu - 2) / s, z * z / s);
  return {0.5 * I.q, 0.5 * I.p, std::exp(f.log(z, 1))};
}

Cauda CaudaGed(double nu, double lambda, const DensidadeArch& f, double z) {
  // P(|Z| > z) = Q(1/nu, (z/lambda)^nu / 2).
  const auto G = gama_incompleta(1 / nu, 0.5 * std::pow(z / lambda, nu));
  return {0.5 * G.p, 0.5 * G.q, std::exp(f.log(z, 1))};
}

// The z > 0 with P(Z > z) = alpha, 0 < alpha < 1/2: Newton on the logarithm of the tail (or,
// past alpha = 1/4, of P(0 < Z < z) = 1/2 - alpha, exact there), kept inside a bracket that
// bisection narrows whenever Newton would leave it.
template <class F> double InverteCauda(F cauda, double alpha) {
  const bool by_centre = alpha > 0.25;
  const double target = std::log(by_centre ? 0.5 - alpha : alpha);
  // g increases with z and vanishes at the root; g' = density / probability.
  auto g = [&](double z, double& slope) {
    const Cauda c = cauda(z);
    const double prob = by_centre ? c.centro : c.cauda;
    slope = c.densidade / prob;
    return by_centre ? std::log(prob) - target : target - std::log(prob);
  };
  double z = -normal_inversa(alpha); // the Gaussian's, a start for every shape
  double slope = 0;
  double value = g(z, slope);
  double lo = 0, hi = 0;
  if (value < 0) {
    lo = z;
    hi = 2 * z;
    double s = 0;
    while (g(hi, s) < 0)
      lo = hi, hi *= 2;
  } else {
    hi = z;
    lo = z / 2;
    double s = 0;
    while (g(lo, s) > 0)
      hi = lo, lo /= 2;
  }
  for (int it = 0; it < 200; ++it) {
    double next = z - value / slope;
    if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
    const double step = next - z;
    z = next;
    value = g(z, slope);
    if (value < 0)
      lo = z;
    else if (value > 0)
      hi = z;
    else
      break;
    if (std::fabs(step) <= 2e-16 * z || hi - lo <= 4e-16 * z) break;
  }
  return z;
}
} // namespace

std::vector<double> previsao_variancias_arch(const EspecArch& m, const std::vector<double>& e,
                                             const std::vector<double>& theta, std::size_t count) {
  if (count == 0) return {};
  if (estacionario(m, theta)) {
    auto projected = variancias_projetadas(m, e, theta, count);
    if (projected) return std::move(*projected);
  }
  const Layout at{m.q, m.r};
  const std::size_t T = e.size();
  std::vector<double> H = variancias_condicionais(m, e, theta);
  H.resize(T + count);
  const double h0 = StartValue(m, e, theta);
  // Lag s of step t: before the start (s < 0), observed (s < T) or a future shock.
  if (m.modelo == ModeloArch::Egarch) {
    const double mean_abs = media_absoluta_arch(m.dist, m.tem_nu() ? theta.back() : 0.0);
    const double ln_h0 = std::log(h0);
    std::vector<double> ln_H(T + count);
    for (std::size_t t = 0; t <= T; ++t)
      ln_H[t] = std::log(H[t]);
    for (std::size_t t = T + 1; t < T + count; ++t) {
      double v = theta[0];
      for (int i = 1; i <= m.q; ++i) {
        const long s = static_cast<long>(t) - i;
        const double a = theta[at.alpha(i)], g = i <= m.r ? theta[at.gamma(i)] : 0.0;
        if (s < 0) {
          v += a * (1 + g);
        } else if (s < static_cast<long>(T)) {
          const double x = e[static_cast<std::size_t>(s)];
          v += a * (std::fabs(x) + g * x) / std::sqrt(H[static_cast<std::size_t>(s)]);
        } else {
          v += a * mean_abs; // E(|z| + gamma z) = E|z|
        }
      }
      for (int j = 1; j <= m.p; ++j) {
        const long s = static_cast<long>(t) - j;
        v += theta[at.beta(j)] * (s < 0 ? ln_h0 : ln_H[static_cast<std::size_t>(s)]);
      }
      ln_H[t] = v;
      H[t] = std::exp(v);
    }
  } else {
    for (std::size_t t = T + 1; t < T + count; ++t) {
      double v = theta[0];
      for (int i = 1; i <= m.q; ++i) {
        const long s = static_cast<long>(t) - i;
        double shock = h0;
        double negative = 1; // a lag before the start counts the asymmetry in full
        if (s >= 0 && s < static_cast<long>(T)) {
          const double x = e[static_cast<std::size_t>(s)];
          shock = x * x;
          negative = x < 0 ? 1 : 0;
        } else if (s >= 0) {
          shock = H[static_cast<std::size_t>(s)];
          negative = 0.5; // a future shock is negative half the time
        }
        v += theta[at.alpha(i)] * shock;
        if (i <= m.r) v += theta[at.gamma(i)] * (negative * shock);
      }
      for (int j = 1; j <= m.p; ++j) {
        const long s = static_cast<long>(t) - j;
        v += theta[at.beta(j)] * (s < 0 ? h0 : H[static_cast<std::size_t>(s)]);
      }
      H[t] = v;
    }
  }
  H.erase(H.begin(), H.begin() + static_cast<long>(T));
  return H;
}

double quantil_erro_arch(DistribuicaoArch dist, double nu, double alpha) {
  if (alpha == 0.5) return 0;
  if (alpha > 0.5) return -quantil_erro_arch(dist, nu, 1 - alpha); // 1 - alpha exact here
  switch (dist) {
  case DistribuicaoArch::Normal: return normal_inversa(alpha);
  case DistribuicaoArch::Student: {
    const DensidadeArch f(dist, nu);
    return -InverteCauda([&](double z) { return CaudaStudent(nu, f, z); }, alpha);
  }
  case DistribuicaoArch::Ged: {
    const DensidadeArch f(dist, nu);
    const double lambda =
        std::exp(0.5 * (-2 / nu * std::numbers::ln2 + log_gama(1 / nu) - log_gama(3 / nu)));
    return -InverteCauda([&](double z) { return CaudaGed(nu, lambda, f, z); }, alpha);
  }
  }
  return 0;
}

BacktestArch backtest_var_arch(const std::vector<double>& e, const std::vector<double>& h,
                               double quantil, double alpha) {
  BacktestArch b;
  const std::size_t T = e.size();
  b.esperadas = alpha * static_cast<double>(T);
  if (T == 0) return b;
  // Transitions of the exception indicator: n[i][j] from state i at t-1 to j at t.
  double n[2][2] = {{0, 0}, {0, 0}};
  int previous = -1;
  for (std::size_t t = 0; t < T; ++t) {
    const int hit = e[t] < quantil * std::sqrt(h[t]) ? 1 : 0;
    b.excecoes += static_cast<std::size_t>(hit);
    if (previous >= 0) n[previous][hit] += 1;
    previous = hit;
  }
  // k ln p with 0 ln 0 = 0.
  auto xlog = [](double k, double p) { return k == 0 ? 0.0 : k * std::log(p); };
  const double x = static_cast<double>(b.excecoes), N = static_cast<double>(T);
  const double pof =
      (N - x) * std::log1p(-alpha) + xlog(x, alpha) - xlog(N - x, (N - x) / N) - xlog(x, x / N);
  b.kupiec = std::max(0.0, -2 * pof);
  const double from0 = n[0][0] + n[0][1], from1 = n[1][0] + n[1][1];
  if (from1 > 0) {
    const double pi0 = from0 > 0 ? n[0][1] / from0 : 0.0, pi1 = n[1][1] / from1;
    const double pi = (n[0][1] + n[1][1]) / (from0 + from1);
    const double restricted = xlog(n[0][0] + n[1][0], 1 - pi) + xlog(n[0][1] + n[1][1], pi);
    const double free =
        xlog(n[0][0], 1 - pi0) + xlog(n[0][1], pi0) + xlog(n[1][0], 1 - pi1) + xlog(n[1][1], pi1);
    b.christoffersen = std::max(0.0, -2 * (restricted - free));
  }
  return b;
}
