#include "ErrosPadraoArch.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <numbers>

#include "ArchGradiente.h"
#include "DistribuicaoArch.h"
#include "Matriz.h"

namespace {
constexpr double kDelta = kDeltaArch;
constexpr double kMargin = 2 * kDelta;
// The step of the differences of the gradient, relative to the parameter (or to this floor).
constexpr double kStep = 1e-5;
constexpr double kStepFloor = 1e-3;

// The free directions of the parameters: theta = theta* + sum_c phi_c column_c, each column a
// sparse set of (parameter, weight). `held[i]` when parameter i has no standard error of its own.
struct Directions {
  std::vector<std::vector<std::pair<std::size_t, double>>> columns;
  std::vector<std::size_t> lead; // the parameter each column moves by +1
  std::vector<bool> held;
  bool sum_held = false; // the alphas and betas keep their sum
};

Directions FreeDirections(const EspecArch& m, const std::vector<double>& th) {
  const std::size_t n = th.size(), q = static_cast<std::size_t>(m.q),
                    r = static_cast<std::size_t>(m.r), nv = static_cast<std::size_t>(m.variancia());
  const bool egarch = m.modelo == ModeloArch::Egarch;
  Directions d;
  d.held.assign(n, false);
  std::vector<long> partner(n, -1); // a parameter that moves against this one
  auto is_gamma = [&](std::size_t i) { return i > q && i <= q + r; };
  if (!egarch)
    for (std::size_t i = 0; i < nv; ++i)
      if (!is_gamma(i) && th[i] - kDelta <= kMargin) d.held[i] = true;
  if (m.modelo == ModeloArch::Gjr)
    for (std::size_t i = 1; i <= r; ++i)
      if (th[i] + th[q + i] - kDelta <= kMargin) {
        d.held[q + i] = true;
        partner[i] = static_cast<long>(q + i);
      }
  // The sum of the alphas and betas, held by its largest free term.
  const bool simplex = m.modelo == ModeloArch::Arch || m.modelo == ModeloArch::Garch ||
                       m.modelo == ModeloArch::Igarch;
  std::size_t dependent = n;
  if (simplex) {
    const double S = soma_persistencia(m, th);
    // Past 1 - 2 delta (q + p) the start value turns from omega / (1 - S) to mean(e^2): the
    // likelihood is not smooth across it, and the sum is held as at the region's bound.
    const bool bound =
        m.modelo == ModeloArch::Igarch || (1 - 2 * kDelta * (m.q + m.p)) - S <= kMargin;
    if (bound) {
      d.sum_held = true;
      for (std::size_t i = 1; i < nv; ++i)
        if (!d.held[i] && (dependent == n || th[i] > th[dependent])) dependent = i;
      if (dependent < n) {
        for (std::size_t i = 1; i < nv; ++i)
          if (!d.held[i] && i != dependent) partner[i] = static_cast<long>(dependent);
        // The ARCH or GARCH sum at its bound holds its term; IGARCH's term follows the others.
        d.held[dependent] = m.modelo != ModeloArch::Igarch;
      }
    }
  }
  if (m.tem_nu()) {
    const FaixaNuArch range = faixa_nu_arch(m.dist);
    const double nu = th[nv];
    if (nu - range.minimo <= kMargin * nu || range.maximo - nu <= kMargin * nu) d.held[nv] = true;
  }
  for (std::size_t i = 0; i < n; ++i) {
    if (d.held[i] || i == dependent) continue;
    std::vector<std::pair<std::size_t, double>> column{{i, 1.0}};
    if (partner[i] >= 0) column.emplace_back(static_cast<std::size_t>(partner[i]), -1.0);
    d.columns.push_back(std::move(column));
    d.lead.push_back(i);
  }
  return d;
}

// The fit's parameters on the search's scale, and the derivatives of the parameters in the
// series' units by them (J, n x n).
struct OnScale {
  std::vector<double> theta;
  Matriz jacobian;
};
OnScale ToScale(const EspecArch& m, const std::vector<double>& th, int k) {
  OnScale s{th, Identity(th.size())};
  if (m.modelo == ModeloArch::Egarch) {
    double beta_sum = 0;
    for (int j = 1; j <= m.p; ++j)
      beta_sum += th[static_cast<std::size_t>(m.q + m.r + j)];
    s.theta[0] += 2 * k * std::numbers::ln10 * (1 - beta_sum);
    // omega = omega_s - 2 k ln 10 (1 - sum beta)
    for (int j = 1; j <= m.p; ++j)
      s.jacobian[0][static_cast<std::size_t>(m.q + m.r + j)] = 2 * k * std::numbers::ln10;
  } else {
    const double factor = std::pow(10.0, 2 * k);
    s.theta[0] *= factor;
    s.jacobian[0][0] = 1 / factor;
  }
  return s;
}

// A step along column c that keeps every parameter it moves clear of its bounds.
double StepOf(const EspecArch& m, const std::vector<double>& th, std::size_t lead, bool sum_held) {
  double h = kStep * std::max(std::fabs(th[lead]), kStepFloor);
  const std::size_t nv = static_cast<std::size_t>(m.variancia());
  if (m.modelo != ModeloArch::Egarch && lead < nv) h = std::min(h, 0.25 * (th[lead] - kDelta));
  // An alpha or beta of ARCH and GARCH stops short of where the start value changes (unless the
  // sum is held).
  const bool sum_term = !sum_held && lead >= 1 && lead < nv &&
                        (m.modelo == ModeloArch::Arch || m.modelo == ModeloArch::Garch);
  if (sum_term) h = std::min(h, 0.25 * ((1 - 2 * kDelta * (m.q + m.p)) - soma_persistencia(m, th)));
  if (lead == nv) {
    const FaixaNuArch range = faixa_nu_arch(m.dist);
    h = std::min(h, 0.25 * std::min(th[lead] - range.minimo, range.maximo - th[lead]));
  }
  return h;
}
} // namespace

