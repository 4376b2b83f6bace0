#include "EstatisticasArch.h"

#include <cmath>
#include <numbers>
#include <stdexcept>

#include "DistribuicaoArch.h"

namespace {
constexpr double kDelta = kDeltaArch;

// Where each group of parameters starts in theta.
struct Layout {
  int q, r;
  std::size_t alpha(int i) const { return static_cast<std::size_t>(i); }
  std::size_t gamma(int i) const { return static_cast<std::size_t>(q + i); }
  std::size_t beta(int j) const { return static_cast<std::size_t>(q + r + j); }
};

// The value that stands for every lagged shock and variance before the start of the series:
// the unconditional variance of a fit inside the stationarity margin, the mean square of the
// series otherwise, and always for EGARCH and GJR.
double StartValue(const EspecArch& m, const std::vector<double>& e,
                  const std::vector<double>& theta) {
  if (m.modelo == ModeloArch::Egarch || m.modelo == ModeloArch::Gjr)
    return media_quadratica_arch(e);
  const double S = soma_persistencia(m, theta);
  return 1 - 2 * kDelta * (m.q + m.p) > S ? theta[0] / (1 - S) : media_quadratica_arch(e);
}

// H(0) .. H(count-1) by the model's recursion. A lag s before the start takes the start value;
// an observed shock (s < T) is e(s); a later one, which only projections reach, is replaced by
// its variance H(s).
std::vector<double> Recursion(const EspecArch& m, const std::vector<double>& e,
                              const std::vector<double>& theta, std::size_t count) {
  const Layout at{m.q, m.r};
  const auto T = static_cast<long>(e.size());
  const double h0 = StartValue(m, e, theta);
  std::vector<double> H(count);
  if (m.modelo == ModeloArch::Egarch) {
    const double ln_h0 = std::log(h0);
    std::vector<double> ln_H(count);
    for (std::size_t t = 0; t < count; ++t) {
      double v = theta[0];
      for (int i = 1; i <= m.q; ++i) {
        const long s = static_cast<long>(t) - i;
        const double a = theta[at.alpha(i)], g = i <= m.r ? theta[at.gamma(i)] : 0.0;
        if (s < 0) {
          v += a * (1 + g);
        } else {
          const double x = e.at(static_cast<std::size_t>(s));
          v += a * (std::fabs(x) + g * x) / std::sqrt(H[static_cast<std::size_t>(s)]);
        }
      }
      for (int j = 1; j <= m.p; ++j) {
        const long s = static_cast<long>(t) - j;
        v += theta[at.beta(j)] * (s < 0 ? ln_h0 : ln_H[static_cast<std::size_t>(s)]);
      }
      ln_H[t] = v;
      H[t] = std::exp(v);
    }
    return H;
  }
  for (std::size_t t = 0; t < count; ++t) {
    double v = theta[0];
    for (int i = 1; i <= m.q; ++i) {
      const long s = static_cast<long>(t) - i;
      double shock = h0;
      bool negative = true; // a lag before the start counts the asymmetry in full
      if (s >= 0 && s < T) {
        const double x = e[static_cast<std::size_t>(s)];
        shock = x * x;
        negative = x < 0;
      } else if (s >= T) {
        shock = H[static_cast<std::size_t>(s)];
      }
      v += theta[at.alpha(i)] * shock;
      if (i <= m.r && negative) v += theta[at.gamma(i)] * shock;
    }
    for (int j = 1; j <= m.p; ++j) {
      const long s = static_cast<long>(t) - j;
      v += theta[at.beta(j)] * (s < 0 ? h0 : H[static_cast<std::size_t>(s)]);
    }
    H[t] = v;
  }
  return H;
}
} // namespace

double media_quadratica_arch(const std::vector<double>& e) {
  double s = 0;
  for (double v : e)
    s += v * v;
  return s / static_cast<double>(e.size());
}

EspecArch espec_arch(ModeloArch modelo, int q, int p, DistribuicaoArch dist) {
  EspecArch m;
  m.modelo = modelo;
  m.dist = dist;
  m.q = q;
  m.r = modelo == ModeloArch::Egarch || modelo == ModeloArch::Gjr ? q : 0;
  m.p = modelo == ModeloArch::Arch ? 0 : p;
  return m;
}

