// The admissible region of the search mapped onto open coordinates, and BFGS in them: the
// likelihood is smooth inside the region, and its maxima often lie near a bound, where a
// climb in the plain parameters would keep stepping out.
#include "ArchAscensao.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "ArchGradiente.h"
#include "ArchVerossimilhanca.h"
#include "DistribuicaoArch.h"

namespace subida_arch {
namespace {
constexpr double kDelta = kDeltaArch;
// The least distance from a bound at which an ascent starts.
constexpr double kInside = 1e-10;

// The admissible region mapped onto open coordinates u, so that every u is an admissible theta:
//   omega (not EGARCH), each alpha and beta of GJR: delta + exp(u);
//   GJR's gamma_i through alpha_i + gamma_i = delta + exp(u);
//   ARCH, GARCH: the alphas and betas delta + c w_i, w the softmax of u with a slack term of
//     weight 1, c = 1 - (n + 1) delta, so that their sum stays below 1 - delta;
//   IGARCH: delta + c w_i, w the softmax of u, c = 1 - n delta: the sum is 1 (the largest
//     term takes what rounding leaves);
//   EGARCH: theta itself;
//   nu (t and GED): the logistic map of u onto the open interval of faixa_nu_arch.
class Region {
public:
  explicit Region(const EspecArch& m)
      : m_(m), n_(static_cast<std::size_t>(m.variancia())),
        size_(static_cast<std::size_t>(m.parametros())), nu_(faixa_nu_arch(m.dist)),
        simplex_(m.modelo == ModeloArch::Arch || m.modelo == ModeloArch::Garch ||
                 m.modelo == ModeloArch::Igarch) {}

  std::size_t Size() const { return size_; }

  std::vector<double> Theta(const std::vector<double>& u) const {
    std::vector<double> th = VarianceTheta(u);
    if (size_ > n_) th[n_] = nu_.minimo + (nu_.maximo - nu_.minimo) * Logistic(u[n_]);
    return th;
  }

  std::vector<double> Coordinates(const std::vector<double>& th) const {
    std::vector<double> u = VarianceCoordinates(th);
    if (size_ > n_) {
      const double width = nu_.maximo - nu_.minimo;
      const double below = std::max(th[n_] - nu_.minimo, kInside * width);
      const double above = std::max(nu_.maximo - th[n_], kInside * width);
      u[n_] = std::log(below / above);
    }
    return u;
  }

  std::vector<double> Gradient(const std::vector<double>& u, const std::vector<double>& g) const {
    std::vector<double> gu = VarianceGradient(u, g);
    if (size_ > n_) {
      const double s = Logistic(u[n_]);
      gu[n_] = (nu_.maximo - nu_.minimo) * s * (1 - s) * g[n_];
    }
    return gu;
  }

private:
  static double Logistic(double u) { return 1 / (1 + std::exp(-u)); }

  std::vector<double> VarianceTheta(const std::vector<double>& u) const {
    std::vector<double> th(u);
    if (m_.modelo == ModeloArch::Egarch) return th;
    th[0] = kDelta + std::exp(u[0]);
    if (simplex_) {
      const std::vector<double> w = Weights(u);
      for (std::size_t i = 1; i < n_; ++i)
        th[i] = kDelta + Scale() * w[i];
      if (m_.modelo == ModeloArch::Igarch) {
        const std::size_t top = static_cast<std::size_t>(
            std::max_element(th.begin() + 1, th.begin() + static_cast<long>(n_)) - th.begin());
        double rest = 0;
        for (std::size_t i = 1; i < n_; ++i)
          if (i != top) rest += th[i];
        th[top] = 1 - rest;
      }
      return th;
    }
    // GJR
    for (int i = 1; i <= m_.q; ++i)
      th[Index(i)] = kDelta + std::exp(u[Index(i)]);
    for (int i = 1; i <= m_.r; ++i)
      th[Index(m_.q + i)] = kDelta + std::exp(u[Index(m_.q + i)]) - th[Index(i)];
    for (int j = 1; j <= m_.p; ++j)
      th[Index(m_.q + m_.r + j)] = kDelta + std::exp(u[Index(m_.q + m_.r + j)]);
    return th;
  }

