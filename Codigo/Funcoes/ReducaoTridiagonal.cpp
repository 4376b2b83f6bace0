#include "ReducaoTridiagonal.h"

#include "Householder.h"

namespace interno {

Tridiagonal Tridiagonalise(std::vector<double>& a, std::size_t n) {
  Tridiagonal t;
  t.d.resize(n);
  t.e.assign(n > 0 ? n - 1 : 0, 0.0);
  t.u.resize(n > 2 ? n - 2 : 0);
  t.beta.assign(t.u.size(), 0.0);
  std::vector<double> x, p;
  for (std::size_t k = 0; k + 2 < n; ++k) {
    const std::size_t m = n - k - 1, first = k + 1;
    t.d[k] = a[k * n + k];
    x.resize(m);
    for (std::size_t i = 0; i < m; ++i)
      x[i] = a[(first + i) * n + k];
    std::vector<double>& u = t.u[k];
    double beta, image;
    if (!Householder(x.data(), m, u, beta, image)) continue; // e_k stays 0
    t.e[k] = image;
    t.beta[k] = beta;

    p.assign(m, 0.0);
    for (std::size_t i = 0; i < m; ++i) {
      const double* row = a.data() + (first + i) * n + first;
      const double ui = u[i];
      double s = 0;
#pragma omp simd reduction(+ : s)
      for (std::size_t j = 0; j < i; ++j) {
        s += row[j] * u[j];
        p[j] += row[j] * ui;
      }
      p[i] += s + row[i] * ui;
    }
    double up = 0;
    for (std::size_t i = 0; i < m; ++i) {
      p[i] *= beta;
      up += u[i] * p[i];
    }
    const double half = 0.5 * beta * up;
    for (std::size_t i = 0; i < m; ++i)
      p[i] -= half * u[i]; // p is now w
    for (std::size_t i = 0; i < m; ++i) {
      double* row = a.data() + (first + i) * n + first;
      const double ui = u[i], wi = p[i];
#pragma omp simd
      for (std::size_t j = 0; j <= i; ++j)
        row[j] -= ui * p[j] + wi * u[j];
    }
  }
  if (n >= 2) {
    t.d[n - 2] = a[(n - 2) * n + n - 2];
    t.e[n - 2] = a[(n - 1) * n + n - 2];
  }
  if (n >= 1) t.d[n - 1] = a[(n - 1) * n + n - 1];
  return t;
}

void ApplyReflectors(const Tridiagonal& t, std::vector<double>& y, std::size_t n) {
  std::vector<double> work;
  for (std::size_t k = t.u.size(); k-- > 0;)
    if (t.beta[k] != 0) ReflectRows(y.data(), n, k + 1, t.u[k], t.beta[k], 0, work);
}

} // namespace interno
