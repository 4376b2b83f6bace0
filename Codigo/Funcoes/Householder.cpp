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
  u.resize(m);
  u[0] = x[0] / largest;
  double tail = 0; // sum of u_i^2 for i >= 1
  for (std::size_t i = 1; i < m; ++i) {
    u[i] = x[i] / largest;
    tail += u[i] * u[i];
  }
  const double alpha = std::sqrt(u[0] * u[0] + tail); // |x| / largest
  u[0] = u[0] < 0 ? u[0] - alpha : u[0] + alpha;
  beta = 2 / (u[0] * u[0] + tail);
  image = (x[0] < 0 ? alpha : -alpha) * largest;
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