  // The coordinates of an admissible theta, drawn kInside away from the bounds it touches.
  std::vector<double> VarianceCoordinates(const std::vector<double>& th) const {
    std::vector<double> u(th);
    if (m_.modelo == ModeloArch::Egarch) return u;
    auto log_above = [](double x) { return std::log(std::max(x - kDelta, kInside)); };
    u[0] = log_above(th[0]);
    if (simplex_) {
      double slack = 1;
      if (m_.modelo != ModeloArch::Igarch) {
        double sum = 0;
        for (std::size_t i = 1; i < n_; ++i)
          sum += std::max(th[i] - kDelta, kInside) / Scale();
        slack = std::max(1 - sum, kInside);
      }
      for (std::size_t i = 1; i < n_; ++i)
        u[i] = std::log(std::max(th[i] - kDelta, kInside) / Scale() / slack);
      return u;
    }
    for (int i = 1; i <= m_.q; ++i)
      u[Index(i)] = log_above(th[Index(i)]);
    for (int i = 1; i <= m_.r; ++i)
      u[Index(m_.q + i)] = log_above(th[Index(i)] + th[Index(m_.q + i)]);
    for (int j = 1; j <= m_.p; ++j)
      u[Index(m_.q + m_.r + j)] = log_above(th[Index(m_.q + m_.r + j)]);
    return u;
  }

  // The gradient in u from the gradient in theta (the chain rule through Theta).
  std::vector<double> VarianceGradient(const std::vector<double>& u,
                                       const std::vector<double>& g) const {
    std::vector<double> gu(g);
    if (m_.modelo == ModeloArch::Egarch) return gu;
    gu[0] = std::exp(u[0]) * g[0];
    if (simplex_) {
      const std::vector<double> w = Weights(u);
      double mean = 0;
      for (std::size_t i = 1; i < n_; ++i)
        mean += g[i] * w[i];
      for (std::size_t i = 1; i < n_; ++i)
        gu[i] = Scale() * w[i] * (g[i] - mean);
      return gu;
    }
    for (int i = 1; i <= m_.q; ++i) {
      const double gamma_part = i <= m_.r ? g[Index(m_.q + i)] : 0.0;
      gu[Index(i)] = std::exp(u[Index(i)]) * (g[Index(i)] - gamma_part);
    }
    for (int i = 1; i <= m_.r; ++i)
      gu[Index(m_.q + i)] = std::exp(u[Index(m_.q + i)]) * g[Index(m_.q + i)];
    for (int j = 1; j <= m_.p; ++j)
      gu[Index(m_.q + m_.r + j)] = std::exp(u[Index(m_.q + m_.r + j)]) * g[Index(m_.q + m_.r + j)];
    return gu;
  }

  static std::size_t Index(int i) { return static_cast<std::size_t>(i); }
  double Scale() const {
    const double terms = static_cast<double>(n_ - 1);
    return m_.modelo == ModeloArch::Igarch ? 1 - terms * kDelta : 1 - (terms + 1) * kDelta;
  }
  // w_i = exp(u_i) / (slack + sum exp(u)), i = 1 .. n-1; slack 1 (ARCH, GARCH) or 0 (IGARCH).
  std::vector<double> Weights(const std::vector<double>& u) const {
    const bool slack = m_.modelo != ModeloArch::Igarch;
    double top = slack ? 0.0 : -std::numeric_limits<double>::infinity();
    for (std::size_t i = 1; i < n_; ++i)
      top = std::max(top, u[i]);
    std::vector<double> w(n_, 0.0);
    double sum = slack ? std::exp(-top) : 0.0;
    for (std::size_t i = 1; i < n_; ++i)
      sum += w[i] = std::exp(u[i] - top);
    for (std::size_t i = 1; i < n_; ++i)
      w[i] /= sum;
    return w;
  }

