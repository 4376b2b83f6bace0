#include "QrMatrizCheia.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "AutovaloresInterno.h"
#include "Householder.h"

using interno::Householder;
using interno::ReflectColumns;
using interno::ReflectRows;

namespace {
// A square Matriz as one row-major block, and back.
std::vector<double> Flat(const Matriz& a, std::size_t n) {
  std::vector<double> flat(n * n);
  for (std::size_t i = 0; i < n; ++i)
    std::copy(a[i].begin(), a[i].end(), flat.begin() + static_cast<std::ptrdiff_t>(i * n));
  return flat;
}

Matriz Unflat(const std::vector<double>& flat, std::size_t n) {
  Matriz a(n);
  for (std::size_t i = 0; i < n; ++i)
    a[i].assign(flat.begin() + static_cast<std::ptrdiff_t>(i * n),
                flat.begin() + static_cast<std::ptrdiff_t>((i + 1) * n));
  return a;
}
} // namespace

bool reduz_hessenberg(Matriz A, Matriz& H, Matriz& P) {
  H.clear();
  P.clear();
  std::size_t n;
  if (!interno::Square(A, n)) return false;
  std::vector<double> h = Flat(A, n), p = Flat(Identity(n), n);
  std::vector<double> x, u, work;
  for (std::size_t k = 0; k + 2 < n; ++k) {
    const std::size_t m = n - k - 1;
    x.resize(m);
    for (std::size_t i = 0; i < m; ++i)
      x[i] = h[(k + 1 + i) * n + k];
    double beta, image;
    if (!Householder(x.data(), m, u, beta, image)) continue;
    ReflectRows(h.data(), n, k + 1, u, beta, k + 1, work);
    // Column k of the reflected rows is known exactly: the image of the segment, then zeros.
    h[(k + 1) * n + k] = image;
    for (std::size_t i = 1; i < m; ++i)
      h[(k + 1 + i) * n + k] = 0;
    ReflectColumns(h.data(), n, k + 1, u, beta);
    ReflectColumns(p.data(), n, k + 1, u, beta);
  }
  H = Unflat(h, n);
  P = Unflat(p, n);
  return true;
}

bool decompoe_qr(Matriz A, Matriz& Q, Matriz& R) {
  Q.clear();
  R.clear();
  std::size_t n;
  if (!interno::Square(A, n)) return false;
  std::vector<double> r = Flat(A, n), q = Flat(Identity(n), n);
  std::vector<double> x, u, work;
  for (std::size_t k = 0; k + 1 < n; ++k) {
    const std::size_t m = n - k;
    x.resize(m);
    for (std::size_t i = 0; i < m; ++i)
      x[i] = r[(k + i) * n + k];
    double beta, image;
    if (!Householder(x.data(), m, u, beta, image)) continue;
    ReflectRows(r.data(), n, k, u, beta, k + 1, work);
    r[k * n + k] = image;
    for (std::size_t i = 1; i < m; ++i)
      r[(k + i) * n + k] = 0;
    ReflectColumns(q.data(), n, k, u, beta);
  }
  Q = Unflat(q, n);
  R = Unflat(r, n);
  return true;
}

bool convergiu(const Matriz& A, double t) {
  const std::size_t columns = Columns(A);
  for (std::size_t i = 0; i < Rows(A); ++i)
    for (std::size_t j = 0; j < i && j < columns; ++j)
      if (A[i][j] > t || A[i][j] < -t) return false;
  return true;
}
