#include "QrMatrizCheia.h"

#include <algorithm>
#include <cstddef>
#include <utility>
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

// The step both reductions make at column k: the reflector H of the segment
// x = a(first .. n-1, k) of the row-major n x n matrix a, applied from the left to rows
// first .. n-1 from column k+1 on. Column k of those rows is known exactly (the image of the
// segment, then zeros) and written so. False, with a unchanged, when the segment is all zero.
struct Reflection {
  std::vector<double> x, u, work;
  double beta = 0, image = 0;

  bool Reduce(std::vector<double>& a, std::size_t n, std::size_t k, std::size_t first) {
    const std::size_t m = n - first;
    x.resize(m);
    for (std::size_t i = 0; i < m; ++i)
      x[i] = a[(first + i) * n + k];
    if (!Householder(x.data(), m, u, beta, image)) return false;
    ReflectRows(a.data(), n, first, u, beta, k + 1, work);
    a[first * n + k] = image;
    for (std::size_t i = 1; i < m; ++i)
      a[(first + i) * n + k] = 0;
    return true;
  }
};
// What both routines work on: the matrix being reduced, a, and the product of the reflectors
// applied so far, starting from the identity, both row-major n x n.
struct Working {
  std::size_t n = 0;
  std::vector<double> a, product;
  Reflection step;

  // False when A is not square.
  bool Open(const Matriz& A) {
    if (!interno::Square(A, n)) return false;
    a = Flat(A, n);
    product = Flat(Identity(n), n);
    return true;
  }
};
} // namespace

Resultado<FormaHessenberg, FalhaMatrizCheia> forma_de_hessenberg(const Matriz& A) {
  Working w;
  if (!w.Open(A)) return Falhou{FalhaMatrizCheia::NaoQuadrada};
  const std::size_t n = w.n;
  for (std::size_t k = 0; k + 2 < n; ++k) {
    if (!w.step.Reduce(w.a, n, k, k + 1)) continue;
    ReflectColumns(w.a.data(), n, k + 1, w.step.u, w.step.beta);
    ReflectColumns(w.product.data(), n, k + 1, w.step.u, w.step.beta);
  }
  return FormaHessenberg{Unflat(w.a, n), Unflat(w.product, n)};
}

bool reduz_hessenberg(Matriz A, Matriz& H, Matriz& P) {
  H.clear();
  P.clear();
  auto form = forma_de_hessenberg(A);
  if (!form) return false;
  H = std::move(form->H);
  P = std::move(form->P);
  return true;
}

Resultado<FatoracaoQr, FalhaMatrizCheia> fatoracao_qr(const Matriz& A) {
  Working w;
  if (!w.Open(A)) return Falhou{FalhaMatrizCheia::NaoQuadrada};
  const std::size_t n = w.n;
  for (std::size_t k = 0; k + 1 < n; ++k) {
    if (!w.step.Reduce(w.a, n, k, k)) continue;
    ReflectColumns(w.product.data(), n, k, w.step.u, w.step.beta);
  }
  return FatoracaoQr{Unflat(w.product, n), Unflat(w.a, n)};
}

bool decompoe_qr(Matriz A, Matriz& Q, Matriz& R) {
  Q.clear();
  R.clear();
  auto qr = fatoracao_qr(A);
  if (!qr) return false;
  Q = std::move(qr->Q);
  R = std::move(qr->R);
  return true;
}

bool convergiu(const Matriz& A, double t) {
  const std::size_t columns = Columns(A);
  for (std::size_t i = 0; i < Rows(A); ++i)
    for (std::size_t j = 0; j < i && j < columns; ++j)
      if (A[i][j] > t || A[i][j] < -t) return false;
  return true;
}