  EspecArch m_;
  std::size_t n_, size_;
  FaixaNuArch nu_;
  bool simplex_;
};

double Dot(const std::vector<double>& a, const std::vector<double>& b) {
  double s = 0;
  for (std::size_t i = 0; i < a.size(); ++i)
    s += a[i] * b[i];
  return s;
}

// The inverse of a symmetric positive definite matrix by its Cholesky factor; false when it is
// not positive definite.
bool Inverse(const std::vector<double>& a, std::size_t n, std::vector<double>& inverse) {
  std::vector<double> L(n * n, 0.0);
  for (std::size_t j = 0; j < n; ++j) {
    double d = a[j * n + j];
    for (std::size_t k = 0; k < j; ++k)
      d -= L[j * n + k] * L[j * n + k];
    if (!(d > 0) || !std::isfinite(d)) return false;
    L[j * n + j] = std::sqrt(d);
    for (std::size_t i = j + 1; i < n; ++i) {
      double v = a[i * n + j];
      for (std::size_t k = 0; k < j; ++k)
        v -= L[i * n + k] * L[j * n + k];
      L[i * n + j] = v / L[j * n + j];
    }
  }
  // Columns of the inverse: L L' x = e_c.
  inverse.assign(n * n, 0.0);
  std::vector<double> x(n);
  for (std::size_t c = 0; c < n; ++c) {
    for (std::size_t i = 0; i < n; ++i) {
      double v = i == c ? 1.0 : 0.0;
      for (std::size_t k = 0; k < i; ++k)
        v -= L[i * n + k] * x[k];
      x[i] = v / L[i * n + i];
    }
    for (std::size_t i = n; i-- > 0;) {
      double v = x[i];
      for (std::size_t k = i + 1; k < n; ++k)
        v -= L[k * n + i] * x[k];
      x[i] = v / L[i * n + i];
    }
    for (std::size_t i = 0; i < n; ++i)
      inverse[i * n + c] = x[i];
  }
  for (double v : inverse)
    if (!std::isfinite(v)) return false;
  return true;
}
} // namespace

Ascent Climb(const EspecArch& m, const std::vector<double>& e, const std::vector<double>& start,
             int steps) {
  const Region region(m);
  std::vector<double> u = region.Coordinates(start);
  const std::size_t n = region.Size();
  std::vector<double> g_theta;
  auto evaluate = [&](const std::vector<double>& at, std::vector<double>& gu) {
    const double ll = log_verossimilhanca_gradiente(m, e, region.Theta(at), g_theta);
    if (!std::isfinite(ll)) return std::numeric_limits<double>::infinity();
    gu = region.Gradient(at, g_theta);
    for (double& v : gu)
      v = -v;
    return -ll;
  };
  // The Gaussian likelihood's series prepared once for the line searches' many evaluations.
  std::optional<VerossimilhancaArch> gaussian;
  if (!m.tem_nu()) gaussian.emplace(m.modelo, m.q, m.r, m.p, e);
  auto value = [&](const std::vector<double>& at) {
    const std::vector<double> theta = region.Theta(at);
    const std::vector<double>* one = &theta;
    double ll;
    if (gaussian)
      (*gaussian)(&one, 1, &ll);
    else
      ll = log_verossimilhanca_arch(m, e, theta);
    return std::isfinite(ll) && ll > kSentinelaArch ? -ll : std::numeric_limits<double>::infinity();
  };
  std::vector<double> g;
  double f = evaluate(u, g);
  Ascent out;
  if (!std::isfinite(f)) return out;
  std::vector<double> H(n * n, 0.0); // inverse Hessian
  bool steepest = true;              // H is the identity
  // H from the curvature where the climb stands (differences of the gradient), when it is
  // positive definite there: the coordinates differ in scale by orders of magnitude, which a
  // climb learning H from its steps alone takes long to find. Otherwise the identity.
  auto reset = [&] {
    std::vector<double> hessian(n * n), g_moved;
    bool ok = true;
    for (std::size_t i = 0; i < n && ok; ++i) {
      std::vector<double> moved = u;
      const double h = 1e-6 * std::max(1.0, std::fabs(u[i]));
      moved[i] += h;
      ok = std::isfinite(evaluate(moved, g_moved));
      for (std::size_t j = 0; j < n && ok; ++j)
        hessian[i * n + j] = (g_moved[j] - g[j]) / h;
    }
    if (ok) {
      for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < i; ++j)
          hessian[i * n + j] = hessian[j * n + i] = (hessian[i * n + j] + hessian[j * n + i]) / 2;
      ok = Inverse(hessian, n, H);
    }
    steepest = !ok;
    if (ok) return;
    std::fill(H.begin(), H.end(), 0.0);
    for (std::size_t i = 0; i < n; ++i)
      H[i * n + i] = 1;
  };
  reset();
  bool fresh = true; // H has just been set, not learnt from steps
  int quiet_steps = 0, stuck = 0;
  for (int iteration = 0; iteration < steps; ++iteration) {
    double g_norm = 0;
    for (double v : g)
      g_norm = std::max(g_norm, std::fabs(v));
    if (g_norm <= 1e-8 * (1 + std::fabs(f))) {
      out.converged = true;
      break;
    }
    std::vector<double> dir(n, 0.0);
    for (std::size_t i = 0; i < n; ++i)
      for (std::size_t j = 0; j < n; ++j)
        dir[i] -= H[i * n + j] * g[j];
    double slope = Dot(dir, g);
    if (!(slope < 0)) {
      reset();
      fresh = true;
      for (std::size_t i = 0; i < n; ++i)
        dir[i] = -g[i];
      slope = Dot(dir, g);
    }
    // No coordinate moves by more than 2 in one step (exp(2) is a large change of scale), nor
    // by more than 0.2 along a gradient not yet scaled by any curvature: a long first step
    // jumps over the nearest maximum into another basin.
    double longest = 0;
    for (double v : dir)
      longest = std::max(longest, std::fabs(v));
    const double reach = steepest ? 0.2 : 2.0;
    double step = longest > reach ? reach / longest : 1.0;
    std::vector<double> u_next(n), g_next;
    double f_next = std::numeric_limits<double>::infinity();
    bool moved = false;
    for (int tries = 0; tries < 60; ++tries, step *= 0.3) {
      for (std::size_t i = 0; i < n; ++i)
        u_next[i] = u[i] + step * dir[i];
      // The full step usually holds, and its gradient is wanted; a shorter one is first tried
      // on the likelihood alone, which costs a fraction of the gradient.
      if (tries > 0 && !(value(u_next) <= f + 1e-4 * step * slope)) continue;
      f_next = evaluate(u_next, g_next);
      if (f_next <= f + 1e-4 * step * slope) {
        moved = true;
        break;
      }
    }
    if (!moved) {
      // No step along this direction gains: H has gone astray, or the gradient is rounding's.
      // Steepest ascent once more before giving up.
      if (fresh) break;
      reset();
      fresh = true;
      continue;
    }
    // Steps that move nothing, one after another: the climb is stuck on a crest it cannot
    // follow.
    stuck = step * longest < 1e-10 ? stuck + 1 : 0;
    if (stuck >= 10) break;
    fresh = false;
    steepest = false;
    std::vector<double> s(n), y(n);
    for (std::size_t i = 0; i < n; ++i) {
      s[i] = u_next[i] - u[i];
      y[i] = g_next[i] - g[i];
    }
    const double sy = Dot(s, y);
    if (sy > 1e-12 * std::sqrt(Dot(s, s) * Dot(y, y))) {
      std::vector<double> Hy(n, 0.0);
      for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < n; ++j)
          Hy[i] += H[i * n + j] * y[j];
      const double yHy = Dot(y, Hy);
      for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < n; ++j)
          H[i * n + j] +=
              ((sy + yHy) * s[i] * s[j]) / (sy * sy) - (Hy[i] * s[j] + s[i] * Hy[j]) / sy;
    }
    quiet_steps = f - f_next <= 1e-12 * (1 + std::fabs(f)) ? quiet_steps + 1 : 0;
    u = std::move(u_next);
    g = std::move(g_next);
    f = f_next;
    if (quiet_steps >= 3) {
      out.converged = true;
      break;
    }
  }
  out.theta = region.Theta(u);
  out.ll = -f;
  return out;
}

bool Admissible(const EspecArch& m, const std::vector<double>& th) {
  for (double v : th)
    if (!std::isfinite(v)) return false;
  if (m.tem_nu()) {
    const FaixaNuArch range = faixa_nu_arch(m.dist);
    if (!(th.back() >= range.minimo && th.back() <= range.maximo)) return false;
  }
  if (m.modelo == ModeloArch::Egarch) return true;
  if (th[0] < kDelta) return false;
  const std::size_t q = static_cast<std::size_t>(m.q), r = static_cast<std::size_t>(m.r);
  double sum = 0;
  for (std::size_t i = 1; i < static_cast<std::size_t>(m.variancia()); ++i) {
    const bool gamma = i > q && i <= q + r;
    if (!gamma && th[i] < kDelta) return false;
    if (gamma && th[i - q] + th[i] < kDelta) return false;
    if (!gamma) sum += th[i];
  }
  switch (m.modelo) {
  case ModeloArch::Arch:
  case ModeloArch::Garch: return sum <= 1 - kDelta;
  case ModeloArch::Igarch: return std::fabs(sum - 1) <= 1e-12;
  default: return true;
  }
}

} // namespace subida_arch