std::vector<double> variancias_condicionais(const EspecArch& m, const std::vector<double>& e,
                                            const std::vector<double>& theta) {
  return Recursion(m, e, theta, e.size() + 1);
}

double soma_persistencia(const EspecArch& m, const std::vector<double>& theta) {
  const Layout at{m.q, m.r};
  double S = 0;
  for (int i = 1; i <= m.q; ++i)
    S += theta[at.alpha(i)];
  for (int j = 1; j <= m.p; ++j)
    S += theta[at.beta(j)];
  return S;
}

bool estacionario(const EspecArch& m, const std::vector<double>& theta) {
  if (m.modelo != ModeloArch::Arch && m.modelo != ModeloArch::Garch) return false;
  return 1 - 2 * kDelta * (m.q + m.p) > soma_persistencia(m, theta);
}

Resultado<std::vector<double>, FalhaProjecao>
variancias_projetadas(const EspecArch& m, const std::vector<double>& e,
                      const std::vector<double>& theta, std::size_t count) {
  if (!estacionario(m, theta)) return Falhou{FalhaProjecao::NotStationary};
  std::vector<double> H = Recursion(m, e, theta, e.size() + count);
  H.erase(H.begin(), H.begin() + static_cast<long>(e.size()));
  return H;
}

std::vector<double> razoes_verossimilhanca(const EspecArch& m, const std::vector<double>& e,
                                           const std::vector<double>& theta) {
  const Layout at{m.q, m.r};
  // The problem on the scale of the search: e 10^k, and omega carried there as estima_arch
  // carries it back.
  const int k = escala_arch(e);
  const double ten_k = std::pow(10.0, std::abs(k));
  std::vector<double> scaled(e);
  for (double& v : scaled)
    v = k >= 0 ? v * ten_k : v / ten_k;
  std::vector<double> on_scale = theta;
  double omega0 = 0.01 * kDelta;
  if (m.modelo == ModeloArch::Egarch) {
    double beta_sum = 0;
    for (int j = 1; j <= m.p; ++j)
      beta_sum += theta[at.beta(j)];
    on_scale[0] += 2 * k * std::numbers::ln10 * (1 - beta_sum);
    omega0 = 0;
  } else {
    on_scale[0] = k >= 0 ? theta[0] * (ten_k * ten_k) : theta[0] / (ten_k * ten_k);
  }
  const double L = log_verossimilhanca_arch(m, scaled, on_scale);

  // nu is not tested: its restriction would not be a distribution.
  std::vector<double> lr(theta.size(), 0.0);
  std::vector<double> restricted = on_scale;
  for (std::size_t c = 0; c < static_cast<std::size_t>(m.variancia()); ++c) {
    restricted[c] = c == 0 ? omega0 : 0.0;
    // A GJR alpha_i restricted with a negative gamma_i would leave a negative weight on the
    // negative shocks.
    std::size_t paired = 0;
    if (m.modelo == ModeloArch::Gjr && c >= 1 && c <= static_cast<std::size_t>(m.r)) {
      paired = at.gamma(static_cast<int>(c));
      if (restricted[paired] < 0) restricted[paired] = 0;
    }
    const double L0 = log_verossimilhanca_arch(m, scaled, restricted);
    lr[c] = L0 == kSentinelaArch ? 0.0 : 2 * (L - L0);
    restricted[c] = on_scale[c];
    if (paired) restricted[paired] = on_scale[paired];
  }
  return lr;
}

CriteriosArch criterios_arch(double L, std::size_t T, int k) {
  const double n = static_cast<double>(T), kk = k;
  CriteriosArch c;
  c.aic = (-2 * L + 2 * kk) / n;
  const double divisor = (n - kk - 1) * n;
  if (divisor > 0) c.aicc = c.aic + 2 * kk * (kk + 1) / divisor;
  c.bic = (kk * std::log(n) - 2 * L) / n;
  return c;
}

PontosGrafico pontos_grafico(std::size_t T, bool estacionaria) {
  constexpr std::size_t kFull = 250, kObserved = 230;
  if (estacionaria) {
    const auto n = static_cast<std::size_t>(std::floor(1.07 * static_cast<double>(T)));
    if (n < kFull) return {T, n};
  } else if (T < kFull) {
    return {T, T};
  }
  return {kObserved, kFull};
}