std::vector<ErroPadraoArch> erros_padrao_arch(const EspecArch& m, const std::vector<double>& e,
                                              const std::vector<double>& theta) {
  const std::size_t n = theta.size();
  std::vector<ErroPadraoArch> out(n);
  if (e.empty() || n != static_cast<std::size_t>(m.parametros())) return out;
  const int k = escala_arch(e);
  const std::vector<double> scaled = serie_escalada_arch(e, k);
  const OnScale at = ToScale(m, theta, k);
  const Directions dir = FreeDirections(m, at.theta);
  const std::size_t f = dir.columns.size();
  if (f == 0) return out;

  // d LL / d phi_c = sum of the column's weights times the gradient.
  auto project = [&](const double* g, std::size_t c) {
    double v = 0;
    for (const auto& [i, w] : dir.columns[c])
      v += w * g[i];
    return v;
  };
  // The negative Hessian in phi, by central differences of the analytic gradient.
  Matriz hessian(f, std::vector<double>(f, 0.0));
  // Where the sum is held, so is the start value of the variances.
  double start = media_quadratica_arch(scaled);
  const double S = soma_persistencia(m, at.theta);
  if (m.modelo != ModeloArch::Igarch && 1 - 2 * kDelta * (m.q + m.p) > S)
    start = at.theta[0] / (1 - S);
  const double* fixed_start = dir.sum_held ? &start : nullptr;
  std::vector<double> g_plus, g_minus, rows;
  for (std::size_t c = 0; c < f; ++c) {
    const double h = StepOf(m, at.theta, dir.lead[c], dir.sum_held);
    std::vector<double> plus = at.theta, minus = at.theta;
    for (const auto& [i, w] : dir.columns[c]) {
      plus[i] += w * h;
      minus[i] -= w * h;
    }
    const double a = scores_arch(m, scaled, plus, g_plus, rows, fixed_start);
    const double b = scores_arch(m, scaled, minus, g_minus, rows, fixed_start);
    if (!std::isfinite(a) || !std::isfinite(b) || !(h > 0)) return out;
    for (std::size_t j = 0; j < f; ++j)
      hessian[c][j] = -(project(g_plus.data(), j) - project(g_minus.data(), j)) / (2 * h);
  }
  for (std::size_t c = 0; c < f; ++c)
    for (std::size_t j = 0; j < c; ++j)
      hessian[c][j] = hessian[j][c] = (hessian[c][j] + hessian[j][c]) / 2;
  const auto inverse = inversa(hessian);
  if (!inverse) return out;
  const Matriz& cov = *inverse;

  // The scores' outer products in phi.
  std::vector<double> gradient, scores;
  if (!std::isfinite(scores_arch(m, scaled, at.theta, gradient, scores, fixed_start))) return out;
  Matriz meat(f, std::vector<double>(f, 0.0));
  std::vector<double> s(f);
  for (std::size_t t = 0; t < scaled.size(); ++t) {
    for (std::size_t c = 0; c < f; ++c)
      s[c] = project(scores.data() + t * n, c);
    for (std::size_t c = 0; c < f; ++c)
      for (std::size_t j = 0; j < f; ++j)
        meat[c][j] += s[c] * s[j];
  }
  const Matriz sandwich = *produto(*produto(cov, meat), cov);

  // Back to theta (A cov A'), then to the series' units (J . J').
  Matriz A(n, std::vector<double>(f, 0.0));
  for (std::size_t c = 0; c < f; ++c)
    for (const auto& [i, w] : dir.columns[c])
      A[i][c] = w;
  const Matriz JA = *produto(at.jacobian, A);
  auto variances = [&](const Matriz& c) {
    const Matriz full = *produto(*produto(JA, c), transposta(JA));
    std::vector<double> v(n);
    for (std::size_t i = 0; i < n; ++i)
      v[i] = full[i][i];
    return v;
  };
  const std::vector<double> plain = variances(cov), robust = variances(sandwich);
  bool positive = true;
  for (std::size_t c = 0; c < f; ++c)
    positive = positive && cov[c][c] > 0;
  if (!positive) return out;
  for (std::size_t i = 0; i < n; ++i) {
    if (dir.held[i]) continue;
    if (plain[i] > 0 && std::isfinite(plain[i])) out[i].hessiana = std::sqrt(plain[i]);
    if (robust[i] > 0 && std::isfinite(robust[i])) out[i].robusto = std::sqrt(robust[i]);
  }
  return out;
}
