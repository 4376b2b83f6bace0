#include "Householder.h"

#include <algorithm>
#include <cmath>

namespace interno {

bool Householder(const double* x, std::size_t m, std::vector<double>& u, double& beta,
                 double& image) {
  double largest = 0;
  for (std::size_t i = 0; i < m; ++i)
    largest = std::max(largest, std::fabs(x[i]));
  if (largest == 0) return false;
  double sum = 0; // |x|^2 / largest^2
  for (std::size_t i = 0; i < m; ++i) {
    const double v = x[i] / largest;
    sum += v * v;
  }
  // u is x scaled by a power of two near 1 / largest: exact, so the reflector is the segment's
  // own to the last bit, which ill-conditioned least-squares problems need. alpha = |x| on the
  // same scale, and |u|^2 = 2 alpha (alpha + |x0|) from the identity, not summed again.
  const int exponent = std::ilogb(largest);
  const double alpha = std::ldexp(largest, -exponent) * std::sqrt(sum);
  u.resize(m);
  for (std::size_t i = 0; i < m; ++i)
    u[i] = std::ldexp(x[i], -exponent);
  beta = 1 / (alpha * (alpha + std::fabs(u[0])));
  u[0] = u[0] < 0 ? u[0] - alpha : u[0] + alpha;
  image = std::ldexp(x[0] < 0 ? alpha : -alpha, exponent);
  return true;
}

void ReflectVector(const std::vector<double>& u, double beta, double* x) {
  const std::size_t m = u.size();
  const double* v = u.data();
  double s = 0;
#pragma omp simd reduction(+ : s)
  for (std::size_t i = 0; i < m; ++i)
    s += x[i] * v[i];
  s *= beta;
#pragma omp simd
  for (std::size_t i = 0; i < m; ++i)
    x[i] -= s * v[i];
}

void ReflectRows(double* a, std::size_t n, std::size_t first, const std::vector<double>& u,
                 double beta, std::size_t from, std::vector<double>& work) {
  const std::size_t m = u.size();
  work.assign(n, 0.0);
  double* w = work.data();
  for (std::size_t i = 0; i < m; ++i) {
    const double* row = a + (first + i) * n;
    const double ui = u[i];
#pragma omp simd
    for (std::size_t c = from; c < n; ++c)
      w[c] += ui * row[c];
  }
  for (std::size_t i = 0; i < m; ++i) {
    double* row = a + (first + i) * n;
    const double f = beta * u[i];
#pragma omp simd
    for (std::size_t c = from; c < n; ++c)
      row[c] -= f * w[c];
  }
}

void ReflectColumns(double* a, std::size_t n, std::size_t first, const std::vector<double>& u,
                    double beta) {
  for (std::size_t r = 0; r < n; ++r)
    ReflectVector(u, beta, a + r * n + first);
}

} // namespace interno
