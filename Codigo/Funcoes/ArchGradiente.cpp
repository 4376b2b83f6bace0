#include "ArchGradiente.h"

#include <cmath>
#include <cstddef>
#include <limits>
#include <numbers>

#include "DistribuicaoArch.h"

namespace {
constexpr double kMinusInfinity = -std::numeric_limits<double>::infinity();

// Row t of a T x n table of derivatives.
struct Rows {
  std::size_t n;
  std::vector<double> cells;
  double* operator[](std::size_t t) { return cells.data() + t * n; }
};

template <std::size_t N>
void AddScaledFixed(double* __restrict to, double a, const double* __restrict from) {
  for (std::size_t c = 0; c < N; ++c)
    to[c] += a * from[c];
}

// Adds a * from to to, n values (rows apart: they never overlap). The widths of the orders up to
// (2, 2) unrolled: this runs several times per observation.
void AddScaled(double* __restrict to, double a, const double* __restrict from, std::size_t n) {
  switch (n) {
  case 2: return AddScaledFixed<2>(to, a, from);
  case 3: return AddScaledFixed<3>(to, a, from);
  case 4: return AddScaledFixed<4>(to, a, from);
  case 5: return AddScaledFixed<5>(to, a, from);
  case 6: return AddScaledFixed<6>(to, a, from);
  case 7: return AddScaledFixed<7>(to, a, from);
  default:
    for (std::size_t c = 0; c < n; ++c)
      to[c] += a * from[c];
  }
}

// What each observation adds, given its variance h and the derivatives d of h (of ln h for
// EGARCH) by the variance parameters: the Gaussian sums as log_verossimilhanca sums, plainly.
struct GaussianSink {
  std::vector<double>& g;
  std::size_t n;
  double quad = 0, sum_log = 0;
  void Add(std::size_t, double e, double h, double log_h, const double* d, bool of_log) {
    const double e2 = e * e;
    quad += e2 / h;
    sum_log += log_h;
    AddScaled(g.data(), of_log ? 0.5 * (e2 / h - 1) : 0.5 * (e2 / h - 1) / h, d, n);
  }
  double Total(std::size_t T) const {
    return -0.5 * static_cast<double>(T) * std::log(2 * std::numbers::pi) - 0.5 * (quad + sum_log);
  }
};

// The t and the GED: each observation's log-density with its derivatives by ln h and nu, and, on
// request, each observation's score (row t of `scores`, T x (n + 1)).
struct DensitySink {
  std::vector<double>& g;
  std::size_t n; // the variance parameters; nu is g[n]
  DensidadeArch density;
  std::vector<double>* scores = nullptr;
  double sum = 0;
  void Add(std::size_t t, double e, double h, double log_h, const double* d, bool of_log) {
    double by_log_h = 0, by_nu = 0;
    sum += density.log(e, h, log_h, by_log_h, by_nu);
    const double factor = of_log ? by_log_h : by_log_h / h;
    AddScaled(g.data(), factor, d, n);
    if (g.size() > n) g[n] += by_nu;
    if (scores) {
      double* row = scores->data() + t * g.size();
      for (std::size_t c = 0; c < n; ++c)
        row[c] = factor * d[c];
      if (g.size() > n) row[n] = by_nu;
    }
  }
  double Total(std::size_t) const { return sum; }
};

// GARCH, IGARCH, ARCH (r = 0) and GJR: the variance is linear in its own lags.
template <class Sink>
double LinearFamily(const EspecArch& m, const std::vector<double>& e, const std::vector<double>& th,
                    std::vector<double>& g, Sink& sink, const double* fixed_start = nullptr) {
  const std::size_t T = e.size(), n = static_cast<std::size_t>(m.variancia());
  const int q = m.q, r = m.r, p = m.p;
  const double omega = th[0];
  const double* alpha = th.data() + 1;
  const double* gamma = th.data() + 1 + q;
  const double* beta = th.data() + 1 + q + r;

  // The start value and its derivatives.
  // mean(e^2) only where the stationary start does not apply: it costs a pass over the series.
  std::vector<double> dh0(n, 0.0);
  double h0 = 0;
  bool stationary = false;
  if (fixed_start) {
    h0 = *fixed_start;
  } else if (m.modelo != ModeloArch::Gjr) {
    double S = 0;
    for (int i = 0; i < q; ++i)
      S += alpha[i];
    for (int j = 0; j < p; ++j)
      S += beta[j];
    if (1 - 2 * kDeltaArch * (q + p) > S) {
      stationary = true;
      h0 = omega / (1 - S);
      dh0[0] = 1 / (1 - S);
      for (std::size_t c = 1; c < n; ++c)
        dh0[c] = omega / ((1 - S) * (1 - S));
    }
  }
  if (!fixed_start && !stationary) h0 = media_quadratica_arch(e);

  std::vector<double> h(T);
  Rows dh{n, std::vector<double>(T * n, 0.0)};
  g.assign(th.size(), 0.0);
  for (std::size_t t = 0; t < T; ++t) {
    double v = omega;
    double* d = dh[t];
    d[0] = 1;
    for (int i = 1; i <= q; ++i) {
      const std::size_t c = static_cast<std::size_t>(i);
      const double a = alpha[i - 1];
      if (t >= c) {
        const double x = e[t - c] * e[t - c];
        v += a * x;
        d[c] += x;
      } else {
        v += a * h0;
        d[c] += h0;
        AddScaled(d, a, dh0.data(), n);
      }
    }
    for (int i = 1; i <= r; ++i) {
      const std::size_t c = static_cast<std::size_t>(q + i), lag = static_cast<std::size_t>(i);
      const double x = t >= lag ? (e[t - lag] < 0 ? e[t - lag] * e[t - lag] : 0.0) : h0;
      v += gamma[i - 1] * x;
      d[c] += x;
    }
    for (int j = 1; j <= p; ++j) {
      const std::size_t c = static_cast<std::size_t>(q + r + j), lag = static_cast<std::size_t>(j);
      const double b = beta[j - 1];
      if (t >= lag) {
        v += b * h[t - lag];
        d[c] += h[t - lag];
        AddScaled(d, b, dh[t - lag], n);
      } else {
        v += b * h0;
        d[c] += h0;
        AddScaled(d, b, dh0.data(), n);
      }
    }
    if (!(v > 0) || !std::isfinite(v)) return kMinusInfinity;
    h[t] = v;
    sink.Add(t, e[t], v, std::log(v), d, false);
  }
  return sink.Total(T);
}

template <class Sink>
double Egarch(const EspecArch& m, const std::vector<double>& e, const std::vector<double>& th,
              std::vector<double>& g, Sink& sink) {
  const std::size_t T = e.size(), n = static_cast<std::size_t>(m.variancia());
  const int q = m.q, r = m.r, p = m.p;
  const double* alpha = th.data() + 1;
  const double* gamma = th.data() + 1 + q;
  const double* beta = th.data() + 1 + q + r;
  const double ln_h0 = std::log(media_quadratica_arch(e));

  std::vector<double> ln_h(T), sd(T);
  Rows dl{n, std::vector<double>(T * n, 0.0)};
  g.assign(th.size(), 0.0);
  for (std::size_t t = 0; t < T; ++t) {
    double v = th[0];
    double* d = dl[t];
    d[0] = 1;
    for (int i = 1; i <= q; ++i) {
      const std::size_t c = static_cast<std::size_t>(i), lag = c;
      const double a = alpha[i - 1], gi = i <= r ? gamma[i - 1] : 0.0;
      if (t >= lag) {
        const double x = e[t - lag];
        const double z = (std::fabs(x) + gi * x) / sd[t - lag];
        v += a * z;
        d[c] += z;
        // z falls as the variance it is divided by rises: dz = -z/2 d ln h(t-i).
        AddScaled(d, -0.5 * a * z, dl[t - lag], n);
        if (i <= r) d[static_cast<std::size_t>(q + i)] += a * x / sd[t - lag];
      } else {
        v += a * (1 + gi);
        d[c] += 1 + gi;
        if (i <= r) d[static_cast<std::size_t>(q + i)] += a;
      }
    }
    for (int j = 1; j <= p; ++j) {
      const std::size_t c = static_cast<std::size_t>(q + r + j), lag = static_cast<std::size_t>(j);
      const double b = beta[j - 1];
      if (t >= lag) {
        v += b * ln_h[t - lag];
        d[c] += ln_h[t - lag];
        AddScaled(d, b, dl[t - lag], n);
      } else {
        v += b * ln_h0;
        d[c] += ln_h0;
      }
    }
    const double variance = std::exp(v);
    if (!(variance > 0) || !std::isfinite(variance)) return kMinusInfinity;
    ln_h[t] = v;
    sd[t] = std::sqrt(variance);
    sink.Add(t, e[t], variance, v, d, true);
  }
  const double ll = sink.Total(T);
  return std::isfinite(ll) ? ll : kMinusInfinity;
}

template <class Sink>
double Run(const EspecArch& m, const std::vector<double>& e, const std::vector<double>& theta,
           std::vector<double>& gradient, Sink& sink, const double* fixed_start = nullptr) {
  const double ll = m.modelo == ModeloArch::Egarch
                        ? Egarch(m, e, theta, gradient, sink)
                        : LinearFamily(m, e, theta, gradient, sink, fixed_start);
  for (double v : gradient)
    if (!std::isfinite(v)) return kMinusInfinity;
  return std::isfinite(ll) ? ll : kMinusInfinity;
}
} // namespace

