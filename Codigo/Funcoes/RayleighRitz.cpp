#include "RayleighRitz.h"

#include <cmath>
#include <utility>

using interno::Eigenpair;
using interno::kEps;
using interno::Norm;
using interno::TridiagonalRow;

namespace {
// Eigenvalues and vectors of a small symmetric matrix h (k x k, row-major) by cyclic Jacobi
// rotations: h becomes diagonal and w accumulates the rotations (h_initial = w h_final w^T).
void Jacobi(std::vector<double>& h, std::vector<double>& w, std::size_t k) {
  w.assign(k * k, 0.0);
  for (std::size_t i = 0; i < k; ++i)
    w[i * k + i] = 1;
  for (int sweep = 0; sweep < 50; ++sweep) {
    double off = 0, all = 0;
    for (std::size_t i = 0; i < k; ++i)
      for (std::size_t j = 0; j < k; ++j) {
        all += h[i * k + j] * h[i * k + j];
        if (i != j) off += h[i * k + j] * h[i * k + j];
      }
    if (off <= kEps * kEps * all) return;
    for (std::size_t p = 0; p + 1 < k; ++p)
      for (std::size_t q = p + 1; q < k; ++q) {
        const double apq = h[p * k + q];
        if (apq == 0) continue;
        // The angle that zeroes h(p, q): tan t = sign(theta) / (|theta| + sqrt(theta^2 + 1)).
        const double theta = (h[q * k + q] - h[p * k + p]) / (2 * apq);
        const double t = (theta >= 0 ? 1 : -1) / (std::fabs(theta) + std::sqrt(theta * theta + 1));
        const double c = 1 / std::sqrt(t * t + 1), s = t * c;
        for (std::size_t r = 0; r < k; ++r) { // columns p, q
          const double hp = h[r * k + p], hq = h[r * k + q];
          h[r * k + p] = c * hp - s * hq;
          h[r * k + q] = s * hp + c * hq;
        }
        for (std::size_t r = 0; r < k; ++r) { // rows p, q
          const double hp = h[p * k + r], hq = h[q * k + r];
          h[p * k + r] = c * hp - s * hq;
          h[q * k + r] = s * hp + c * hq;
        }
        for (std::size_t r = 0; r < k; ++r) {
          const double wp = w[r * k + p], wq = w[r * k + q];
          w[r * k + p] = c * wp - s * wq;
          w[r * k + q] = s * wp + c * wq;
        }
      }
  }
}
} // namespace

namespace interno {

// Vectors of a tight cluster whose inverse iteration stalled (the Rayleigh quotient of an even
// mixture of two eigenvectors sits between their eigenvalues and stays there) still span the
// cluster's invariant subspace; the combinations that are eigenvectors of T are found in it.
void SeparateCluster(const double* d, const double* e, std::size_t m,
                     std::vector<Eigenpair*>& group) {
  const std::size_t k = group.size();
  for (std::size_t a = 0; a < k; ++a) { // modified Gram-Schmidt, twice
    std::vector<double>& ya = group[a]->y;
    for (int pass = 0; pass < 2; ++pass)
      for (std::size_t b = 0; b < a; ++b) {
        const std::vector<double>& yb = group[b]->y;
        double dot = 0;
        for (std::size_t i = 0; i < m; ++i)
          dot += ya[i] * yb[i];
        for (std::size_t i = 0; i < m; ++i)
          ya[i] -= dot * yb[i];
      }
    const double norm = Norm(ya);
    for (double& v : ya)
      v /= norm;
  }
  std::vector<std::vector<double>> ty(k, std::vector<double>(m));
  for (std::size_t a = 0; a < k; ++a)
    for (std::size_t i = 0; i < m; ++i) {
      ty[a][i] = TridiagonalRow(d, e, m, 0.0, group[a]->y.data(), i);
    }
  std::vector<double> h(k * k), w;
  for (std::size_t a = 0; a < k; ++a)
    for (std::size_t b = 0; b < k; ++b) {
      double dot = 0;
      for (std::size_t i = 0; i < m; ++i)
        dot += group[a]->y[i] * ty[b][i];
      h[a * k + b] = dot;
    }
  for (std::size_t a = 0; a < k; ++a) // symmetric to rounding; make it exactly so
    for (std::size_t b = 0; b < a; ++b)
      h[a * k + b] = h[b * k + a] = 0.5 * (h[a * k + b] + h[b * k + a]);
  Jacobi(h, w, k);
  std::vector<std::vector<double>> rotated(k, std::vector<double>(m, 0.0));
  for (std::size_t a = 0; a < k; ++a)
    for (std::size_t b = 0; b < k; ++b)
      for (std::size_t i = 0; i < m; ++i)
        rotated[b][i] += group[a]->y[i] * w[a * k + b];
  for (std::size_t b = 0; b < k; ++b) {
    group[b]->y = std::move(rotated[b]);
    group[b]->value = h[b * k + b];
  }
}

} // namespace interno