double log_verossimilhanca_gradiente(const EspecArch& m, const std::vector<double>& e,
                                     const std::vector<double>& theta,
                                     std::vector<double>& gradient) {
  if (e.empty()) return kMinusInfinity;
  if (!m.tem_nu()) {
    GaussianSink sink{gradient, static_cast<std::size_t>(m.variancia())};
    const double ll = m.modelo == ModeloArch::Egarch ? Egarch(m, e, theta, gradient, sink)
                                                     : LinearFamily(m, e, theta, gradient, sink);
    for (double v : gradient)
      if (!std::isfinite(v)) return kMinusInfinity;
    return ll;
  }
  const FaixaNuArch range = faixa_nu_arch(m.dist);
  const double nu = theta.back();
  if (!(nu >= range.minimo && nu <= range.maximo)) return kMinusInfinity;
  DensitySink sink{gradient, static_cast<std::size_t>(m.variancia()), DensidadeArch(m.dist, nu)};
  return Run(m, e, theta, gradient, sink);
}

double scores_arch(const EspecArch& m, const std::vector<double>& e,
                   const std::vector<double>& theta, std::vector<double>& gradient,
                   std::vector<double>& scores, const double* fixed_start) {
  scores.assign(e.size() * theta.size(), 0.0);
  if (e.empty()) return kMinusInfinity;
  const double nu = m.tem_nu() ? theta.back() : 0.0;
  DensitySink sink{gradient, static_cast<std::size_t>(m.variancia()), DensidadeArch(m.dist, nu),
                   &scores};
  return Run(m, e, theta, gradient, sink, fixed_start);
}
